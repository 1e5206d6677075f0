#include "FakeTools.h"

#include "platform/ToolPaths.h"

namespace FakeTools {

void setListing(TestHome& home, const QByteArray& listing, int listStatus)
{
    home.writeText("listing.txt", listing);
    home.writeText("listing-status", QByteArray::number(listStatus));
}

void installSnapshotTools(TestHome& home, const QByteArray& listing, int listStatus)
{
    setListing(home, listing, listStatus);
    const QString tmutil = home.fakeCommand(
        "tmutil",
        TestHome::recordArguments("tmutil")
            + "case \"$1\" in\n"
              "listlocalsnapshots) cat \"$HOME/listing.txt\"; exit $(cat \"$HOME/listing-status\");;\n"
              "deletelocalsnapshots)\n"
              "  if [ -e \"$HOME/delete-fails\" ]; then echo \"Failed to delete $2\" >&2; exit 70; fi\n"
              "  grep -F -v -- \"$2\" \"$HOME/listing.txt\" > \"$HOME/listing.new\"; mv \"$HOME/listing.new\" "
              "\"$HOME/listing.txt\";;\n"
              "esac\n");
    ToolPaths::overrideForTesting(ToolPaths::Tool::Tmutil, tmutil);
    ToolPaths::overrideForTesting(ToolPaths::Tool::Osascript, TestHome::fakeOsascript());
}

void setBrew(TestHome& home, const QByteArray& report, int reportStatus, int upgradeStatus)
{
    home.writeText("report.json", report);
    home.writeText("report-status", QByteArray::number(reportStatus));
    home.writeText("upgrade-status", QByteArray::number(upgradeStatus));
}

void installBrew(TestHome& home, const QByteArray& report, int reportStatus, int upgradeStatus)
{
    setBrew(home, report, reportStatus, upgradeStatus);
    home.fakeCommand(
        "brew",
        TestHome::recordArguments("brew") + TestHome::holdWhileExists("brew-hold")
            + "if [ \"$1\" = outdated ]; then cat \"$HOME/report.json\"; exit $(cat \"$HOME/report-status\"); fi\n"
              "exit $(cat \"$HOME/upgrade-status\")\n");
}

void hideBrew(TestHome& home)
{
    home.mkdir("empty-bin");
    home.writeText(".zprofile", "export PATH=\"" + home("empty-bin").toUtf8() + "\"\n");
}

void reset()
{
    for (auto tool : {ToolPaths::Tool::Tmutil, ToolPaths::Tool::Osascript})
        ToolPaths::overrideForTesting(tool, {});
}

} // namespace FakeTools
