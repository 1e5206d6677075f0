#pragma once
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// One item moved to the Trash: where it was, and where it went.
struct TrashedItem {
    QString original;
    QString trashPath;
    friend bool operator==(const TrashedItem&, const TrashedItem&) = default;
};

inline size_t qHash(const TrashedItem& item, size_t seed = 0)
{
    return qHashMulti(seed, item.original, item.trashPath);
}

// One entry of the cleanup history.
struct CleanRecord {
    QUuid id = QUuid::createUuid();
    QString targetName;
    qint64 freed = 0;
    QDateTime date;
    bool trashed = false;
    std::optional<QList<TrashedItem>> items;
    std::optional<bool> restored;
    friend bool operator==(const CleanRecord&, const CleanRecord&) = default;
};
