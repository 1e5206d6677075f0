#pragma once
// An update machinery the test owns: whether a check may start, the automatic preference, and
// how many checks were asked for. Header-only (tests link the core library for Updater).
#include "services/Updater.h"

class FakeUpdaterController : public UpdaterController {
public:
    bool can = true;
    bool automatic = false;
    int checks = 0;

    bool canCheckForUpdates() const override { return can; }
    void checkForUpdates() override { ++checks; }
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool v) override { automatic = v; }

    // Changes the may-check flag and reports it, as the machinery does.
    void move(bool value)
    {
        can = value;
        Q_EMIT canCheckForUpdatesChanged(value);
    }
};
