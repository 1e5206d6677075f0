// The shared pieces every window builds on: text styles that follow the application font,
// contrast-safe text colours, the self-clearing message and the dialog answers of tests.
#include "platform/ui/Dialogs.h"
#include "views/components/Style.h"
#include "views/components/TransientMessage.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

class tst_Seams : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textStylesFollowTheApplicationFont()
    {
        const QFont saved = QApplication::font();
        QFont f = saved;
        f.setPixelSize(13);
        QApplication::setFont(f);
        QCOMPARE(Style::pixelSize(Style::Text::body), 13);
        QCOMPARE(Style::pixelSize(Style::Text::title), 22);
        QCOMPARE(Style::metric(380), 380);

        // A desktop font twice as large doubles every style and the layout lengths with it.
        f.setPixelSize(26);
        QApplication::setFont(f);
        QCOMPARE(Style::font(Style::Text::body).pixelSize(), 26);
        QCOMPARE(Style::font(Style::Text::title).pixelSize(), 44);
        QCOMPARE(Style::font(Style::Text::caption).pixelSize(), 20);
        QCOMPARE(Style::metric(380), 760);
        QCOMPARE(Style::metric(0.2), 1);   // a hairline never vanishes

        // A point-sized font counts by its real pixel size.
        f = saved;
        f.setPointSizeF(24);
        QApplication::setFont(f);
        QVERIFY(Style::pixelSize(Style::Text::body) > 26);
        QApplication::setFont(saved);
    }

    void contrast_data()
    {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        QTest::newRow("light") << QColor(Qt::black) << QColor(0xef, 0xef, 0xef);
        QTest::newRow("white background") << QColor(0x1d, 0x1d, 0x1f) << QColor(Qt::white);
        QTest::newRow("dark") << QColor(0xdd, 0xdd, 0xdd) << QColor(0x2d, 0x2d, 0x2d);
        QTest::newRow("dark grey text on dark") << QColor(0xb0, 0xb0, 0xb0) << QColor(0x35, 0x35, 0x35);
    }

    void contrast()
    {
        QFETCH(QColor, text);
        QFETCH(QColor, background);
        QCOMPARE(qRound(Style::contrastRatio(Qt::black, Qt::white) * 10), 210);
        QCOMPARE(Style::contrastRatio(text, text), 1.0);
        const QColor secondary = Style::secondaryOn(text, background);
        const QColor tertiary = Style::tertiaryOn(text, background);
        QVERIFY2(Style::contrastRatio(secondary, background) >= 4.5, qPrintable(secondary.name()));
        QVERIFY2(Style::contrastRatio(tertiary, background) >= 4.5, qPrintable(tertiary.name()));
        // Still dimmer than the text itself, and tertiary no stronger than secondary.
        QVERIFY(Style::contrastRatio(secondary, background) < Style::contrastRatio(text, background));
        QVERIFY(Style::contrastRatio(tertiary, background) <= Style::contrastRatio(secondary, background) + 1e-9);
        QCOMPARE(secondary.alpha(), 255);

        QPalette palette;
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Window, background);
        QCOMPARE(Style::secondary(palette), secondary);
    }

    // Tinted texts (a green heading, an accent figure) stay readable on both palettes: a tint that
    // already keeps the ratio is kept, one that does not is moved just far enough.
    void legibleTints_data()
    {
        QTest::addColumn<QColor>("tint");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<bool>("kept");
        QTest::newRow("green on light") << QColor(52, 199, 89) << QColor(0xef, 0xef, 0xef) << false;
        QTest::newRow("green on dark") << QColor(52, 199, 89) << QColor(0x2b, 0x2b, 0x2d) << true;
        QTest::newRow("accent on white") << QColor(0x0a, 0x84, 0xff) << QColor(Qt::white) << false;
        QTest::newRow("dark blue on white") << QColor(0x00, 0x33, 0x99) << QColor(Qt::white) << true;
        QTest::newRow("dark blue on black") << QColor(0x00, 0x33, 0x99) << QColor(Qt::black) << false;
    }

    void legibleTints()
    {
        QFETCH(QColor, tint);
        QFETCH(QColor, background);
        QFETCH(bool, kept);
        const QColor legible = Style::legibleOn(tint, background);
        QVERIFY2(Style::contrastRatio(legible, background) >= 4.5, qPrintable(legible.name()));
        QCOMPARE(legible == tint.toRgb(), kept);
        if (!kept) {
            // Just far enough: hardly more than the ratio asks, and still the tint's hue.
            QVERIFY(Style::contrastRatio(legible, background) < 4.7);
            QCOMPARE(legible.hsvHue() / 10, tint.hsvHue() / 10);
        }
    }

    void transientMessageClearsOnlyItsOwnGeneration()
    {
        TransientMessage message(60);
        QSignalSpy changes(&message, &TransientMessage::changed);
        message.show(QStringLiteral("Cancelled — nothing was removed."));
        QTest::qWait(30);
        // The same text again: the first timer must not clear the second showing.
        message.show(QStringLiteral("Cancelled — nothing was removed."));
        QTest::qWait(45);
        QCOMPARE(message.text(), std::optional<QString>(QStringLiteral("Cancelled — nothing was removed.")));
        QTRY_VERIFY_WITH_TIMEOUT(!message.text(), 2000);
        QCOMPARE(changes.count(), 3);   // shown, shown again, cleared once

        message.show(QStringLiteral("a"));
        message.clear();
        QVERIFY(!message.text());
        QTest::qWait(100);
        QCOMPARE(changes.count(), 5);   // the cleared message's timer does nothing afterwards
    }

    void dialogAnswersComeFromTheTestHandler()
    {
        Dialogs::PickRequest seen;
        Dialogs::setPickHandlerForTesting([&](const Dialogs::PickRequest& r) {
            seen = r;
            return std::optional<QString>(QStringLiteral("/Applications/Notes"));
        });
        std::optional<QString> answer = QStringLiteral("unset");
        Dialogs::pick(nullptr, {QString(), QString(), QStringLiteral("Choose"), QString(), Dialogs::PickKind::Application},
                      [&](std::optional<QString> a) { answer = a; });
        QCOMPARE(seen.acceptLabel, QStringLiteral("Choose"));
        QVERIFY2(!answer, "an application pick only takes a folder named \"….app\"");

        Dialogs::setPickHandlerForTesting([](const Dialogs::PickRequest&) {
            return std::optional<QString>(QStringLiteral("/Applications/Notes.app/"));
        });
        Dialogs::pick(nullptr, {QString(), QString(), QStringLiteral("Choose"), QString(), Dialogs::PickKind::Application},
                      [&](std::optional<QString> a) { answer = a; });
        QCOMPARE(answer, std::optional<QString>(QStringLiteral("/Applications/Notes.app/")));
        Dialogs::setPickHandlerForTesting({});

        Dialogs::setConfirmHandlerForTesting([](const Dialogs::ConfirmRequest& r) { return r.confirmLabel == "Yes"; });
        bool confirmed = false;
        Dialogs::confirm(nullptr, {QStringLiteral("Q?"), QString(), QStringLiteral("Yes"), QString(), true}, [&](bool ok) { confirmed = ok; });
        QVERIFY(confirmed);
        Dialogs::setConfirmHandlerForTesting({});
    }
};

QTEST_MAIN(tst_Seams)
#include "tst_Seams.moc"
