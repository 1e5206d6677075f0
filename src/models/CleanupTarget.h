#pragma once
#include "models/CleanupCategory.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <variant>

// How a target is cleared.
namespace CleanupKinds {
// The contents of each folder are cleared (a listed file is removed itself). A path piece "*"
// stands for every folder at that place (each profile of a browser). Entries of the folders
// that are listed in `keep` stay, and are not measured either: they are other targets' places.
struct Paths {
    Paths(QStringList paths = {}, QStringList keep = {}) : paths(std::move(paths)), keep(std::move(keep)) {}
    QStringList paths;
    QStringList keep;
    friend bool operator==(const Paths&, const Paths&) = default;
};
// A command line run in the login shell; the fallback paths are emptied when it fails and are
// what is measured.
struct Command {
    QString shell;
    QStringList fallbackPaths;
    friend bool operator==(const Command&, const Command&) = default;
};
// A search under roots for folders named one of `names`.
struct Finder {
    QStringList roots;
    QStringList names;
    int maxDepth = 0;
    QStringList ignore;
    int minAgeDays = 0;
    QStringList requireMarker;
    friend bool operator==(const Finder&, const Finder&) = default;
};
} // namespace CleanupKinds

using CleanupKind = std::variant<CleanupKinds::Paths, CleanupKinds::Command, CleanupKinds::Finder>;

struct CleanupTarget {
    QString id;
    QString name;
    QString symbol;
    QString detail;
    CleanupKind kind;
    CleanupCategory category = CleanupCategory::recommended;
    bool isBuiltIn = true;

    // The locations shown for the target; "~" expanded on every read.
    QStringList displayPaths() const;
    // Why clearing this target is safe, for a one-target confirmation.
    QString whySafe() const;

    friend bool operator==(const CleanupTarget&, const CleanupTarget&) = default;
};
