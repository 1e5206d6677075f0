#include "views/components/CleanActionButton.h"
#include "views/components/DiskUsageRingView.h"
#include "views/components/ElidedLabel.h"
#include "views/components/EmptyState.h"
#include "views/components/FocusRing.h"
#include "views/components/Labels.h"
#include "views/components/MenuBarCoachMark.h"
#include "views/components/ScaledControls.h"
#include "views/components/SelectableRow.h"
#include "views/components/Style.h"
#include "views/components/ToolHeader.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QTextDocument>
#include <QVBoxLayout>

#include <memory>

using Tint = DiskUsageRingView::Tint;
Q_DECLARE_METATYPE(DiskUsageRingView::Tint)

class tst_Components : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ringFigures_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("available");
        QTest::addColumn<qint64>("used");
        QTest::addColumn<int>("percent");
        QTest::addColumn<Tint>("tint");

        QTest::newRow("unknown disk") << qint64(0) << qint64(0) << qint64(0) << 0 << Tint::green;
        QTest::newRow("three quarters is orange") << qint64(1000) << qint64(250) << qint64(750) << 75 << Tint::orange;
        QTest::newRow("nine tenths is red") << qint64(1000) << qint64(100) << qint64(900) << 90 << Tint::red;
        QTest::newRow("just under three quarters") << qint64(1000) << qint64(251) << qint64(749) << 75 << Tint::green;
        QTest::newRow("just under nine tenths") << qint64(1000) << qint64(101) << qint64(899) << 90 << Tint::orange;
        QTest::newRow("more free than total") << qint64(1000) << qint64(5000) << qint64(0) << 0 << Tint::green;
        QTest::newRow("half rounds away from zero") << qint64(1000) << qint64(995) << qint64(5) << 1 << Tint::green;
        QTest::newRow("full") << qint64(1000) << qint64(0) << qint64(1000) << 100 << Tint::red;
        QTest::newRow("negative total") << qint64(-5) << qint64(0) << qint64(0) << 0 << Tint::green;
        QTest::newRow("extreme figures") << std::numeric_limits<qint64>::max() << std::numeric_limits<qint64>::min()
                                         << std::numeric_limits<qint64>::max() << 100 << Tint::red;
    }

    void ringFigures()
    {
        QFETCH(qint64, total);
        QFETCH(qint64, available);
        QFETCH(qint64, used);
        QFETCH(int, percent);
        QFETCH(Tint, tint);
        const auto f = DiskUsageRingView::figures(DiskInfo{total, available});
        QCOMPARE(f.used, used);
        QCOMPARE(f.percent, percent);
        QCOMPARE(f.tint, tint);
        QVERIFY(f.fraction >= 0 && f.fraction <= 1);
    }

    void ringTexts()
    {
        DiskUsageRingView zero(DiskInfo{0, 0});
        QCOMPARE(zero.percentText(), QStringLiteral("0%"));
        QCOMPARE(zero.freeText(), QStringLiteral("Zero KB"));
        QCOMPARE(zero.totalText(), QStringLiteral("free of Zero KB"));
        QCOMPARE(zero.usedText(), QStringLiteral("Zero KB used"));
        QCOMPARE(zero.shownFraction(), 0.0);

        DiskUsageRingView ring(DiskInfo{500'000'000'000, 120'000'000'000});
        QCOMPARE(ring.percentText(), QStringLiteral("76%"));
        QCOMPARE(ring.freeText(), QStringLiteral("120 GB"));
        QCOMPARE(ring.totalText(), QStringLiteral("free of 500 GB"));
        QCOMPARE(ring.usedText(), QStringLiteral("380 GB used"));

        // A new figure eases the arc over to it.
        ring.setDisk(DiskInfo{500'000'000'000, 25'000'000'000});
        QCOMPARE(ring.percentText(), QStringLiteral("95%"));
        QTRY_COMPARE(ring.shownFraction(), 0.95);
        QCOMPARE(DiskUsageRingView::color(DiskUsageRingView::figures(ring.disk()).tint),
                 DiskUsageRingView::color(Tint::red));
    }

    void rowDimmingFollowsTheCheck_data()
    {
        QTest::addColumn<bool>("isOn");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<qreal>("opacity");
        QTest::newRow("on") << true << true << 1.0;
        QTest::newRow("off but usable") << false << true << 0.5;
        QTest::newRow("on but locked") << true << false << 1.0;
        QTest::newRow("off and locked") << false << false << 0.5;
    }

    void rowDimmingFollowsTheCheck()
    {
        QFETCH(bool, isOn);
        QFETCH(bool, enabled);
        QFETCH(qreal, opacity);
        SelectableRow row(
            isOn, enabled, [] {}, std::nullopt, QStringLiteral("a.txt"), std::nullopt, std::nullopt);
        QCOMPARE(row.opacity(), opacity);
        QCOMPARE(row.checkBox()->isEnabled(), enabled);
        QCOMPARE(row.checkBox()->isChecked(), isOn);
        QCOMPARE(row.checkBox()->accessibleName(), QStringLiteral("a.txt"));
    }

    void rowLeavesItsStateToTheCaller()
    {
        int toggles = 0;
        SelectableRow row(
            false, true, [&] { ++toggles; }, std::nullopt, QStringLiteral("<b>x</b> & y"),
            QStringLiteral("~/Downloads/x"), qint64(1'500'000));
        row.show();
        QTest::mouseClick(row.checkBox(), Qt::LeftButton);
        QCOMPARE(toggles, 1);
        QVERIFY(!row.checkBox()->isChecked()); // unchanged until the caller says so
        row.setOn(true);
        QCOMPARE(row.opacity(), 1.0);
        QCOMPARE(row.sizeText(), QStringLiteral("1.5 MB"));

        SelectableRow locked(
            true, false, [&] { ++toggles; }, std::nullopt, QStringLiteral("y"), std::nullopt, std::nullopt);
        locked.show();
        QTest::mouseClick(locked.checkBox(), Qt::LeftButton);
        QCOMPARE(toggles, 1);
    }

    void emptyStateMessageIsOptional()
    {
        EmptyState without(QStringLiteral("checkmark.circle"), QStringLiteral("No build folders found"), std::nullopt);
        QVERIFY(!without.messageLabel());
        QCOMPARE(without.titleText(), QStringLiteral("No build folders found"));

        auto* action = new QPushButton(QStringLiteral("Scan"));
        EmptyState with(QStringLiteral("trash.square"), QStringLiteral("Uninstall an App"),
                        QStringLiteral("<i>Remove</i>"), action);
        QVERIFY(with.messageLabel());
        QCOMPARE(with.messageLabel()->textFormat(), Qt::PlainText);
        QVERIFY(with.messageLabel()->wordWrap());
        QCOMPARE(action->parentWidget()->parentWidget(), &with);
    }

    void headerAndButtonShowTheirTexts()
    {
        ToolHeader header(QStringLiteral("camera.aperture"), QStringLiteral("Free Up Snapshot Space"),
                          QStringLiteral("Local snapshots"));
        QCOMPARE(header.titleText(), QStringLiteral("Free Up Snapshot Space"));
        QCOMPARE(header.subtitleText(), QStringLiteral("Local snapshots"));

        int pressed = 0;
        CleanActionButton off(QStringLiteral("Move 2 & more to Trash"), QStringLiteral("trash"), false,
                              [&] { ++pressed; });
        QVERIFY(!off.isEnabled());
        QCOMPARE(off.text(), QStringLiteral("Move 2 && more to Trash")); // a literal "&", not a mnemonic
        off.click();
        QCOMPARE(pressed, 0);
        CleanActionButton on(QStringLiteral("Move to Trash"), QStringLiteral("trash"), true, [&] { ++pressed; });
        on.click();
        QCOMPARE(pressed, 1);
        QVERIFY(!on.icon().isNull());
    }

    // A tool window has a fixed size; a subtitle that wraps to more lines than the English one
    // (a translation, a large font) still shows whole, with the list below taking what is left.
    void headerSubtitleShowsWholeInAFixedWindow()
    {
        QWidget window;
        window.setFixedSize(480, 470);
        auto* column = new QVBoxLayout(&window);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        QString subtitle;
        for (int i = 0; i < 12; ++i)
            subtitle += QStringLiteral("Lokale Schnappschüsse sind vorübergehende Kopien. ");
        auto* header =
            new ToolHeader(QStringLiteral("camera.aperture"), QStringLiteral("Title"), subtitle.trimmed(), &window);
        column->addWidget(header);
        auto* list = new QWidget(&window);
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        column->addWidget(list, 1);
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.show();
        QCoreApplication::processEvents();

        QLabel* shown = nullptr;
        for (QLabel* label : header->findChildren<QLabel*>())
            if (label->text() == header->subtitleText())
                shown = label;
        QVERIFY(shown);
        const int needed = shown->heightForWidth(shown->width());
        QVERIFY2(needed > 4 * shown->fontMetrics().lineSpacing(), "the subtitle should wrap to several lines");
        QVERIFY2(
            shown->height() >= needed,
            qPrintable(QStringLiteral("subtitle %1 px high, its text needs %2 px").arg(shown->height()).arg(needed)));
        QVERIFY(list->geometry().top() >= header->geometry().bottom());
    }

    // A path shortened to fit is copied whole: a copy with "…" in it is no path at all.
    void elidedLabelCopiesTheWholeText_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("shortened") << 90;
        QTest::newRow("fits") << 2000;
    }
    void elidedLabelCopiesTheWholeText()
    {
        QFETCH(int, width);
        const QString path = QStringLiteral("/Users/alex/Library/Application Support/Google/Chrome/Default/Cache");
        SelectableElidedLabel label(path, QFont(), Qt::black);
        label.resize(width, 20);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QCOMPARE(label.text().contains(QChar(0x2026)), width < 1000);
        QApplication::clipboard()->clear();
        label.setSelection(0, int(label.text().size()));
        QTest::keySequence(&label, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), path);

        // Part of a shortened text that holds no "…" is a real piece of it, copied as selected.
        label.setSelection(int(label.text().size()) - 5, 5);
        QTest::keySequence(&label, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Cache"));
    }

    // A shortened line can be read whole in its tooltip; one that fits needs none, and a tooltip
    // set on purpose stays.
    void elidedLabelShowsTheWholeTextWhenShortened()
    {
        const QString name = QStringLiteral("Temporary files apps recreate as needed <b>now</b>");
        ElidedLabel label(name);
        label.resize(60, 20);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QVERIFY(label.isElided());
        QTextDocument doc;
        doc.setHtml(label.effectiveToolTip());
        QCOMPARE(doc.toPlainText(), name); // plain, not taken as rich text
        label.resize(2000, 20);
        QVERIFY(!label.isElided());
        QCOMPARE(label.effectiveToolTip(), QString());
        label.setToolTip(QStringLiteral("own"));
        label.resize(60, 20);
        QCOMPARE(label.effectiveToolTip(), QStringLiteral("own"));
    }

    // At its narrowest a label keeps the part it was told to keep, whole, at every font size.
    void elidedLabelKeepsItsPrefix()
    {
        const QFont original = QApplication::font();
        for (int px = 10; px <= 26; ++px) {
            QFont f = original;
            f.setPixelSize(px);
            QApplication::setFont(f);
            for (const QString& kept : {QStringLiteral("Scanning… 4"), QStringLiteral("Scannen … 12")}) {
                ElidedLabel label(kept + QStringLiteral(" found"));
                label.setElideMode(Qt::ElideRight);
                label.setKeptPrefix(kept);
                label.resize(label.minimumSizeHint().width(), 20);
                QVERIFY2(label.displayedText().startsWith(kept),
                         qPrintable(QStringLiteral("%1 px: %2").arg(px).arg(label.displayedText())));
            }
        }
        QApplication::setFont(original);
    }

    // The ring shows for focus that came by the keyboard, not after a click.
    void focusRingFollowsTheKeyboard()
    {
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* first = new QCheckBox(&window);
        auto* second = new QCheckBox(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        FocusRing::attach(first);
        FocusRing::attach(second);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::mouseClick(first, Qt::LeftButton);
        QVERIFY(first->hasFocus());
        QVERIFY(!FocusRing::isShown(first));
        QTest::keyClick(first, Qt::Key_Tab);
        QVERIFY(second->hasFocus());
        QVERIFY(FocusRing::isShown(second));
        QVERIFY(!FocusRing::isShown(first));
        QTest::keyClick(second, Qt::Key_Backtab);
        QVERIFY(FocusRing::isShown(first));
        QVERIFY(!FocusRing::isShown(second));
    }

    // A large desktop font grows a button around its label and a check box's box, as it grows
    // the texts; at the body size the style's own sizes stay.
    void controlsGrowWithTheFont()
    {
        const QFont original = QApplication::font();
        auto fontAt = [](int px) {
            QFont f = QApplication::font();
            f.setPixelSize(px);
            QApplication::setFont(f);
        };
        std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("Fusion")));
        ScaledControls scaled(QStyleFactory::create(QStringLiteral("Fusion")));
        auto buttonHint = [](QStyle* style) {
            QPushButton button(QStringLiteral("Cancel"));
            button.setStyle(style);
            return button.sizeHint();
        };

        fontAt(13);
        const QSize body = buttonHint(&scaled);
        QCOMPARE(body, buttonHint(plain.get()));
        const int box = scaled.pixelMetric(QStyle::PM_IndicatorWidth);
        QCOMPARE(box, plain->pixelMetric(QStyle::PM_IndicatorWidth));

        fontAt(26);
        const QSize large = buttonHint(&scaled);
        // Twice the font, twice the button: the label keeps its room on both sides.
        QVERIFY2(
            large.width() >= 2 * body.width() - 2,
            qPrintable(QStringLiteral("%1 → %2").arg(QString::number(body.width()), QString::number(large.width()))));
        QVERIFY(large.height() >= 2 * body.height() - 2);
        QVERIFY(large.width() > buttonHint(plain.get()).width());
        QCOMPARE(scaled.pixelMetric(QStyle::PM_IndicatorWidth), 2 * box);
        QCOMPARE(scaled.pixelMetric(QStyle::PM_ExclusiveIndicatorHeight),
                 2 * plain->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight));

        // A long label keeps its room on either side at every size.
        for (int px : {13, 20}) {
            fontAt(px);
            QPushButton button(QStringLiteral("Alle Einträge aktualisieren"));
            button.setStyle(&scaled);
            const int label = button.fontMetrics().horizontalAdvance(button.text());
            QVERIFY2(button.sizeHint().width() >= label + 2 * Style::metric(12), qPrintable(QString::number(px)));
        }
        QApplication::setFont(original);
    }

    // The prominent button's label keeps 4.5:1 on its fill, whatever the accent of the palette.
    void prominentLabelReadsOnItsFill_data()
    {
        QTest::addColumn<QColor>("accent");
        QTest::newRow("light style blue") << QColor(0x30, 0x8c, 0xc6);
        QTest::newRow("bright blue") << QColor(0x0a, 0x84, 0xff);
        QTest::newRow("yellow") << QColor(0xff, 0xd6, 0x0a);
        QTest::newRow("dark navy") << QColor(0x10, 0x20, 0x50);
    }
    void prominentLabelReadsOnItsFill()
    {
        QFETCH(QColor, accent);
        CleanActionButton button(QStringLiteral("Clean up"), QStringLiteral("sparkles"), true, [] {});
        QPalette p = button.palette();
        p.setColor(QPalette::Highlight, accent);
        button.setPalette(p);
        QVERIFY(Style::contrastRatio(button.labelColor(), button.fillColor()) >= 4.5);
        button.setEnabled(false);
        QVERIFY(Style::contrastRatio(button.labelColor(), button.fillColor()) >= 4.5);
    }

    void hintPlacement_data()
    {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<qreal>("iconX");
        QTest::addColumn<qreal>("centre");
        QTest::newRow("icon in the middle") << 1440.0 << 700.0 << 700.0;
        QTest::newRow("icon near the right edge") << 1440.0 << 1420.0 << 1288.0;
        QTest::newRow("icon exactly at the right bound") << 1440.0 << 1288.0 << 1288.0;
        QTest::newRow("icon near the left edge") << 1440.0 << 20.0 << 152.0;
        QTest::newRow("no status item: 120 left of the edge") << 1440.0 << 1320.0 << 1288.0;
        QTest::newRow("band narrower than the bubble: right bound wins") << 200.0 << 100.0 << 48.0;
    }

    void hintPlacement()
    {
        QFETCH(qreal, width);
        QFETCH(qreal, iconX);
        QFETCH(qreal, centre);
        QCOMPARE(MenuBarCoachMark::columnCenterX(width, iconX, 280), centre);
    }

    void hintClosesOnATapAnywhere()
    {
        int dismissed = 0;
        MenuBarCoachMark hint(
            1300, [&] { ++dismissed; }, 280);
        hint.resize(1440, 200);
        hint.show();
        QVERIFY(hint.appeared());
        QCOMPARE(hint.columnRect().center().x(), 1288.0);
        QCOMPARE(hint.columnRect().center().y(), 88.0);
        QVERIFY(hint.bubbleRect().right() <= 1440 - 12);
        QTest::mouseClick(&hint, Qt::LeftButton, {}, QPoint(20, 180)); // empty space in the band
        QCOMPARE(dismissed, 1);
        QTest::mouseClick(&hint, Qt::LeftButton, {}, hint.bubbleRect().center().toPoint());
        QCOMPARE(dismissed, 2);
    }

    // With the tray at the bottom the arrow points down at it from above the bubble.
    void hintPointsDownAtABottomTray()
    {
        MenuBarCoachMark hint(
            700, [] {}, 280);
        hint.setAnimated(false);
        hint.setPointsDown(true);
        hint.resize(1440, 200);
        hint.show();
        const QRectF column = hint.columnRect();
        QCOMPARE(column.center().y(), 200.0 - 88.0);
        QCOMPARE(hint.bubbleRect().top(), column.top()); // the bubble first,
        QVERIFY(hint.bubbleRect().bottom() < column.bottom() - 26); // the arrow under it
        const QRegion shape = hint.opaqueRegion();
        QVERIFY(shape.contains(QPoint(int(column.center().x()), int(column.bottom()) - 13)));
    }

    // A large desktop font grows the hint with its texts: a taller band, a wider bubble that
    // holds its headline on one line, and the arrow and bubble still wholly inside the band.
    void hintGrowsWithTheFont_data()
    {
        QTest::addColumn<bool>("down");
        QTest::newRow("top tray") << false;
        QTest::newRow("bottom tray") << true;
    }
    void hintGrowsWithTheFont()
    {
        QFETCH(bool, down);
        struct FontGuard {
            QFont original = QApplication::font();
            ~FontGuard() { QApplication::setFont(original); }
        } guard;
        QFont large = QApplication::font();
        large.setPixelSize(26); // twice the 13-pixel body
        QApplication::setFont(large);

        QCOMPARE(MenuBarCoachMark::bandHeight(), 400);
        MenuBarCoachMark hint(
            1300, [] {}, 280);
        hint.setAnimated(false);
        hint.setPointsDown(down);
        hint.resize(1440, MenuBarCoachMark::bandHeight());
        hint.show();
        QVERIFY(hint.bubbleWidth() >= 560);
        const QString headline =
            down ? QStringLiteral("Dustlet lives down here") : QStringLiteral("Dustlet lives up here");
        const qreal headlineWidth = QFontMetricsF(Style::font(Style::Text::headline)).horizontalAdvance(headline);
        QVERIFY(hint.bubbleWidth() >= headlineWidth + 2 * 28);
        const QRectF column = hint.columnRect();
        QVERIFY2(
            column.top() >= 0 && column.bottom() <= hint.height(),
            qPrintable(
                QStringLiteral("column %1…%2").arg(QString::number(column.top()), QString::number(column.bottom()))));
        QCOMPARE(column.center().y(), down ? 400.0 - 176.0 : 176.0);
        QVERIFY(hint.bubbleRect().right() <= 1440 - 12);
        // The arrow is drawn at twice its size: its shape reaches 52 px from the column's end,
        // above the icon.
        QCOMPARE(hint.arrowCenterX(), 1300.0);
        const QRegion shape = hint.opaqueRegion();
        const int arrowMiddle = down ? int(column.bottom()) - 26 : int(column.top()) + 26;
        QVERIFY(shape.contains(QPoint(1300, arrowMiddle)));
    }

    // The arrow points at the icon's centre wherever the bubble is held inside the screen: it
    // moves along the bubble's edge, above a bubble pinned at a corner too. Read from the pixels
    // drawn: where the arrow's tip is.
    void hintArrowPointsAtTheIcon_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<qreal>("iconX");
        QTest::addColumn<bool>("down");
        QTest::addColumn<int>("fontPx");
        QTest::newRow("top-right corner, 1600 wide") << 1600 << 1588.0 << false << 13;
        QTest::newRow("top-right corner, 1280 wide") << 1280 << 1268.0 << false << 13;
        QTest::newRow("top-left corner") << 1280 << 12.0 << false << 13;
        QTest::newRow("icon in the middle") << 1280 << 700.0 << false << 13;
        QTest::newRow("no tray: the anchor 120 left of the edge") << 1600 << 1480.0 << false << 13;
        QTest::newRow("bottom-right corner") << 1600 << 1588.0 << true << 13;
        QTest::newRow("top-right corner, twice the font") << 1600 << 1588.0 << false << 26;
    }
    void hintArrowPointsAtTheIcon()
    {
        QFETCH(int, width);
        QFETCH(qreal, iconX);
        QFETCH(bool, down);
        QFETCH(int, fontPx);
        struct FontGuard {
            QFont original = QApplication::font();
            ~FontGuard() { QApplication::setFont(original); }
        } guard;
        QFont font = QApplication::font();
        font.setPixelSize(fontPx);
        QApplication::setFont(font);

        MenuBarCoachMark hint(
            iconX, [] {}, 280);
        hint.setAnimated(false);
        hint.setPointsDown(down);
        hint.resize(width, MenuBarCoachMark::bandHeight());
        hint.show();
        QImage drawn(hint.size(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        hint.render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);

        // The arrow's tip: the opaque pixels of the row nearest the tray above (or below) the
        // bubble, clear of its shadow.
        const QRectF column = hint.columnRect();
        const QRectF bubble = hint.bubbleRect();
        const int from = int(down ? bubble.bottom() + 20 : column.top());
        const int to = int(down ? column.bottom() + 1 : bubble.top() - 16);
        QList<int> tip;
        for (int i = 0; i < to - from && tip.isEmpty(); ++i) {
            const int y = down ? to - 1 - i : from + i;
            for (int x = 0; x < drawn.width(); ++x)
                if (qAlpha(drawn.pixel(x, y)) > 128)
                    tip << x;
        }
        QVERIFY(!tip.isEmpty());
        const qreal arrowX = (tip.first() + tip.last() + 1) / 2.0;
        QVERIFY2(std::abs(arrowX - iconX) <= 3,
                 qPrintable(QStringLiteral("arrow's tip at %1, icon at %2").arg(arrowX).arg(iconX)));
        // The bubble stays inside the screen, 12 px from both edges.
        QVERIFY(bubble.left() >= 12 && bubble.right() <= width - 12);
    }

    void hintShapeForDesktopsWithoutTranslucency()
    {
        MenuBarCoachMark hint(
            700, [] {}, 280);
        hint.setAnimated(false);
        hint.resize(1440, 200);
        hint.show();
        const QRegion shape = hint.opaqueRegion();
        QVERIFY(shape.contains(hint.bubbleRect().center().toPoint()));
        const QRectF column = hint.columnRect();
        QVERIFY(shape.contains(QPoint(int(column.center().x()), int(column.top()) + 13))); // the arrow
        QVERIFY(!shape.contains(QPoint(5, 5)));
        QVERIFY(!shape.contains(hint.bubbleRect().topLeft().toPoint())); // outside the rounded corner
    }
};

QTEST_MAIN(tst_Components)
#include "tst_Components.moc"
