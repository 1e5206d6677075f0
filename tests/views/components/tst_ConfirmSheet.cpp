#include "views/components/ConfirmSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

class tst_ConfirmSheet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The sheet's lengths are drawn for a 13-pixel body: at that font they are the design's own.
    void initTestCase()
    {
        QFont f = QApplication::font();
        f.setPixelSize(13);
        QApplication::setFont(f);
    }

    void listHeightAndCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("line");
        QTest::newRow("one") << 1 << 37 << "1 item";
        QTest::newRow("two") << 2 << 70 << "2 items";
        QTest::newRow("five") << 5 << 169 << "5 items";
        QTest::newRow("six capped") << 6 << 200 << "6 items";
        QTest::newRow("many") << 40 << 200 << "40 items";
    }
    void listHeightAndCount()
    {
        QFETCH(int, count);
        QFETCH(int, height);
        QFETCH(QString, line);
        QList<ConfirmSheet::Item> items;
        for (int i = 0; i < count; ++i)
            items.append(
                {QStringLiteral("/home/u/item %1").arg(i), i % 2 ? std::optional<qint64>(1500000) : std::nullopt});
        ConfirmSheet sheet("Trash", QString("1.5 MB"), std::nullopt, items, false, {}, {});
        sheet.adjustSize(); // laid out at its own size
        QCOMPARE(sheet.listHeight(), height);
        QCOMPARE(sheet.countText(), std::optional<QString>(line));
    }

    void textsShownOnlyWhenPresent()
    {
        ConfirmSheet bare("everything", std::nullopt, std::nullopt, {}, false, {}, {});
        QCOMPARE(bare.questionText(), QString("Clean everything?"));
        QCOMPARE(bare.sizeLineText(), std::nullopt);
        QCOMPARE(bare.countText(), std::nullopt);
        QCOMPARE(bare.listHeight(), 0);
        QVERIFY(!bare.permanentCheckBox());
        QVERIFY(!bare.findChild<QWidget*>("whySafeBox"));

        // A title holding "%2" or rich-text look-alikes is shown as it is.
        ConfirmSheet odd("<b>50%2</b>", QString("3 GB"), QString("safe"), {{"a", std::nullopt}}, false, {}, {});
        QCOMPARE(odd.questionText(), QString("Clean <b>50%2</b>?"));
        QCOMPARE(odd.sizeLineText(), std::optional<QString>("Frees about 3 GB. This data regenerates automatically."));
        QVERIFY(odd.findChild<QWidget*>("whySafeBox"));
    }

    void confirmAndCancel()
    {
        std::optional<bool> confirmed;
        int cancels = 0;
        ConfirmSheet sheet(
            "X", std::nullopt, std::nullopt, {{"a", 1}}, true, [&] { ++cancels; }, [&](bool p) { confirmed = p; });
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QCOMPARE(sheet.confirmButton()->text(), QString("Clean"));
        QVERIFY(!sheet.permanentCheckBox()->isChecked()); // off whenever the sheet is made
        sheet.permanentCheckBox()->setChecked(true);
        QCOMPARE(sheet.confirmButton()->text(), QString("Delete"));
        QTest::keyClick(&sheet, Qt::Key_Return);
        QCOMPARE(confirmed, std::optional<bool>(true));
        sheet.permanentCheckBox()->setChecked(false);
        QCOMPARE(sheet.confirmButton()->text(), QString("Clean"));
        QTest::mouseClick(sheet.confirmButton(), Qt::LeftButton);
        QCOMPARE(confirmed, std::optional<bool>(false));
        QTest::keyClick(&sheet, Qt::Key_Escape);
        QCOMPARE(cancels, 1);

        // While a cleanup runs, neither the button nor Return confirms.
        confirmed.reset();
        sheet.setConfirmEnabled(false);
        QTest::keyClick(&sheet, Qt::Key_Return);
        QTest::mouseClick(sheet.confirmButton(), Qt::LeftButton);
        QCOMPARE(confirmed, std::nullopt);
    }

    void noCheckboxOutsideDeveloperMode()
    {
        std::optional<bool> confirmed;
        ConfirmSheet sheet("X", std::nullopt, std::nullopt, {}, false, {}, [&](bool p) { confirmed = p; });
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QVERIFY(!sheet.permanentCheckBox());
        QTest::keyClick(&sheet, Qt::Key_Enter);
        QCOMPARE(confirmed, std::optional<bool>(false));
    }
};

QTEST_MAIN(tst_ConfirmSheet)
#include "tst_ConfirmSheet.moc"
