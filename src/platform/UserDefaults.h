#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

// The user defaults: a typed key–value store that keeps each value's type across restarts.
// On macOS this is the application's own defaults domain; elsewhere a property-list file under
// the XDG config folder. The readers follow the platform's rules: a strict boolean is only a
// stored boolean, a lenient one also accepts numbers and "YES"/"true"-like texts, and so on.
class UserDefaults {
public:
    // The application's store (created on first use, from the environment of that moment).
    static UserDefaults& standard();

    // A store kept in the given property-list file (used off macOS and by tests).
    explicit UserDefaults(const QString& plistPath);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // Where the standard store lives off macOS: $XDG_CONFIG_HOME/dustlet/defaults.plist.
    static QString standardPath();

    bool contains(const QString& key) const;
    QVariant object(const QString& key) const;

    std::optional<double> number(const QString& key) const;     // a stored number (not a boolean)
    std::optional<qint64> int64(const QString& key) const;      // a number representable as Int64
    std::optional<bool> strictBool(const QString& key) const;   // a stored boolean only
    bool lenientBool(const QString& key) const;                 // missing → false
    std::optional<QStringList> stringArray(const QString& key) const;
    std::optional<QString> string(const QString& key) const;    // a text, or a number as text
    std::optional<QDateTime> date(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;

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

    // Writes pending changes and re-reads the file.
    void sync();

private:
    void write(const QString& key, const QVariant& value);
    std::unique_ptr<QSettings> m_settings;
};
