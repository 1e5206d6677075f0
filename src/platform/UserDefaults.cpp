#include "platform/UserDefaults.h"

#include "platform/FolderEntry.h"
#include "platform/NoFollow.h"
#include "platform/Paths.h"
#include "platform/PlistReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QTimeZone>

#include <plist/plist.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the property-list date epoch.
constexpr qint64 kEpoch2001 = 978307200;

plist_t toPlist(const QVariant& value);

plist_t listToPlist(const QVariantList& list)
{
    plist_t array = plist_new_array();
    for (const QVariant& item : list) {
        if (plist_t node = toPlist(item))
            plist_array_append_item(array, node);
    }
    return array;
}

plist_t toPlist(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        // The XML writer prints a plain integer as signed, so a negative value survives.
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::ULongLong: return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float: return plist_new_real(value.toDouble());
    case QMetaType::QString: return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 ms = value.toDateTime().toMSecsSinceEpoch() - kEpoch2001 * 1000;
        const qint64 sec = static_cast<qint64>(std::floor(ms / 1000.0));
        const qint64 usec = (ms - sec * 1000) * 1000;
        return plist_new_date(static_cast<int32_t>(sec), static_cast<int32_t>(usec));
    }
    case QMetaType::QStringList: {
        QVariantList list;
        for (const QString& s : value.toStringList())
            list.append(s);
        return listToPlist(list);
    }
    case QMetaType::QVariantList: return listToPlist(value.toList());
    case QMetaType::QVariantMap: {
        plist_t dict = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            if (plist_t node = toPlist(it.value()))
                plist_dict_set_item(dict, it.key().toUtf8().constData(), node);
        }
        return dict;
    }
    default:
        if (value.canConvert<QString>())
            return plist_new_string(value.toString().toUtf8().constData());
        return nullptr;
    }
}

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::Double:
    case QMetaType::Float: return true;
    default: return false;
    }
}

// The platform's reading of a text as a boolean: "YES"/"true" (any case) or a leading
// non-zero integer.
bool textIsTrue(const QString& raw)
{
    const QString s = raw.trimmed();
    if (s.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0
        || s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        ++i;
    for (; i < s.size() && s[i].isDigit(); ++i) {
        if (s[i] != QLatin1Char('0'))
            return true;
    }
    return false;
}


QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString text(const char* source) { return QCoreApplication::translate("UserDefaults", source); }

// The XML property list of `values`, or no value when the library could not make one.
std::optional<QByteArray> toXml(const QVariantMap& values)
{
    plist_t dict = plist_new_dict();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (plist_t node = toPlist(it.value()))
            plist_dict_set_item(dict, it.key().toUtf8().constData(), node);
    }
    char* xml = nullptr;
    uint32_t len = 0;
    plist_to_xml(dict, &xml, &len);
    plist_free(dict);
    if (!xml)
        return std::nullopt;
    QByteArray out(xml, qsizetype(len));
    plist_to_xml_free(xml);
    return out;
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

} // namespace

// One settings file and its values, shared by every store of the process made for that file.
class PlistFileStore {
public:
    static std::shared_ptr<PlistFileStore> forPath(const QString& path)
    {
        static QMutex mutex;
        static QHash<QString, std::weak_ptr<PlistFileStore>> open;
        const QString key = QFileInfo(path).absoluteFilePath();
        QMutexLocker lock(&mutex);
        if (std::shared_ptr<PlistFileStore> store = open.value(key).lock())
            return store;
        auto store = std::make_shared<PlistFileStore>(key);
        open.insert(key, store);
        return store;
    }

    explicit PlistFileStore(const QString& path) : m_path(path) { load(); }

    QString path() const { return m_path; }

    QVariant value(const QString& key) const
    {
        QMutexLocker lock(&m_mutex);
        return m_values.value(key);
    }
    bool contains(const QString& key) const
    {
        QMutexLocker lock(&m_mutex);
        return m_values.contains(key);
    }

    // Sets (or, with an invalid value, removes) `key` and writes the file; why it could not.
    std::optional<QString> change(const QString& key, const QVariant& value)
    {
        QMutexLocker lock(&m_mutex);
        if (value.isValid())
            m_values.insert(key, value);
        else
            m_values.remove(key);
        return save();
    }

    std::optional<QString> takeSetAside()
    {
        QMutexLocker lock(&m_mutex);
        return std::exchange(m_setAside, std::nullopt);
    }

private:
    // Reads the file, or sets aside one that is there but cannot be read.
    void load()
    {
        const QByteArray path = QFile::encodeName(m_path);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0) {
            if (errno != ENOENT)
                m_blocked = systemError(errno); // what is there cannot even be looked at: leave it
            return;
        }
        if (const std::optional<QByteArray> bytes = PlistReader::readRegularFile(m_path, UserDefaults::kMaxFileBytes)) {
            const std::optional<QVariant> root = PlistReader::parse(*bytes);
            if (root && root->typeId() == QMetaType::QVariantMap) {
                m_values = root->toMap();
                return;
            }
        }
        setAside();
    }

    // Renames the unreadable file (or whatever stands at its place) to
    // "<name>.unreadable-<date-time>" beside it, never over anything.
    void setAside()
    {
        const QByteArray path = QFile::encodeName(m_path);
        const NoFollow::Fd folder(::open(parentOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder) {
            m_blocked = systemError(errno);
            return;
        }
        const QByteArray name = nameOf(path);
        const QByteArray stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")).toLatin1();
        for (int n = 1; n < 1000; ++n) {
            const QByteArray aside =
                name + ".unreadable-" + stamp + (n == 1 ? QByteArray() : '-' + QByteArray::number(n));
            if (FolderEntry::renameNoReplace(folder.get(), name.constData(), folder.get(), aside.constData())) {
                m_setAside = QFile::decodeName(parentOf(path) + '/' + aside);
                return;
            }
            if (errno != EEXIST)
                break;
        }
        m_blocked = systemError(errno);
    }

    // Replaces the file with the current values: a new file beside it, renamed over it.
    std::optional<QString> save()
    {
        if (m_blocked)
            return text(QT_TRANSLATE_NOOP("UserDefaults", "%1 couldn't be read and was left as it is (%2)"))
                .arg(Paths::abbreviateHome(m_path), *m_blocked);
        const std::optional<QByteArray> xml = toXml(m_values);
        if (!xml)
            return text(QT_TRANSLATE_NOOP("UserDefaults", "the values could not be written as a property list"));
        if (xml->size() > UserDefaults::kMaxFileBytes)
            return text(QT_TRANSLATE_NOOP("UserDefaults", "the settings would be larger than %1 MB"))
                .arg(UserDefaults::kMaxFileBytes / (1024 * 1024));

        // The place written: the file itself, or the regular file a link there leads to.
        QByteArray target = QFile::encodeName(m_path);
        struct stat st {};
        bool exists = false;
        if (::lstat(target.constData(), &st) == 0) {
            exists = true;
            if (S_ISLNK(st.st_mode)) {
                char* resolved = ::realpath(target.constData(), nullptr);
                if (!resolved || ::stat(resolved, &st) != 0 || !S_ISREG(st.st_mode)) {
                    std::free(resolved);
                    return text(QT_TRANSLATE_NOOP("UserDefaults", "%1 is not a regular file"))
                        .arg(Paths::abbreviateHome(m_path));
                }
                target = resolved;
                std::free(resolved);
            } else if (!S_ISREG(st.st_mode)) {
                return text(QT_TRANSLATE_NOOP("UserDefaults", "%1 is not a regular file"))
                    .arg(Paths::abbreviateHome(m_path));
            }
        } else if (errno != ENOENT) {
            return systemError(errno);
        }

        const NoFollow::Fd folder(::open(parentOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder)
            return systemError(errno);
        static std::atomic<quint64> counter{0};
        const QByteArray name = nameOf(target);
        const QByteArray part = '.' + name + ".new-" + QByteArray::number(qint64(::getpid())) + '-'
            + QByteArray::number(counter.fetch_add(1));
        const mode_t mode = exists ? (st.st_mode & 07777) : 0600;
        const int fd =
            ::openat(folder.get(), part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0)
            return systemError(errno);
        bool ok = writeAll(fd, *xml) && ::fsync(fd) == 0;
        if (ok && exists)
            ::fchmod(fd, mode); // not narrowed by the umask
        int error = errno;
        if (::close(fd) != 0 && ok) {
            ok = false;
            error = errno;
        }
        if (ok && ::renameat(folder.get(), part.constData(), folder.get(), name.constData()) != 0) {
            ok = false;
            error = errno;
        }
        if (!ok) {
            ::unlinkat(folder.get(), part.constData(), 0);
            return systemError(error);
        }
        return std::nullopt;
    }

    mutable QMutex m_mutex;
    const QString m_path;
    QVariantMap m_values;
    std::optional<QString> m_setAside; // where an unreadable file was kept, until told
    std::optional<QString> m_blocked; // why nothing may be written: the file could not be set aside
};

UserDefaults& UserDefaults::standard()
{
#ifdef Q_OS_MACOS
    static UserDefaults instance{QString()};
#else
    static UserDefaults instance{standardPath()};
#endif
    return instance;
}

QString UserDefaults::standardPath() { return standardFolder() + QStringLiteral("/defaults.plist"); }

QString UserDefaults::standardFolder()
{
#ifdef Q_OS_MACOS
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/dustlet");
#endif
}

UserDefaults::UserDefaults(const QString& plistPath)
{
#ifdef Q_OS_MACOS
    if (plistPath.isEmpty()) {
        m_native = std::make_unique<QSettings>();
        return;
    }
#endif
    m_file = PlistFileStore::forPath(plistPath);
}

UserDefaults::~UserDefaults()
{
    if (m_native)
        m_native->sync();
}

QString UserDefaults::folder() const { return m_file ? QFileInfo(m_file->path()).absolutePath() : standardFolder(); }

bool UserDefaults::contains(const QString& key) const
{
    return m_file ? m_file->contains(key) : m_native->contains(key);
}

QVariant UserDefaults::object(const QString& key) const { return m_file ? m_file->value(key) : m_native->value(key); }

std::optional<double> UserDefaults::number(const QString& key) const
{
    const QVariant v = object(key);
    if (!isNumber(v))
        return std::nullopt;
    return v.toDouble();
}

std::optional<qint64> UserDefaults::int64(const QString& key) const
{
    const QVariant v = object(key);
    if (!isNumber(v))
        return std::nullopt;
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        const double d = v.toDouble();
        // Only a whole number inside the Int64 range is representable.
        if (!std::isfinite(d) || d != std::trunc(d) || d < -9.2233720368547758e18 || d >= 9.2233720368547758e18)
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    if (v.typeId() == QMetaType::ULongLong && v.toULongLong() > quint64(INT64_MAX))
        return std::nullopt;
    return v.toLongLong();
}

std::optional<bool> UserDefaults::strictBool(const QString& key) const
{
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::Bool)
        return std::nullopt;
    return v.toBool();
}

bool UserDefaults::lenientBool(const QString& key) const
{
    const QVariant v = object(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (isNumber(v))
        return v.toDouble() != 0;
    if (v.typeId() == QMetaType::QString)
        return textIsTrue(v.toString());
    return false;
}

std::optional<QStringList> UserDefaults::stringArray(const QString& key) const
{
    const QVariant v = object(key);
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList();
    if (v.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QStringList out;
    for (const QVariant& item : v.toList()) {
        if (item.typeId() != QMetaType::QString)
            return std::nullopt;
        out.append(item.toString());
    }
    return out;
}

std::optional<QString> UserDefaults::string(const QString& key) const
{
    const QVariant v = object(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    if (isNumber(v))
        return v.toString();
    return std::nullopt;
}

std::optional<QDateTime> UserDefaults::date(const QString& key) const
{
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QDateTime)
        return std::nullopt;
    return v.toDateTime().toUTC();
}

std::optional<QByteArray> UserDefaults::data(const QString& key) const
{
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return v.toByteArray();
}

void UserDefaults::write(const QString& key, const QVariant& value)
{
    if (m_file) {
        finishWrite(m_file->change(key, value));
        return;
    }
    if (value.isValid())
        m_native->setValue(key, value);
    else
        m_native->remove(key);
    m_native->sync(); // each write reaches the store at once
    finishWrite(
        m_native->status() == QSettings::NoError
            ? std::nullopt
            : std::optional<QString>(text(QT_TRANSLATE_NOOP("UserDefaults", "the user defaults refused the change"))));
}

void UserDefaults::finishWrite(const std::optional<QString>& error)
{
    m_lastError = error;
    if (error && m_onFailure)
        m_onFailure(*error);
}

void UserDefaults::setWriteFailureHandler(std::function<void(const QString& reason)> handler)
{
    m_onFailure = std::move(handler);
}

std::optional<QString> UserDefaults::takeSetAsideNotice() { return m_file ? m_file->takeSetAside() : std::nullopt; }

void UserDefaults::setDouble(const QString& key, double value) { write(key, QVariant(value)); }
void UserDefaults::setInt64(const QString& key, qint64 value) { write(key, QVariant(value)); }
void UserDefaults::setBool(const QString& key, bool value) { write(key, QVariant(value)); }
void UserDefaults::setString(const QString& key, const QString& value) { write(key, QVariant(value)); }
void UserDefaults::setStringArray(const QString& key, const QStringList& value)
{
    QVariantList list;
    for (const QString& s : value)
        list.append(s);
    write(key, QVariant(list));
}
void UserDefaults::setDate(const QString& key, const QDateTime& value) { write(key, QVariant(value.toUTC())); }
void UserDefaults::setData(const QString& key, const QByteArray& value) { write(key, QVariant(value)); }
void UserDefaults::setObject(const QString& key, const QVariant& value) { write(key, value); }

void UserDefaults::remove(const QString& key) { write(key, QVariant()); }
