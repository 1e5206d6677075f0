// The snapshots window: before the first listing, without snapshots, with a list (newest kept,
// or all to remove), while removing, and with a result or failure message.
#include "RenderKit.h"

#include "services/SnapshotManager.h"
#include "views/tools/SnapshotsModel.h"
#include "views/tools/SnapshotsView.h"
#include "views/components/TransientMessage.h"

namespace {

using namespace RenderKit;

QList<LocalSnapshot> seeded()
{
    QList<LocalSnapshot> list;
    for (const char* ts : {"2024-05-12-101503", "2024-05-11-221010", "2024-05-11-101122", "2024-05-10-095959",
                           "2024-05-09-120000", "2024-05-08-083012"})
        list << LocalSnapshot{QStringLiteral("com.apple.TimeMachine.%1.local").arg(QLatin1String(ts)), QLatin1String(ts)};
    // One that is not in the system's form: shown by its timestamp as it is.
    list << LocalSnapshot{QStringLiteral("com.apple.TimeMachine.manual-before-upgrade-with-a-rather-long-name.local"),
                          QStringLiteral("manual-before-upgrade-with-a-rather-long-name")};
    return list;
}

void shootState(const QString& name, const std::function<void(SnapshotsModel&)>& set)
{
    auto* model = new SnapshotsModel;
    set(*model);
    shoot(new SnapshotsView(model), name);
}

void snapshots()
{
    shootState(QStringLiteral("snapshots-working"), [](SnapshotsModel&) {});
    shootState(QStringLiteral("snapshots-empty"), [](SnapshotsModel& m) { m.setListing({}, 0); });
    shootState(QStringLiteral("snapshots-list"), [](SnapshotsModel& m) { m.setListing(seeded(), 12'340'000'000); });
    shootState(QStringLiteral("snapshots-list-remove-all"), [](SnapshotsModel& m) {
        m.setListing(seeded(), 0);
        m.setKeepNewest(false);
    });
    shootState(QStringLiteral("snapshots-removing"), [](SnapshotsModel& m) {
        m.setListing(seeded(), 12'340'000'000);
        m.setIsWorking(true);
    });
    shootState(QStringLiteral("snapshots-message"), [](SnapshotsModel& m) {
        m.setListing(seeded().mid(0, 1), 310'000'000);
        m.message().show(SnapshotsModel::messageFor(qint64(8'420'000'000)));
    });
    shootState(QStringLiteral("snapshots-failure"), [](SnapshotsModel& m) {
        m.setListing(seeded(), 12'340'000'000);
        m.message().show(SnapshotsModel::messageFor(
            SnapshotError::failed(QStringLiteral("The administrator user name or password was incorrect."))));
    });
}

} // namespace

DUSTLET_RENDER("snapshots", 60, snapshots);
