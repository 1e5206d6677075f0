// The app and tool updates window: checking, Homebrew missing, nothing outdated, a failed
// listing, the list, an upgrade running, and a long result line.
#include "RenderKit.h"

#include "views/tools/AppUpdatesModel.h"
#include "views/tools/AppUpdatesView.h"

namespace {

using namespace RenderKit;
using State = AppUpdatesModel::State;

QList<OutdatedPackage> seeded()
{
    return {
        {QStringLiteral("ffmpeg"), QStringLiteral("6.1.1_2"), QStringLiteral("7.0"), false},
        {QStringLiteral("firefox"), QStringLiteral("124.0.1"), QStringLiteral("125.0.2"), true},
        {QStringLiteral("jq"), QStringLiteral("?"), QStringLiteral("1.7.1"), false},
        {QStringLiteral("node@20"), QStringLiteral("20.11.1"), QStringLiteral("20.12.2"), false},
        {QStringLiteral("visual-studio-code"), QStringLiteral("1.88.0"), QStringLiteral("1.88.1"), true},
        {QStringLiteral("<b>not bold</b> & co"), QStringLiteral("1.0"), QStringLiteral("1.1"), false},
        {QStringLiteral("wget"), QStringLiteral("1.21.3"), QStringLiteral("1.24.5"), false},
    };
}

void shootState(const QString& name, const std::function<void(AppUpdatesModel&)>& set)
{
    auto* model = new AppUpdatesModel;
    set(*model);
    shoot(new AppUpdatesView(model), name);
}

void appUpdates()
{
    shootState(QStringLiteral("appupdates-checking"), [](AppUpdatesModel& m) { m.setState(State::checking); });
    shootState(QStringLiteral("appupdates-unavailable"), [](AppUpdatesModel& m) { m.setState(State::unavailable); });
    shootState(QStringLiteral("appupdates-up-to-date"), [](AppUpdatesModel& m) { m.setState(State::ready); });
    shootState(QStringLiteral("appupdates-listing-failed"), [](AppUpdatesModel& m) {
        m.setListingFailed(true);
        m.setState(State::ready);
    });
    shootState(QStringLiteral("appupdates-list"), [](AppUpdatesModel& m) {
        m.setPackages(seeded());
        m.setState(State::ready);
    });
    shootState(QStringLiteral("appupdates-updating"), [](AppUpdatesModel& m) {
        m.setPackages(seeded());
        m.setState(State::ready);
        m.setBusy(true);
        m.setStatus(QStringLiteral("Updating firefox…"));
    });
    shootState(QStringLiteral("appupdates-message"), [](AppUpdatesModel& m) {
        m.setPackages(seeded().mid(2, 2));
        m.setState(State::ready);
        m.setStatus(QStringLiteral("Couldn't update a-package-with-a-very-long-name-from-a-third-party-tap-that-"
                                   "goes-on-and-on."));
    });
}

} // namespace

DUSTLET_RENDER("appupdates", 61, appUpdates);
