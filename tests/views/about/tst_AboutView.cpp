#include "ModelAndUpdater.h"
#include "TextContrast.h"
#include "platform/ByteCountFormatter.h"
#include "platform/DateFormatter.h"
#include "platform/ui/FileManagerShell.h"
#include "services/CleanHistoryStore.h"
#include "services/Updater.h"
#include "views/about/AboutView.h"
#include "views/components/ElidedLabel.h"
#include "views/components/LinkButton.h"
#include "views/components/Style.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

namespace {

CleanRecord record(const QString& name, qint64 freed, bool trashed, std::optional<QList<TrashedItem>> items = {},
                   std::optional<bool> restored = {})
{
    CleanRecord r;
    r.targetName = name;
    r.freed = freed;
    r.date = QDateTime(QDate(2026, 3, 4), QTime(15, 4), Qt::UTC);
    r.trashed = trashed;
    r.items = std::move(items);
    r.restored = restored;
    return r;
}

bool isShown(QWidget* w) { return w && !w->isHidden(); }

} // namespace

Q_DECLARE_METATYPE(std::optional<bool>)

class tst_AboutView : public QObject, public WithModelAndUpdater {
    Q_OBJECT


    std::unique_ptr<AboutView> makeView()
    {
        auto view = std::make_unique<AboutView>(*model, *updater);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        return view;
    }

private Q_SLOTS:
    void init() { renew(false); }

    void cleanup()
    {
        FileManagerShell::setHandlerForTesting({});
        drop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A record's icon, its action or mark, and how its size is shown.
    void rowShowsWhatTheRecordAllows_data()
    {
        QTest::addColumn<bool>("trashed");
        QTest::addColumn<int>("items"); // -1: absent
        QTest::addColumn<std::optional<bool>>("restored");
        QTest::addColumn<int>("mark");
        QTest::addColumn<QString>("icon");
        const int putBack = int(AboutHistoryRow::Mark::putBack), restoredMark = int(AboutHistoryRow::Mark::restored),
                  none = int(AboutHistoryRow::Mark::none);
        const std::optional<bool> absent;
        QTest::newRow("to the Trash with items") << true << 2 << absent << putBack << "trash";
        QTest::newRow("restored stored as false") << true << 1 << std::optional<bool>(false) << putBack << "trash";
        QTest::newRow("to the Trash, items absent") << true << -1 << absent << none << "trash";
        QTest::newRow("to the Trash, items empty") << true << 0 << absent << none << "trash";
        QTest::newRow("restored") << true << 1 << std::optional<bool>(true) << restoredMark << "trash";
        QTest::newRow("restored without items") << true << -1 << std::optional<bool>(true) << restoredMark << "trash";
        QTest::newRow("deleted for good") << false << 1 << absent << none << "bolt.fill";
        QTest::newRow("deleted for good, marked restored")
            << false << -1 << std::optional<bool>(true) << restoredMark << "bolt.fill";
    }
    void rowShowsWhatTheRecordAllows()
    {
        QFETCH(bool, trashed);
        QFETCH(int, items);
        QFETCH(std::optional<bool>, restored);
        QFETCH(int, mark);
        QFETCH(QString, icon);
        std::optional<QList<TrashedItem>> list;
        if (items >= 0) {
            list = QList<TrashedItem>{};
            for (int i = 0; i < items; ++i)
                list->append({fx->home(QString("gone%1").arg(i)), fx->home(QString("trash/gone%1").arg(i))});
        }
        model->setHistory({record("Browser caches", 1'500'000, trashed, list, restored)});
        auto view = makeView();
        QCOMPARE(view->rows().size(), 1);
        AboutHistoryRow* row = view->rows().first();
        QCOMPARE(int(row->mark()), mark);
        QCOMPARE(row->iconName(), icon);
        QCOMPARE(row->putBackButton() != nullptr, mark == int(AboutHistoryRow::Mark::putBack));
        QCOMPARE(row->restoredMark() != nullptr, mark == int(AboutHistoryRow::Mark::restored));
        QCOMPARE(row->sizeLabel()->text(), "1.5 MB");
        const bool struck = restored.value_or(false);
        QCOMPARE(row->sizeLabel()->font().strikeOut(), struck);
        QCOMPARE(row->sizeLabel()->palette().color(QPalette::WindowText) == Style::legible(Style::green()), !struck);
        if (row->putBackButton())
            QCOMPARE(row->putBackButton()->toolTip(), "Restore these items from the Trash");
    }

    // An empty history: the placeholder, and neither "Open Trash" nor "Clear".
    void emptyHistory()
    {
        auto view = makeView();
        QVERIFY(view->rows().isEmpty());
        QVERIFY(isShown(view->emptyLabel()->parentWidget()));
        QCOMPARE(view->emptyLabel()->text(), "No cleanups yet.");
        QVERIFY(!isShown(view->openTrashButton()));
        QVERIFY(!isShown(view->clearButton()));
        QCOMPARE(view->totalLabel()->text(), "Zero KB");

        model->setHistory({record("Logs", 10'000, false)});
        QCOMPARE(view->rows().size(), 1);
        QVERIFY(!isShown(view->emptyLabel()->parentWidget()));
        QVERIFY(isShown(view->openTrashButton()));
        QVERIFY(isShown(view->clearButton()));
    }

    // Clear empties the list, stored and shown, and keeps the all-time total.
    void clearKeepsTheAllTimeTotal()
    {
        model->setHistory({record("A", 1, true), record("B", 2, false)});
        model->setTotalFreedAllTime(5'000'000'000);
        {
            auto view = makeView();
            QCOMPARE(view->totalLabel()->text(), "5 GB");
            view->clearButton()->click();
            QVERIFY(model->history().isEmpty());
            QCOMPARE(model->totalFreedAllTime(), 5'000'000'000);
            QVERIFY(view->rows().isEmpty());
            QCOMPARE(view->totalLabel()->text(), "5 GB");
        }
        const CleanHistoryStore::Loaded stored = CleanHistoryStore::load(fx->home.defaults());
        QVERIFY(stored.history.isEmpty());
        QCOMPARE(stored.total, 5'000'000'000);
        QCOMPARE(fx->home.defaults().data("cleanHistory"), std::optional<QByteArray>("[]"));
        // Opened again, the window shows the same.
        auto again = makeView();
        QVERIFY(again->rows().isEmpty());
        QCOMPARE(again->totalLabel()->text(), "5 GB");
    }

    // Every record is listed, more than the 50 that are stored.
    void moreThanFiftyRecordsAreAllShown()
    {
        QList<CleanRecord> history;
        for (int i = 0; i < 60; ++i)
            history << record(QString("Cleanup %1").arg(i), 1000 + i, false);
        model->setHistory(history);
        auto view = makeView();
        QCOMPARE(view->rows().size(), 60);
        QCOMPARE(view->rows().first()->nameLabel()->text(), "Cleanup 0");
        QCOMPARE(view->rows().last()->nameLabel()->text(), "Cleanup 59");
    }

    // Put Back moves the items back through the model: the row turns "Restored" with its size
    // struck through and the total falls. When nothing can move back, the button stays.
    void putBack()
    {
        const QString original = fx->home("Library/Caches/app");
        const QString inTrash = fx->home.mkdir("trash/app");
        fx->home.writeFile("trash/app/blob", 4096);
        const QString blocked = fx->home.mkdir("Library/Logs/occupied");
        const QString blockedInTrash = fx->home.mkdir("trash/occupied");
        model->setHistory({record("Caches", 4096, true, QList<TrashedItem>{{original, inTrash}}),
                           record("Logs", 100, true, QList<TrashedItem>{{blocked, blockedInTrash}})});
        model->setTotalFreedAllTime(10'000);
        auto view = makeView();

        view->rows().at(1)->putBackButton()->click();
        settle();
        QVERIFY(QFileInfo::exists(blockedInTrash));
        QCOMPARE(int(view->rows().at(1)->mark()), int(AboutHistoryRow::Mark::putBack));
        QCOMPARE(model->totalFreedAllTime(), 10'000);

        view->rows().at(0)->putBackButton()->click();
        settle();
        QVERIFY(QFileInfo::exists(original + "/blob"));
        QVERIFY(!QFileInfo::exists(inTrash));
        AboutHistoryRow* row = view->rows().at(0);
        QCOMPARE(int(row->mark()), int(AboutHistoryRow::Mark::restored));
        QVERIFY(row->sizeLabel()->font().strikeOut());
        QCOMPARE(model->totalFreedAllTime(), 10'000 - 4096);
        QCOMPARE(view->totalLabel()->text(), formatBytes(10'000 - 4096));
        QCOMPARE(model->statusMessage(), std::optional<QString>("Restored Caches"));
    }

    // A clearing that a kill ended is folded into the history at the next start from its journal,
    // with the bytes its items take in the Trash: its row and the all-time total show them.
    void recoveredClearingShowsItsBytes()
    {
        const QString a = fx->home.writeFile(".local/share/Trash/files/a", 1'000'000);
        const QString b = fx->home.writeFile(".local/share/Trash/files/b", 500'000);
        CleanRecord running = record("App cache files", 0, true, QList<TrashedItem>{{fx->home(".cache/a"), a}});
        const auto journal = CleanHistoryStore::Journal::begin(fx->home.defaults().folder(), running);
        QVERIFY(journal);
        QVERIFY(journal->append({fx->home(".cache/a"), a}) && journal->append({fx->home(".cache/b"), b}));
        // As the kill left it: the running record stored with what had moved by its last save.
        QVERIFY(!CleanHistoryStore::save(fx->home.defaults(), {running}, 2'000'000));

        auto recovered = fx->makeModel();
        const qint64 bytes = TestHome::allocated(a) + TestHome::allocated(b);
        QCOMPARE(recovered->history().size(), 1);
        QCOMPARE(recovered->history().first().freed, bytes);
        QCOMPARE(recovered->totalFreedAllTime(), 2'000'000 + bytes);
        const auto stored = CleanHistoryStore::load(fx->home.defaults());
        QCOMPARE(stored.history.first().freed, bytes);
        QCOMPARE(stored.total, 2'000'000 + bytes);
        AboutView view(*recovered, *updater);
        QCOMPARE(view.rows().size(), 1);
        QCOMPARE(view.rows().first()->sizeLabel()->text(), formatBytes(bytes));
        QCOMPARE(view.totalLabel()->text(), formatBytes(2'000'000 + bytes));
        QCOMPARE(int(view.rows().first()->mark()), int(AboutHistoryRow::Mark::putBack));
    }

    // Names and dates are plain text; the version reads from the bundle with its fallbacks.
    void textsAsTheyStand()
    {
        model->setHistory({record("Uninstalled <b>Odd</b> & Co", 1, true)});
        auto view = makeView();
        QCOMPARE(view->rows().first()->nameLabel()->text(), "Uninstalled <b>Odd</b> & Co");
        QCOMPARE(view->rows().first()->dateLabel()->text(),
                 formatMediumDateShortTime(QDateTime(QDate(2026, 3, 4), QTime(15, 4), Qt::UTC).toLocalTime()));
        QCOMPARE(AboutView::versionText("", ""), "Version 1.0 (1)");
        QCOMPARE(AboutView::versionText("2.3", "45"), "Version 2.3 (45)");
        QVERIFY(view->versionLabel()->text().startsWith("Version "));
        QCOMPARE(view->versionLabel()->textFormat(), Qt::PlainText);
    }

    // The update check follows the updater's flag while the window is open.
    void checkForUpdatesFollowsTheUpdater()
    {
        auto view = makeView();
        QVERIFY(!view->checkForUpdatesButton()->isEnabled());
        controller->move(true);
        QTRY_VERIFY(view->checkForUpdatesButton()->isEnabled());
        view->checkForUpdatesButton()->click();
        QCOMPARE(controller->checks, 1);
        controller->move(false);
        QTRY_VERIFY(!view->checkForUpdatesButton()->isEnabled());
    }

    // Every text reads at 4.5:1 in a light and a dark palette, the struck size of a restored
    // record included.
    void contrast()
    {
        model->setHistory({record("Caches", 4096, true, QList<TrashedItem>{{"/a", "/b"}}),
                           record("Logs", 100, true, QList<TrashedItem>{{"/c", "/d"}}, true),
                           record("Homebrew", 100, false)});
        model->setTotalFreedAllTime(123'000'000);
        controller->can = true;
        const QList<TextContrast::Text> texts =
            TextContrast::measureLightAndDark([this] { return new AboutView(*model, *updater); });
        QVERIFY2(texts.size() >= 30, qPrintable(QString::number(texts.size())));
        const QString failed = TextContrast::failures(texts);
        QVERIFY2(failed.isEmpty(), qPrintable(QLatin1Char('\n') + failed));
    }

    // "Open Trash" opens the Trash the program moves items to.
    void openTrash()
    {
        QList<QPair<FileManagerShell::Action, QString>> asked;
        FileManagerShell::setHandlerForTesting([&](FileManagerShell::Action a, const QString& what) {
            asked.append({a, what});
        });
        model->setHistory({record("Logs", 1, true)});
        auto view = makeView();
        view->openTrashButton()->click();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().first, FileManagerShell::Action::OpenUrl);
        QCOMPARE(asked.first().second, FileManagerShell::trashUrl().toString());
    }
};

QTEST_MAIN(tst_AboutView)
#include "tst_AboutView.moc"
