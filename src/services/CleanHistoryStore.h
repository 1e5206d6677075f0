#pragma once
#include "models/CleanRecord.h"

#include <QByteArray>
#include <QList>

#include <optional>

class UserDefaults;

// Loads and saves the cleanup history ("cleanHistory", JSON) and the all-time total
// ("totalFreedAllTime") in the user defaults.
namespace CleanHistoryStore {

constexpr int kMaxStoredRecords = 50;

struct Loaded {
    QList<CleanRecord> history;
    qint64 total = 0;
};

Loaded load(const UserDefaults& defaults);
// Stores at most the newest 50 records; the total is always written. Why the store could not
// keep them, or no value when it did.
std::optional<QString> save(UserDefaults& defaults, const QList<CleanRecord>& history, qint64 total);

// The stored JSON form: an array of records, dates as seconds since 2001-01-01 UTC, uppercase
// UUIDs, "items" and "restored" left out when absent.
QByteArray encode(const QList<CleanRecord>& history);
// All or nothing: one malformed record fails the whole list.
std::optional<QList<CleanRecord>> decode(const QByteArray& json);

} // namespace CleanHistoryStore
