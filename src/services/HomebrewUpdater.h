#pragma once
#include "services/ShellRunner.h"

#include <QList>
#include <QString>

#include <optional>

// One outdated Homebrew formula (command-line tool) or cask (app).
struct OutdatedPackage {
    QString name; // as Homebrew reports it
    QString installed; // "?" when the report gives none
    QString current; // "?" when the report gives none
    bool isCask = false;

    // "cask:<name>" or "formula:<name>": a formula and a cask of the same name are two items.
    QString id() const;
    friend bool operator==(const OutdatedPackage&, const OutdatedPackage&) = default;
};

// Asks the user's own Homebrew, in the login shell, what is outdated, and upgrades one package.
// Both calls block their thread until the command ends or times out; never on the main thread.
namespace HomebrewUpdater {

inline constexpr double kListTimeoutSeconds = 120;
inline constexpr double kUpgradeTimeoutSeconds = 600;

// The outdated packages in Homebrew's report (formulae, then casks, sorted by name), or none
// when the output is not one JSON object.
std::optional<QList<OutdatedPackage>> parseOutdated(const QString& output);

// The outdated packages, or none when the listing failed (Homebrew missing or failing, a
// time-out, output that is not its report).
std::optional<QList<OutdatedPackage>> listOutdated();
// The same, with a failed listing as the empty list.
QList<OutdatedPackage> outdated();

// The command line that upgrades `package`, or none for a name that would read as an option
// (a leading "-") or cannot be passed whole (empty, or holding a NUL).
std::optional<QString> upgradeCommand(const OutdatedPackage& package);
// Upgrades `package`; the runner's result (status 0 is success). A refused name runs nothing
// and gives status -1.
ShellResult upgrade(const OutdatedPackage& package);

} // namespace HomebrewUpdater
