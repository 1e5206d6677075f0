#include "platform/PlistReader.h"

#include <QDateTime>
#include <QFile>
#include <QVariantList>

#include <plist/plist.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the property-list date epoch.
constexpr qint64 kEpoch2001 = 978307200;
// Nesting deeper than this is cut off: no reader here needs it, and it bounds the recursion.
constexpr int kMaxDepth = 128;

QVariant fromPlist(plist_t node, int depth)
{
    if (depth > kMaxDepth)
        return {};
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return QVariant(b != 0);
    }
    case PLIST_UINT: {
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        // Negative integers are stored in two's complement.
        return QVariant(static_cast<qint64>(u));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return QVariant(d);
    }
    case PLIST_STRING: {
        char* s = nullptr;
        plist_get_string_val(node, &s);
        QString text = QString::fromUtf8(s ? s : "");
        free(s);
        return QVariant(text);
    }
    case PLIST_DATA: {
        char* d = nullptr;
        uint64_t len = 0;
        plist_get_data_val(node, &d, &len);
        QByteArray bytes(d ? d : "", d ? static_cast<qsizetype>(len) : 0);
        free(d);
        return QVariant(bytes);
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 ms = (static_cast<qint64>(sec) + kEpoch2001) * 1000 + usec / 1000;
        return QVariant(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        for (uint32_t i = 0; i < n; ++i) {
            QVariant v = fromPlist(plist_array_get_item(node, i), depth + 1);
            if (v.isValid())
                list.append(v);
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            if (!key)
                break;
            map.insert(QString::fromUtf8(key), fromPlist(value, depth + 1));
            free(key);
        }
        free(it);
        return QVariant(map);
    }
    default:
        return {};
    }
}

struct PlistFree {
    void operator()(plist_t p) const { plist_free(p); }
};

} // namespace

namespace PlistReader {

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes)
{
    if (path.isEmpty())
        return std::nullopt;
    // Non-blocking, so that opening a FIFO returns at once; fstat then refuses it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes)
        return std::nullopt;
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(st.st_size));
    qsizetype have = 0;
    while (have < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + have, static_cast<size_t>(bytes.size() - have));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break; // shrank meanwhile
        have += n;
    }
    bytes.truncate(have);
    return bytes;
}

std::optional<QVariant> parse(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > qsizetype(UINT32_MAX))
        return std::nullopt;
    plist_t raw = nullptr;
    plist_from_memory(data.constData(), static_cast<uint32_t>(data.size()), &raw);
    if (!raw)
        return std::nullopt;
    const std::unique_ptr<void, PlistFree> root(raw);
    QVariant value = fromPlist(raw, 0);
    if (!value.isValid())
        return std::nullopt;
    return value;
}

std::optional<QVariantMap> readDictionary(const QString& path, qint64 maxBytes)
{
    const std::optional<QByteArray> bytes = readRegularFile(path, maxBytes);
    if (!bytes)
        return std::nullopt;
    const std::optional<QVariant> value = parse(*bytes);
    if (!value || value->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return value->toMap();
}

} // namespace PlistReader
