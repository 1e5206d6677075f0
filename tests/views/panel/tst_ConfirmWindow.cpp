#include "../../services/AppModelFakes.h"
#include "platform/ByteCountFormatter.h"
#include "views/panel/ConfirmWindowView.h"
#include "views/Windows.h"

#include <QCheckBox>
#include <QPushButton>
#include <QApplication>
#include <QTest>

namespace {

// The "confirm" scene as the application registers it, around a test's model.
struct ConfirmScene {
    Windows windows;
    explicit ConfirmScene(AppModel& model)
    {
        windows.registerScene({"confirm", "Confirm Cleanup", [this, &model] { return new ConfirmWindowView(model, windows); },
                               true, std::nullopt});
    }
    ConfirmWindowView* view() const
    {
        QWidget* w = windows.window("confirm");
        return w ? w->findChild<ConfirmWindowView*>() : nullptr;
    }
    ConfirmSheet* sheet() const { return view() ? view()->sheet() : nullptr; }
    QWidget* open()
    {
        QWidget* w = windows.open("confirm");
        if (w)
            (void)QTest::qWaitForWindowExposed(w);
        return w;
    }
};

void finishCleaningAll(ModelFixture& f, AppModel& model)
{
    for (int guard = 0; model.isCleaningAll() && guard < 500; ++guard) {
        if (!f.cleanGates.empty() && !f.cleanGates.back()->promise.future().isFinished())
            f.finishClean(CleanOutcome{1'000'000, std::nullopt, {}});
        settle();
    }
}

} // namespace

class tst_ConfirmWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The sheet's lengths are drawn for a 13-pixel body: at that font they are the design's own.
    void initTestCase()
    {
        QFont f = QApplication::font();
        f.setPixelSize(13);
        QApplication::setFont(f);
    }

    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void showsTheRequest_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<bool>("developer");
        QTest::newRow("one target") << false << false;
        QTest::newRow("everything, developer mode") << true << true;
    }
    void showsTheRequest()
    {
        QFETCH(bool, all);
        QFETCH(bool, developer);
        ModelFixture f;
        auto model = f.makeModel();
        model->settings().setDeveloperMode(developer);
        model->rebuildTargets();
        QList<TargetState> list = model->targets();
        for (int i = 0; i < list.size(); ++i)
            list[i].size = qint64(i + 1) * 1'000'000;
        model->setTargets(list);
        if (all)
            model->requestCleanAll();
        else
            model->requestClean("trash");
        ConfirmScene scene(*model);
        QWidget* window = scene.open();
        QVERIFY(window);
        ConfirmSheet* sheet = scene.sheet();
        QVERIFY(sheet);
        const PendingClean p = *model->pendingClean();
        QCOMPARE(sheet->questionText(), QStringLiteral("Clean %1?").arg(p.title));
        QCOMPARE(sheet->sizeLineText(),
                 std::optional<QString>(QStringLiteral("Frees about %1. This data regenerates automatically.").arg(*p.sizeText)));
        QCOMPARE(sheet->countText(), std::optional<QString>(ConfirmSheet::countLine(p.items.size())));
        QCOMPARE(sheet->countText(), std::optional<QString>(p.items.size() == 1 ? QString("1 item")
                                                                                 : QStringLiteral("%1 items").arg(p.items.size())));
        QCOMPARE(sheet->listHeight(), ConfirmSheet::listHeightFor(p.items.size()));
        QCOMPARE(bool(sheet->permanentCheckBox()), developer);
        if (all)
            QVERIFY(p.items.size() >= 7);
        // The window takes the sheet's size: the list is not squeezed by the buttons under it.
        QCOMPARE(window->width(), 380);
        QVERIFY(window->height() >= sheet->heightForWidth(380));
    }

    void confirmRunsTheCleanupAndCloses()
    {
        ModelFixture f;
        f.holdCleans = true;
        auto model = f.makeModel();
        QList<TargetState> list = model->targets();
        list[0].size = 1'000'000;
        model->setTargets(list);
        model->requestCleanAll();
        ConfirmScene scene(*model);
        QVERIFY(scene.open());
        QTest::keyClick(scene.sheet(), Qt::Key_Return);
        QVERIFY(!model->pendingClean());
        QTRY_VERIFY(!scene.windows.isOpen("confirm"));
        QTRY_VERIFY(!f.cleanCalls.isEmpty());
        QVERIFY(f.cleanCalls[0].moveToTrash);   // outside developer mode never permanently
        finishCleaningAll(f, *model);
        QCOMPARE(model->statusMessage(),
                 std::optional<QString>(QStringLiteral("Freed %1 total").arg(formatBytes(1'000'000 * f.cleanCalls.size()))));
    }

    void escapeCancels()
    {
        ModelFixture f;
        auto model = f.makeModel();
        model->requestClean("trash");
        ConfirmScene scene(*model);
        QVERIFY(scene.open());
        QTest::keyClick(scene.sheet(), Qt::Key_Escape);
        QVERIFY(!model->pendingClean());
        QTRY_VERIFY(!scene.windows.isOpen("confirm"));
        QVERIFY(f.cleanCalls.isEmpty());
    }

    void nothingPendingClosesAtOnce()
    {
        ModelFixture f;
        auto model = f.makeModel();
        ConfirmScene scene(*model);
        QVERIFY(scene.windows.open("confirm"));
        QTRY_VERIFY(!scene.windows.isOpen("confirm"));

        // And a request that is withdrawn elsewhere closes the open window too.
        model->requestClean("trash");
        QVERIFY(scene.open());
        model->setPendingClean(std::nullopt);
        QTRY_VERIFY(!scene.windows.isOpen("confirm"));
    }

    // A new request that replaces an open one starts with "Delete permanently" off again.
    void replacedRequestResetsPermanentDelete()
    {
        ModelFixture f;
        f.holdCleans = true;
        auto model = f.makeModel();
        model->settings().setDeveloperMode(true);
        model->rebuildTargets();
        model->requestClean("derived");
        ConfirmScene scene(*model);
        QVERIFY(scene.open());
        QPointer<ConfirmSheet> first = scene.sheet();
        first->permanentCheckBox()->setChecked(true);
        QCOMPARE(first->confirmButton()->text(), QString("Delete"));

        model->requestCleanAll();   // e.g. from the low-space notification
        ConfirmSheet* second = scene.sheet();
        QVERIFY(second && second != first);
        QVERIFY(!second->permanentCheckBox()->isChecked());
        QVERIFY(!second->deletePermanently());
        QCOMPARE(second->confirmButton()->text(), QString("Clean"));
        QVERIFY(second->questionText().contains("all enabled items"));

        QTest::keyClick(second, Qt::Key_Return);
        QTRY_VERIFY(!f.cleanCalls.isEmpty());
        QVERIFY(f.cleanCalls[0].moveToTrash);
        finishCleaningAll(f, *model);
        QVERIFY(!first);   // the old sheet is gone, not merely hidden
    }

    // The window follows its content both ways: a one-target request that replaces the request
    // for everything leaves no stretched sheet in a window sized for the longer list.
    void replacedRequestResizesTheWindow()
    {
        ModelFixture f;
        auto model = f.makeModel();
        model->settings().setDeveloperMode(true);
        model->rebuildTargets();
        QList<TargetState> list = model->targets();
        for (int i = 0; i < list.size(); ++i)
            list[i].size = qint64(i + 1) * 1'000'000;
        model->setTargets(list);
        model->requestCleanAll();
        ConfirmScene scene(*model);
        QWidget* window = scene.open();
        QVERIFY(window);
        const int tall = window->height();

        model->requestClean("trash");
        settle();
        ConfirmSheet* sheet = scene.sheet();
        QVERIFY(sheet);
        QCOMPARE(scene.windows.window("confirm"), window);
        QVERIFY(window->height() < tall);
        QCOMPARE(window->height(), sheet->heightForWidth(380));

        model->requestCleanAll();
        settle();
        QCOMPARE(window->height(), tall);
    }

    // While everything is being cleaned, confirming another request does nothing and the sheet
    // stays open; once the cleanup is over it can be confirmed.
    void noSecondCleanupWhileCleaningAll()
    {
        ModelFixture f;
        f.holdCleans = true;
        auto model = f.makeModel();
        model->requestCleanAll();
        model->confirmPending(false);
        QVERIFY(model->isCleaningAll());
        QTRY_COMPARE(f.cleanCalls.size(), 1);

        model->requestClean("trash");
        ConfirmScene scene(*model);
        QVERIFY(scene.open());
        ConfirmSheet* sheet = scene.sheet();
        QVERIFY(!sheet->confirmButton()->isEnabled());
        QTest::keyClick(sheet, Qt::Key_Return);
        QTest::mouseClick(sheet->confirmButton(), Qt::LeftButton);
        settle();
        QVERIFY(model->pendingClean());
        QVERIFY(scene.windows.isOpen("confirm"));
        QCOMPARE(f.cleanCalls.size(), 1);

        // The model refuses it as well, whoever asks.
        model->confirmPending(true);
        settle();
        QVERIFY(model->pendingClean());
        QCOMPARE(f.cleanCalls.size(), 1);

        finishCleaningAll(f, *model);
        QVERIFY(sheet->confirmButton()->isEnabled());
        const qsizetype before = f.cleanCalls.size();
        QTest::keyClick(sheet, Qt::Key_Return);
        QTRY_COMPARE(f.cleanCalls.size(), before + 1);
        QCOMPARE(f.cleanCalls.constLast().id, QString("trash"));
        QTRY_VERIFY(!scene.windows.isOpen("confirm"));
    }
};

QTEST_MAIN(tst_ConfirmWindow)
#include "tst_ConfirmWindow.moc"
