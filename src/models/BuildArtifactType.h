#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// One kind of regenerable build folder inside a project: the folder names that identify it, how
// deep its project folder may lie below a search root, and the entries of which at least one must
// stand in that project folder.
struct BuildArtifactType {
    QString id; // stable, unique in the table
    QString label; // shown with the kind
    QString symbol; // symbol shown with the kind
    QStringList names; // folder names, compared exactly
    int maxDepth = 0; // deepest depth of the project folder (a search root has depth 0)
    // Entries of the project folder of which one must be present; empty: none needed. "*.ext"
    // stands for any entry whose name ends with ".ext".
    QStringList markers;

    // The table of every kind, in its fixed order.
    static const QList<BuildArtifactType>& all();

    // Whether an entry named `entryName` satisfies `marker`.
    static bool markerMatches(const QString& marker, const QString& entryName);

    friend bool operator==(const BuildArtifactType&, const BuildArtifactType&) = default;
};
