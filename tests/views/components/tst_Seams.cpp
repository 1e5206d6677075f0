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

        // A named colour shown as text keeps the ratio too, and stays itself where it already does.
        const QColor green = Style::legible(Style::green(), palette);
        QVERIFY2(Style::contrastRatio(green, background) >= 4.5, qPrintable(green.name()));
        QVERIFY(green.green() > green.red() && green.green() > green.blue());
        QPalette black;
        black.setColor(QPalette::WindowText, Qt::white);
        black.setColor(QPalette::Window, Qt::black);
        QCOMPARE(Style::legible(Style::green(), black), Style::green());
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

    // A message held without a delay stays until something replaces it; an older timer never
    // clears it.
    void heldMessageHasNoTimer()
    {
        TransientMessage message(40);
        message.show(QStringLiteral("Removed x"));
        message.hold(QStringLiteral("That's a protected system app and can't be removed."));
        QTest::qWait(120);
        QCOMPARE(message.text(), std::optional<QString>(QStringLiteral("That's a protected system app and can't be removed.")));
        message.show(QStringLiteral("Removed y"));
        QTRY_VERIFY_WITH_TIMEOUT(!message.text(), 2000);
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
