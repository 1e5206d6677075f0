#include "../../services/AppModelFakes.h"
#include "views/panel/TargetRowView.h"
#include "views/components/Style.h"

#include <QCheckBox>
#include <QLabel>
#include <QApplication>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

namespace {

TargetState stateOf(const AppModel& model, const QString& id, std::optional<qint64> size, bool scanning,
                    bool cleaning = false)
{
    TargetState s = *findTarget(model, id);
    s.size = size;
    s.isScanning = scanning;
    s.isCleaning = cleaning;
    return s;
}

CleanupTarget pathsTarget(const QStringList& paths)
{
    CleanupTarget t;
    t.id = QStringLiteral("custom:test");
    t.name = QStringLiteral("Test folder");
    t.symbol = QStringLiteral("folder.fill");
    t.detail = QStringLiteral("a detail");
    t.kind = CleanupKinds::Paths{paths};
    t.category = CleanupCategory::custom;
    t.isBuiltIn = false;
    return t;
}

QStringList shownPaths(QWidget* content)
{
    QStringList out;
    for (QLabel* l : content->findChildren<QLabel*>("locationPath"))
        out << l->toolTip();
    return out;
}

// What a tooltip reads on screen: tooltips take text that looks like HTML as rich text.
QString readToolTip(const QString& tip)
{
    QTextDocument doc;
    if (Qt::mightBeRichText(tip))
        doc.setHtml(tip);
    else
        doc.setPlainText(tip);
    return doc.toPlainText();
}

} // namespace

class tst_TargetRow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The views' lengths are drawn for a 13-pixel body: at that font they are the design's own.
    void initTestCase()
    {
        QFont f = QApplication::font();
        f.setPixelSize(13);
        QApplication::setFont(f);
    }

    void sizeColumn_data()
    {
        QTest::addColumn<bool>("scanning");
        QTest::addColumn<qint64>("size");   // -1: absent
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("spinner");
        QTest::addColumn<QString>("help");
        using S = TargetRowView::SizeState;
        QTest::newRow("never measured") << false << qint64(-1) << int(S::unknown) << "\u2014" << false
                                        << "Rescan to measure this size";
        QTest::newRow("measuring, nothing yet") << true << qint64(-1) << int(S::scanning) << "" << true << "Scanning\u2026";
        QTest::newRow("measuring, below a byte") << true << qint64(0) << int(S::scanning) << "" << true << "Scanning\u2026";
        QTest::newRow("measuring, counting") << true << qint64(5'000'000) << int(S::scanning) << "5 MB" << true
                                             << "Scanning\u2026";
        QTest::newRow("measured zero") << false << qint64(0) << int(S::measured) << "Zero KB" << false << "";
        QTest::newRow("measured") << false << qint64(1'500'000'000) << int(S::measured) << "1.5 GB" << false << "";
    }
    void sizeColumn()
    {
        QFETCH(bool, scanning);
        QFETCH(qint64, size);
        QFETCH(int, state);
        QFETCH(QString, text);
        QFETCH(bool, spinner);
        QFETCH(QString, help);
        ModelFixture f;
        auto model = f.makeModel();
        const std::optional<qint64> value = size < 0 ? std::nullopt : std::optional<qint64>(size);
        // Updated in place from another state, as the list does.
        TargetRowView row(*model, stateOf(*model, "trash", 123'000, !scanning), {});
        row.setState(stateOf(*model, "trash", value, scanning));
        QCOMPARE(int(row.sizeState()), state);
        QCOMPARE(row.sizeText(), text);
        QCOMPARE(row.isSizeSpinnerShown(), spinner);
        QCOMPARE(row.sizeToolTip(), help);
    }

    void excludingDimsTheTextButKeepsTheButton()
    {
        ModelFixture f;
        auto model = f.makeModel();
        TargetRowView row(*model, stateOf(*model, "logs", 2'000'000, false), {});
        row.resize(380, 44);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QCOMPARE(row.checkBox()->toolTip(), QString("Include in Clean All"));
        QVERIFY(row.checkBox()->isChecked());
        QCOMPARE(row.nameColor(), Style::primary());
        QCOMPARE(row.detailColor(), Style::secondary());
        QCOMPARE(row.symbolTint(), Style::accent());

        QTest::mouseClick(row.checkBox(), Qt::LeftButton);
        QVERIFY(model->settings().disabledTargetIDs().contains("logs"));
        row.refresh();
        QVERIFY(!row.checkBox()->isChecked());
        // Dimmed, but still readable against the panel.
        const QColor window = row.palette().color(QPalette::Window);
        QVERIFY(row.nameColor() != Style::primary());
        for (const QColor& c : {row.nameColor(), row.detailColor()})
            QVERIFY2(Style::contrastRatio(c, window) >= 4.5, qPrintable(c.name()));
        QCOMPARE(row.symbolTint(), Style::secondary());
        QCOMPARE(row.sizeText(), QString("2 MB"));
        QVERIFY(row.cleanButton()->isEnabled());

        QTest::mouseClick(row.checkBox(), Qt::LeftButton);
        QVERIFY(!model->settings().disabledTargetIDs().contains("logs"));
    }

    void cleanButton_data()
    {
        QTest::addColumn<bool>("cleaning");
        QTest::addColumn<bool>("cleaningAll");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("idle") << false << false << true;
        QTest::newRow("this one cleaning") << true << false << false;
        QTest::newRow("everything cleaning") << false << true << false;
    }
    void cleanButton()
    {
        QFETCH(bool, cleaning);
        QFETCH(bool, cleaningAll);
        QFETCH(bool, enabled);
        ModelFixture f;
        auto model = f.makeModel();
        int cleans = 0;
        TargetRowView row(*model, stateOf(*model, "trash", 1, false, cleaning), [&] { ++cleans; });
        model->setIsCleaningAll(cleaningAll);
        row.refresh();
        QCOMPARE(row.cleanButton()->isEnabled(), enabled);
        QCOMPARE(row.isCleanSpinnerShown(), cleaning);
        QCOMPARE(row.cleanButton()->toolTip(), QString("Clean Trash"));
        QTest::mouseClick(row.cleanButton(), Qt::LeftButton);
        QCOMPARE(cleans, enabled ? 1 : 0);
    }

    void infoLocations_data()
    {
        QTest::addColumn<QStringList>("paths");   // "$HOME" stands for the test's home
        QTest::addColumn<QString>("heading");     // empty: no heading, no divider
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("none") << QStringList{} << "" << QStringList{};
        QTest::newRow("the home itself") << QStringList{"$HOME"} << "Location" << QStringList{"~"};
        QTest::newRow("two under home") << QStringList{"$HOME/Library/Caches", "/var/tmp/x"} << "Locations"
                                        << QStringList{"~/Library/Caches", "/var/tmp/x"};
        // Only a leading home is shortened; a look-alike folder or home further in stays.
        QTest::newRow("look-alikes") << QStringList{"$HOMEx/data", "/mnt$HOME"} << "Locations"
                                     << QStringList{"$HOMEx/data", "/mnt$HOME"};
    }
    void infoLocations()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, heading);
        QFETCH(QStringList, shown);
        TestHome home;
        for (QString& p : paths)
            p.replace("$HOME", home.path());
        for (QString& p : shown)
            p.replace("$HOME", home.path());
        const CleanupTarget target = pathsTarget(paths);
        std::unique_ptr<QWidget> content(TargetRowView::makeInfoContent(target));
        QCOMPARE(content->findChild<QLabel*>("infoTitle")->text(), QString("Test folder"));
        QCOMPARE(content->findChild<QLabel*>("infoWhySafe")->text(), target.whySafe());
        QLabel* head = content->findChild<QLabel*>("locationHeading");
        QCOMPARE(head ? head->text() : QString(), heading);
        QCOMPARE(shownPaths(content.get()), shown);
        QCOMPARE(content->minimumWidth(), 300);
    }

    // A folder's own name and path are shown as they are, also where they look like HTML.
    void namesInToolTipsStayPlain()
    {
        ModelFixture f;
        auto model = f.makeModel();
        const QString name = QStringLiteral("<b>old</b> builds");
        const QString path = f.home.path() + QStringLiteral("/<i>old</i> builds");
        CleanupTarget target = pathsTarget({path});
        target.name = name;
        TargetRowView row(*model, TargetState{target, 1'000'000, false, false}, {});
        QCOMPARE(readToolTip(row.cleanButton()->toolTip()), QStringLiteral("Clean ") + name);
        std::unique_ptr<QWidget> content(TargetRowView::makeInfoContent(target));
        QLabel* shown = content->findChild<QLabel*>("locationPath");
        QVERIFY(shown);
        QCOMPARE(readToolTip(shown->toolTip()), QStringLiteral("~/<i>old</i> builds"));
        // Plain names keep their tooltip as it is.
        QCOMPARE(TargetRowView(*model, stateOf(*model, "trash", 1, false), {}).cleanButton()->toolTip(),
                 QString("Clean Trash"));
    }

    void popoverOpensFromTheInfoButton()
    {
        ModelFixture f;
        auto model = f.makeModel();
        TargetRowView row(*model, stateOf(*model, "chrome", 1, false), {});
        row.resize(380, 44);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QVERIFY(!row.isShowingInfo());
        QCOMPARE(row.infoButton()->toolTip(), QString("What this is and why it's safe to remove"));
        QTest::mouseClick(row.infoButton(), Qt::LeftButton);
        QVERIFY(row.isShowingInfo());
        QCOMPARE(row.infoPopover()->findChildren<QLabel*>("locationPath").size(),
                 findTarget(*model, "chrome")->target.displayPaths().size());
        // Closing the popover is what sets it back.
        row.infoPopover()->close();
        QTRY_VERIFY(!row.isShowingInfo());
    }
};

QTEST_MAIN(tst_TargetRow)
#include "tst_TargetRow.moc"
