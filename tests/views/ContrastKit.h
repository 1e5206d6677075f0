// What the contrast tests of every window share: the looks they are measured in (a light and a
// dark palette, at the desktop's default font and at a large one) and a check of every text of a
// view, measured from rendered pixels at 4.5:1 (3:1 when large).
#pragma once
#include "../services/AppModelFakes.h"
#include "Palettes.h"
#include "TextContrast.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QTest>


namespace ContrastKit {

inline QStringList names(const QList<TextContrast::Text>& texts)
{
    QStringList out;
    for (const TextContrast::Text& t : texts)
        out << t.where;
    return out;
}

// The application's font and palette as the test found them, put back after each function.
struct Looks {
    QFont font;
    QPalette palette;

    void save()
    {
        font = QApplication::font();
        palette = QApplication::palette();
    }
    void restore() const
    {
        QApplication::setFont(font);
        QApplication::setPalette(palette);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The light or dark palette, at the saved font or at `fontPx` pixels.
    void apply(bool dark, int fontPx) const
    {
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        QFont f = font;
        if (fontPx > 0)
            f.setPixelSize(fontPx);
        QApplication::setFont(f);
    }
};

// The four looks as data rows: "dark" and "fontPx" (0: the default font).
inline void addLooks()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("fontPx");
    QTest::newRow("light") << false << 0;
    QTest::newRow("dark") << true << 0;
    QTest::newRow("light, 16 pt") << false << 21;
    QTest::newRow("dark, 16 pt") << true << 21;
}

// Shows `view` offscreen and measures its texts: at least `atLeast` of them, those named in
// `mustMeasure` among them, and every one legible.
inline void verifyAll(QWidget* view, const QStringList& mustMeasure, int atLeast)
{
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->show();
    view->adjustSize();
    settle();
    const QList<TextContrast::Text> texts = TextContrast::measure(view);
    QVERIFY2(texts.size() >= atLeast, qPrintable(names(texts).join(QLatin1Char(' '))));
    for (const QString& name : mustMeasure)
        QVERIFY2(names(texts).contains(name), qPrintable(name + QStringLiteral(" was not measured")));
    const QString failed = TextContrast::failures(texts);
    QVERIFY2(failed.isEmpty(), qPrintable(QLatin1Char('\n') + failed));
}

} // namespace ContrastKit
