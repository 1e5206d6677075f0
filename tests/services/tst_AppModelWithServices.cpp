// The model with the real measuring, clearing and Trash services in a temporary home: a custom
// folder is added, measured, cleared to the Trash and put back from the history.
#include "AppModel.h"
#include "TestHome.h"
#include "models/DiskInfo.h"
#include "platform/Clock.h"
#include "platform/Trash.h"
#include "platform/UserDefaults.h"
#include "services/CleanHistoryStore.h"

#include <QCoro/QCoroTask>
#include <QDirIterator>
#include <QFileInfo>
#include <QtTest>

class tst_AppModelWithServices : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addCleanAndPutBack();
};

void tst_AppModelWithServices::addCleanAndPutBack()
{
    TestHome home;
    QVERIFY(home.isValid());
    ManualClock clock;
    AppModelEnvironment env = AppModel::realEnvironment(home.defaults());
    env.clock = &clock;
    AppModel model(env);
    QVERIFY(model.disk().total > 0);

    const QString a = home.writeFile(QStringLiteral("work/cache/a.bin"), 64 * 1024);
    const QString b = home.writeFile(QStringLiteral("work/cache/sub/b.bin"), 128 * 1024);
    const qint64 allocated = TestHome::allocated(a) + TestHome::allocated(b);
    QCOMPARE(model.addCustomFolder(QStringLiteral("~/work/cache")), std::nullopt);
    const QString id = QStringLiteral("custom:") + home("work/cache");
    QTRY_VERIFY(!model.targets().isEmpty() && model.targets().last().size.has_value());
    QVERIFY(model.targets().last().size.value() >= allocated);

    model.requestClean(id);
    QCOMPARE(model.pendingClean()->items.first().label, home("work/cache"));
    model.confirmPending(false);
    QTRY_VERIFY(model.statusMessage().has_value());
    QVERIFY2(model.statusMessage()->startsWith(QStringLiteral("Freed ")), qPrintable(*model.statusMessage()));
    QVERIFY(!QFileInfo::exists(a));
    QVERIFY(!QFileInfo::exists(home("work/cache/sub")));
    QVERIFY(QFileInfo(home("work/cache")).isDir()); // the folder itself stays
    QCOMPARE(model.targets().last().size, std::optional<qint64>(0));
    QCOMPARE(model.history().size(), 1);
    const CleanRecord record = model.history().first();
    QVERIFY(record.trashed);
    QVERIFY(record.items && record.items->size() == 2);
    for (const TrashedItem& item : *record.items)
        QVERIFY2(Trash::isInTrash(item.trashPath), qPrintable(item.trashPath));

    model.restore(model.history().first());
    QVERIFY(QFileInfo(a).isFile());
    QVERIFY(QFileInfo(b).isFile());
    QCOMPARE(model.history().first().restored, std::optional<bool>(true));
    QCOMPARE(model.statusMessage(), std::optional<QString>(QStringLiteral("Restored cache")));
    QCOMPARE(CleanHistoryStore::load(home.defaults()).total, qint64(0));
    // Nothing of it is left in the Trash, records included.
    for (const TrashedItem& item : *record.items)
        QVERIFY(!QFileInfo::exists(item.trashPath));
    QDirIterator info(home(".local/share/Trash/info"), QDir::Files);
    QVERIFY(!info.hasNext());
}

QTEST_GUILESS_MAIN(tst_AppModelWithServices)
#include "tst_AppModelWithServices.moc"
