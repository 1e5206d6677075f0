// The measure itself, the outlines of unticked controls, and the pieces the tool windows are
// built from, in a light and a dark palette, at the desktop's default font and at a large one.
#include "ContrastKit.h"
#include "views/components/CleanActionButton.h"
#include "views/components/EmptyState.h"
#include "views/components/ScaledControls.h"
#include "views/components/SelectableRow.h"
#include "views/components/Style.h"
#include "views/components/ToolHeader.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The least contrast to `background` that an indicator's outline reaches on any of its four
// sides: each side is searched from the edge of `indicator` two pixels inwards, over its middle
// third, for the pixel that stands out most. A side the outline does not show on measures as
// the fill or the window it passes over.
double faintestSide(const QImage& image, const QRect& indicator, const QColor& background)
{
    const qreal dpr = image.devicePixelRatio();
    const QRect r((QPointF(indicator.topLeft()) * dpr).toPoint(), (QSizeF(indicator.size()) * dpr).toSize());
    const int depth = int(2 * dpr), third = r.width() / 3;
    const QList<QRect> sides = {QRect(r.left() + third, r.top(), third, depth),
                                QRect(r.left() + third, r.bottom() - depth + 1, third, depth),
                                QRect(r.left(), r.top() + third, depth, third),
                                QRect(r.right() - depth + 1, r.top() + third, depth, third)};
    double faintest = 21;
    for (const QRect& side : sides) {
        double best = 1;
        for (int y = side.top(); y <= side.bottom(); ++y)
            for (int x = side.left(); x <= side.right(); ++x)
                best = std::max(best, Style::contrastRatio(QColor::fromRgb(image.pixel(x, y)), background));
        faintest = std::min(faintest, best);
    }
    return faintest;
}

} // namespace

class tst_ComponentsContrast : public QObject {
    Q_OBJECT

    ContrastKit::Looks m_looks;

private Q_SLOTS:
    void initTestCase() { m_looks.save(); }
    void cleanup() { m_looks.restore(); }

    // The measure sees a faint text for what it is: it is not a check that cannot fail.
    void theMeasureCatchesFaintText()
    {
        QWidget box;
        box.setAutoFillBackground(true);
        auto* faint = new QLabel(QStringLiteral("380 GB used"), &box);
        faint->setObjectName(QStringLiteral("faint"));
        QPalette p = faint->palette();
        p.setColor(QPalette::WindowText, QColor(0xb4, 0xb4, 0xb4));   // about 2:1 on the light window
        faint->setPalette(p);
        faint->adjustSize();
        box.resize(faint->size());
        box.setAttribute(Qt::WA_DontShowOnScreen);
        box.show();
        QApplication::setPalette(QApplication::style()->standardPalette());
        const QList<TextContrast::Text> texts = TextContrast::measure(&box);
        QCOMPARE(texts.size(), 1);
        QVERIFY(!texts[0].passes());
        QVERIFY2(texts[0].ratio < 2.5, qPrintable(QString::number(texts[0].ratio)));
    }

    // An unticked check box and an unchosen radio button are known only by their outline: it
    // reaches 3:1 against the window, as every control's boundary must, also where the style
    // shades it from the window colour itself.
    void controlOutlines_data() { ContrastKit::addLooks(); }
    void controlOutlines()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        m_looks.apply(dark, fontPx);
        ScaledControls style(QStyleFactory::create(QStringLiteral("Fusion")));
        QWidget box;
        box.setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(&box);
        auto* check = new QCheckBox(QStringLiteral("Delete permanently (skip the Trash)"));
        auto* radio = new QRadioButton(QStringLiteral("Weekly"));
        auto* bare = new QCheckBox;   // a row's box, with no text beside it
        for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{check, radio, bare}) {
            b->setStyle(&style);
            layout->addWidget(b);
        }
        box.setAttribute(Qt::WA_DontShowOnScreen);
        box.show();
        settle();
        const QImage image = TextContrast::render(&box);
        const QColor window = box.palette().color(QPalette::Window);
        QCOMPARE(QColor::fromRgb(image.pixel(0, 0)), window);
        const auto indicatorOf = [&](QAbstractButton* b, QStyle::SubElement element) {
            QStyleOptionButton option;
            option.initFrom(b);
            option.text = b->text();
            const QRect r = style.subElementRect(element, &option, b);
            return QRect(b->mapTo(&box, r.topLeft()), r.size());
        };
        const double boxRatio = faintestSide(image, indicatorOf(check, QStyle::SE_CheckBoxIndicator), window);
        const double radioRatio = faintestSide(image, indicatorOf(radio, QStyle::SE_RadioButtonIndicator), window);
        const double bareRatio = faintestSide(image, indicatorOf(bare, QStyle::SE_CheckBoxIndicator), window);
        QVERIFY2(boxRatio >= 3.0, qPrintable(QStringLiteral("check box outline %1:1").arg(boxRatio, 0, 'f', 2)));
        QVERIFY2(radioRatio >= 3.0, qPrintable(QStringLiteral("radio button outline %1:1").arg(radioRatio, 0, 'f', 2)));
        QVERIFY2(bareRatio >= 3.0, qPrintable(QStringLiteral("bare check box outline %1:1").arg(bareRatio, 0, 'f', 2)));

        // Switched off, the box keeps the style's faint outline that says so.
        check->setEnabled(false);
        settle();
        const double disabled = faintestSide(TextContrast::render(&box), indicatorOf(check, QStyle::SE_CheckBoxIndicator), window);
        QVERIFY2(disabled < 3.0, qPrintable(QString::number(disabled)));
    }

    // The pieces the tool windows are built from, with a row checked and one not.
    void toolComponents_data() { ContrastKit::addLooks(); }
    void toolComponents()
    {
        QFETCH(bool, dark);
        QFETCH(int, fontPx);
        m_looks.apply(dark, fontPx);
        auto* box = new QWidget;
        box->setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(box);
        layout->addWidget(new ToolHeader(QStringLiteral("camera.aperture"), QStringLiteral("Free Up Snapshot Space"),
                                         QStringLiteral("Local snapshots hold copies of changed files.")));
        layout->addWidget(new SelectableRow(true, true, [] {}, std::nullopt, QStringLiteral("holiday.mov"),
                                            QStringLiteral("~/Movies/holiday.mov"), qint64(4'310'000'000)));
        layout->addWidget(new SelectableRow(false, true, [] {}, std::nullopt, QStringLiteral("dataset.csv"),
                                            QStringLiteral("~/Downloads/dataset.csv"), qint64(812'000'000)));
        layout->addWidget(new EmptyState(QStringLiteral("checkmark.circle"), QStringLiteral("No build folders found"),
                                         QStringLiteral("Nothing to clean under ~/src.")));
        layout->addWidget(new CleanActionButton(QStringLiteral("Move 3 Items to Trash"), QStringLiteral("trash"), true, [] {}));
        ContrastKit::verifyAll(box, {"rowTitle", "rowSubtitle", "rowSize"}, 10);
        delete box;
    }
};

QTEST_MAIN(tst_ComponentsContrast)
#include "tst_ComponentsContrast.moc"
