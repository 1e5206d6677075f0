#include "platform/UserDefaults.h"

#include "platform/PlistReader.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QStandardPaths>
#include <QTimeZone>

#include <plist/plist.h>

#include <cmath>

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
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        // The XML writer prints a plain integer as signed, so a negative value survives.
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::ULongLong:
        return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
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
    case QMetaType::QVariantList:
        return listToPlist(value.toList());
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

bool readPlist(QIODevice& device, QSettings::SettingsMap& map)
{
    const QByteArray xml = device.readAll();
    if (xml.trimmed().isEmpty())
        return true;
    const std::optional<QVariant> root = PlistReader::parse(xml);
    if (!root)
        return false; // an unreadable file reads as empty; the next write replaces it
    if (root->typeId() == QMetaType::QVariantMap) {
        const QVariantMap all = root->toMap();
        for (auto it = all.begin(); it != all.end(); ++it)
            map.insert(it.key(), it.value());
    }
    return true;
}

bool writePlist(QIODevice& device, const QSettings::SettingsMap& map)
{
    plist_t dict = plist_new_dict();
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (plist_t node = toPlist(it.value()))
            plist_dict_set_item(dict, it.key().toUtf8().constData(), node);
    }
    char* xml = nullptr;
    uint32_t len = 0;
    plist_to_xml(dict, &xml, &len);
    plist_free(dict);
    if (!xml)
        return false;
    const bool ok = device.write(xml, len) == static_cast<qint64>(len);
    plist_to_xml_free(xml);
    return ok;
}

QSettings::Format plistFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("plist"), readPlist, writePlist, Qt::CaseSensitive);
    return format;
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
    case QMetaType::Float:
        return true;
    default:
        return false;
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

} // namespace

UserDefaults& UserDefaults::standard()
{
#ifdef Q_OS_MACOS
    static UserDefaults instance{QString()};
#else
    static UserDefaults instance{standardPath()};
#endif
    return instance;
}

QString UserDefaults::standardPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/dustlet/defaults.plist");
}

UserDefaults::UserDefaults(const QString& plistPath)
{
#ifdef Q_OS_MACOS
    if (plistPath.isEmpty()) {
        m_settings = std::make_unique<QSettings>();
        return;
    }
#endif
    QDir().mkpath(QFileInfo(plistPath).absolutePath());
    m_settings = std::make_unique<QSettings>(plistPath, plistFormat());
    m_settings->setFallbacksEnabled(false);
}

UserDefaults::~UserDefaults()
{
    m_settings->sync();
}

bool UserDefaults::contains(const QString& key) const { return m_settings->contains(key); }

QVariant UserDefaults::object(const QString& key) const { return m_settings->value(key); }

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
        if (!std::isfinite(d) || d != std::trunc(d) || d < -9.2233720368547758e18
            || d >= 9.2233720368547758e18)
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
    m_settings->setValue(key, value);
    m_settings->sync(); // each write reaches the store at once
}

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

void UserDefaults::remove(const QString& key)
{
    m_settings->remove(key);
    m_settings->sync();
}

void UserDefaults::sync() { m_settings->sync(); }
