#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class PlistFileStore;

// The user defaults: a typed key–value store that keeps each value's type across restarts.
// On macOS this is the application's own defaults domain; elsewhere a property-list file under
// the XDG config folder. The readers follow the platform's rules: a strict boolean is only a
// stored boolean, a lenient one also accepts numbers and "YES"/"true"-like texts, and so on.
//
// The file is the program's own record, and is handled as one that something else may have
// spoilt. It is read only when it is a regular file (opened without blocking, up to kMaxFileBytes,
// its nesting measured before it is parsed). One that is there but cannot be read as a property
// list with a dictionary at the top is set aside, never deleted: renamed to
// "<name>.unreadable-<date-time>" beside it, and the store starts empty. Every write replaces the
// whole file in one step (a new file beside it, renamed over it), and only ever a regular file: a
// link is written through when it leads to a regular file; when the place holds anything else
// (a FIFO, a device, a folder, a link to one of them), the values stay in memory and the write is
// reported as failed. Stores made for the same file in one process share their values.
class UserDefaults {
public:
    // The largest settings file read or written.
    static constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;

    // The application's store (created on first use, from the environment of that moment).
    static UserDefaults& standard();

    // A store kept in the given property-list file (used off macOS and by tests).
    explicit UserDefaults(const QString& plistPath);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // Where the standard store lives off macOS: $XDG_CONFIG_HOME/dustlet/defaults.plist.
    static QString standardPath();
    // The folder that holds the standard store's file and the program's files beside it (its
    // instance lock, its record of a clearing under way).
    static QString standardFolder();
    // The folder of this store's file (for the native store, standardFolder()).
    QString folder() const;

    bool contains(const QString& key) const;
    QVariant object(const QString& key) const;

    std::optional<double> number(const QString& key) const; // a stored number (not a boolean)
    std::optional<qint64> int64(const QString& key) const; // a number representable as Int64
    std::optional<bool> strictBool(const QString& key) const; // a stored boolean only
    bool lenientBool(const QString& key) const; // missing → false
    std::optional<QStringList> stringArray(const QString& key) const;
    std::optional<QString> string(const QString& key) const; // a text, or a number as text
    std::optional<QDateTime> date(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;

    // Each write takes effect in memory at once and reaches the file before it returns, or is
    // reported: lastWriteError() and the failure handler say why it did not.
    void setDouble(const QString& key, double value);
    void setInt64(const QString& key, qint64 value);
    void setBool(const QString& key, bool value);
    void setString(const QString& key, const QString& value);
    void setStringArray(const QString& key, const QStringList& value);
    void setDate(const QString& key, const QDateTime& value);
    void setData(const QString& key, const QByteArray& value);
    // Any raw value (tests store odd types this way).
    void setObject(const QString& key, const QVariant& value);
    void remove(const QString& key);

    // Why the last write through this store did not reach the file; no value when it did.
    std::optional<QString> lastWriteError() const { return m_lastError; }
    // Called with the reason after each write through this store that did not reach the file.
    void setWriteFailureHandler(std::function<void(const QString& reason)> handler);

    // Where the unreadable file found when the store's file was first read was kept, the first
    // time this is asked in the process; no value after that, or when there was none.
    std::optional<QString> takeSetAsideNotice();

private:
    void write(const QString& key, const QVariant& value);
    void finishWrite(const std::optional<QString>& error);

    std::unique_ptr<QSettings> m_native; // macOS: the real user defaults
    std::shared_ptr<PlistFileStore> m_file; // elsewhere: the property-list file
    std::optional<QString> m_lastError;
    std::function<void(const QString&)> m_onFailure;
};
