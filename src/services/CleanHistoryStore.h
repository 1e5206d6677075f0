#pragma once
#include "models/CleanRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
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

// The journal of a clearing to the Trash while it runs, kept beside the settings
// ("clearing-<record id>.journal"): the clearing writes each item to it, with its place in the
// Trash, before the item moves. The owner removes it once the clearing's record is saved; one left
// by a crash or a kill is folded into the history at the next start (recover()), so that every
// item the clearing put in the Trash has a record that puts it back.
class Journal {
public:
    // Starts the journal of the clearing that `record` will record, in `folder`; no value when it
    // cannot be written there.
    static std::shared_ptr<Journal> begin(const QString& folder, const CleanRecord& record);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Writes one item (from any thread); false when it could not be written.
    bool append(const TrashedItem& item);
    // The clearing's record is saved: the journal goes.
    void remove();

private:
    Journal(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd;
    QString m_path;
};

// What recover() did.
struct Recovery {
    bool changed = false; // the history changed
    qint64 freed = 0; // bytes of the records it gave their size, which the all-time total lacks
    QStringList journals; // the journals it read
    explicit operator bool() const { return changed; }
};

// Folds the journals that clearings left in `folder` into `history`: each item that lies in the
// Trash at its journalled place joins the record of its clearing (made anew from the journal when
// the history lacks it), and a record that had freed nothing yet gets the size its items take in
// the Trash; a record left with nothing, of a clearing that moved nothing, goes. An item that
// never reached the Trash has its record there removed (see Trash::forgetUnfilledRecord). The
// journals stay until removeJournals(), once the history is saved: an end before that leaves them
// to be read again, which gives the same history.
Recovery recover(const QString& folder, QList<CleanRecord>& history);
void removeJournals(const Recovery& recovery);

// The stored JSON form: an array of records, dates as seconds since 2001-01-01 UTC, uppercase
// UUIDs, "items" and "restored" left out when absent.
QByteArray encode(const QList<CleanRecord>& history);
// All or nothing: one malformed record fails the whole list.
std::optional<QList<CleanRecord>> decode(const QByteArray& json);

} // namespace CleanHistoryStore
