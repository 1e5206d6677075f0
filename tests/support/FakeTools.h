#pragma once
#include "TestHome.h"

#include <QByteArray>

// Fake system tools for the snapshot and Homebrew tests. Each records its runs in the test home
// (TestHome::recordedRuns) and reads its answers from files there, so a test can change them.
namespace FakeTools {

// A fake tmutil, made the tool the program runs, together with the fake osascript. Listing
// prints `listing` and exits with `listStatus`; deleting a snapshot takes its lines out of the
// listing, or fails when $HOME/delete-fails exists.
void installSnapshotTools(TestHome& home, const QByteArray& listing, int listStatus = 0);
// Replaces what the fake tmutil lists.
void setListing(TestHome& home, const QByteArray& listing, int listStatus = 0);

// A fake brew first on the login shell's PATH. "brew outdated …" prints `report` and exits with
// `reportStatus`; any other run exits with `upgradeStatus`. Every run first waits while
// $HOME/brew-hold exists (see TestHome::holdWhileExists).
void installBrew(TestHome& home, const QByteArray& report, int reportStatus = 0, int upgradeStatus = 0);
// Changes the fake brew's answers.
void setBrew(TestHome& home, const QByteArray& report, int reportStatus = 0, int upgradeStatus = 0);
// A login shell whose PATH finds no brew.
void hideBrew(TestHome& home);

// Points tmutil and osascript back at the system's own.
void reset();

} // namespace FakeTools
