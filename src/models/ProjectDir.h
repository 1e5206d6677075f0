#pragma once
#include <QDateTime>
#include <QMetaType>
#include <QString>

#include <optional>

// One build folder found inside a project, identified by its path.
struct ProjectDir {
    // The folder as the search reached it: the root, then "/" and each name on the way; links
    // are not resolved. Kept as RawPath::key of the bytes, so that a name that is not UTF-8 still
    // names this folder and no other (for showing, use RawPath::display of RawPath::fromKey).
    QString path;
    QString kindID;
    QString kindLabel;
    QString symbol;
    qint64 size = 0; // allocated bytes; 0 for a folder found as a link
    std::optional<QDateTime> modified; // the folder's own modification date, when readable

    friend bool operator==(const ProjectDir&, const ProjectDir&) = default;
};

Q_DECLARE_METATYPE(ProjectDir)
