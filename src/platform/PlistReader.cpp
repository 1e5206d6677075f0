#include "platform/PlistReader.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QVariantList>

#include <plist/plist.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the property-list date epoch.
constexpr qint64 kEpoch2001 = 978307200;
// Values nested deeper than this are refused before libplist sees them: its parser and its free
// recurse once per level, so a file of a few megabytes could otherwise exhaust the stack.
constexpr int kMaxDepth = 128;
// A binary property list may refer to one object many times, and the library builds it anew for
// each reference: a small file could stand for a tree of billions of nodes.
constexpr quint64 kMaxNodes = 2'000'000;

// The deepest element nesting of an XML text, counted on the raw bytes, or kMaxDepth + 3 as
// soon as it is deeper than a property list of kMaxDepth levels can be (its <plist> element and
// a leaf element come on top). Comments, CDATA sections, processing instructions and
// declarations are passed over. The count errs towards too deep: a tag ends at its first ">",
// and one with a quote in it counts as opened even when it ends in "/>".
int xmlDepth(const QByteArray& data)
{
    constexpr int limit = kMaxDepth + 2;
    const char* p = data.constData();
    const char* const end = p + data.size();
    const auto skipPast = [&](const char* from, const char* marker) -> const char* {
        const QByteArrayView rest(from, end - from);
        const qsizetype at = rest.indexOf(QByteArrayView(marker));
        return at < 0 ? end : from + at + qsizetype(std::strlen(marker));
    };
    int depth = 0;
    int deepest = 0;
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            break;
        const QByteArrayView rest(p, end - p);
        if (rest.startsWith("<!--")) {
            p = skipPast(p + 4, "-->");
        } else if (rest.startsWith("<![CDATA[")) {
            p = skipPast(p + 9, "]]>");
        } else if (rest.startsWith("<?")) {
            p = skipPast(p + 2, "?>");
        } else if (rest.startsWith("<!") || rest.startsWith("</")) {
            const bool closing = rest.startsWith("</");
            p = skipPast(p + 2, ">");
            if (closing && depth > 0)
                --depth;
        } else {
            const char* close = static_cast<const char*>(std::memchr(p + 1, '>', size_t(end - p - 1)));
            const char* const tagEnd = close ? close : end;
            const QByteArrayView tag(p, tagEnd - p);
            const bool quoted = tag.contains('"') || tag.contains('\'');
            const bool selfClosing = close && close[-1] == '/' && !quoted;
            if (!selfClosing && ++depth > deepest) {
                deepest = depth;
                if (deepest > limit)
                    return limit + 1;
            }
            p = close ? close + 1 : end;
        }
    }
    return deepest;
}

quint64 bigEndian(const uchar* p, int bytes)
{
    quint64 v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

// Whether libplist may be given a binary property list ("bplist00"), judged from its raw bytes:
// the trailer, the offset table and the references of each array, set and dictionary must lie
// within the data, no chain of references may be longer than kMaxDepth or loop back, and the tree
// the library would build (it makes a node for every reference, so an object referred to twice is
// built twice) must stay under kMaxNodes. Each object is measured once, so shared objects cost
// nothing extra here.
bool binaryIsBounded(const QByteArray& data)
{
    constexpr qsizetype kHeader = 8;
    constexpr qsizetype kTrailer = 32;
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const quint64 size = quint64(data.size());
    if (size < quint64(kHeader + kTrailer))
        return false;
    const uchar* trailer = bytes + size - kTrailer;
    const int offsetSize = trailer[6];
    const int refSize = trailer[7];
    const quint64 count = bigEndian(trailer + 8, 8);
    const quint64 top = bigEndian(trailer + 16, 8);
    const quint64 tableStart = bigEndian(trailer + 24, 8);
    const quint64 objectsEnd = size - kTrailer;
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || count == 0 || top >= count
        || tableStart < quint64(kHeader) || tableStart > objectsEnd
        || count > (objectsEnd - tableStart) / quint64(offsetSize))
        return false;
    const auto offsetOf = [&](quint64 index, quint64* offset) {
        *offset = bigEndian(bytes + tableStart + index * quint64(offsetSize), offsetSize);
        return *offset >= quint64(kHeader) && *offset < tableStart;
    };
    // The references an object holds: where they start and how many there are.
    const auto references = [&](quint64 offset, quint64* first, quint64* refs) {
        const uchar marker = bytes[offset];
        const int type = marker >> 4;
        *refs = 0;
        *first = offset + 1;
        if (type != 0xA && type != 0xC && type != 0xD)
            return true; // no container
        quint64 n = marker & 0x0F;
        if (n == 0x0F) {
            // The count follows as an integer object: marker 0x1k, then 2^k bytes.
            if (*first >= tableStart || (bytes[*first] >> 4) != 0x1)
                return false;
            const int width = 1 << (bytes[*first] & 0x0F);
            if (width > 8 || *first + 1 + quint64(width) > tableStart)
                return false;
            n = bigEndian(bytes + *first + 1, width);
            *first += 1 + quint64(width);
        }
        if (type == 0xD) {
            if (n > tableStart)
                return false;
            n *= 2; // keys, then values
        }
        if (n > (tableStart - *first) / quint64(refSize))
            return false;
        *refs = n;
        return true;
    };

    // Per object once measured: its height (1 for a leaf) and the nodes of its tree; height 0
    // while unknown, kOnPath while it is being walked.
    constexpr uchar kOnPath = 255;
    static_assert(kMaxDepth < kOnPath);
    std::vector<uchar> height(count, 0);
    std::vector<quint32> nodes(count, 0);
    struct Step {
        quint64 index;
        quint64 first; // where its references start
        quint64 refs;
        quint64 next; // the next reference to follow
        int tallest; // the tallest child so far
        quint64 nodes; // nodes of its tree so far
    };
    std::vector<Step> path;
    path.reserve(size_t(kMaxDepth) + 1);
    const auto enter = [&](quint64 index) {
        quint64 offset = 0;
        Step step{index, 0, 0, 0, 0, 1};
        if (!offsetOf(index, &offset) || !references(offset, &step.first, &step.refs))
            return false;
        height[index] = kOnPath;
        path.push_back(step);
        return path.size() <= size_t(kMaxDepth);
    };
    // Adds a finished child to the step walking its parent.
    const auto addChild = [&](Step& parent, int childHeight, quint64 childNodes) {
        parent.tallest = std::max(parent.tallest, childHeight);
        parent.nodes += childNodes;
        return path.size() + size_t(childHeight) <= size_t(kMaxDepth) && parent.nodes <= kMaxNodes;
    };
    if (!enter(top))
        return false;
    while (!path.empty()) {
        Step& step = path.back();
        if (step.next == step.refs) {
            const Step done = step;
            height[done.index] = uchar(done.tallest + 1);
            nodes[done.index] = quint32(done.nodes);
            path.pop_back();
            if (!path.empty() && !addChild(path.back(), done.tallest + 1, done.nodes))
                return false;
            continue;
        }
        const quint64 child = bigEndian(bytes + step.first + step.next * quint64(refSize), refSize);
        ++step.next;
        if (child >= count || height[child] == kOnPath)
            return false; // out of range, or a loop
        if (height[child] > 0) {
            if (!addChild(step, height[child], nodes[child]))
                return false;
            continue;
        }
        if (!enter(child))
            return false;
    }
    return true;
}

// Whether libplist may be given `data`: read from the raw bytes, its nesting keeps within
// kMaxDepth levels (and a binary one's tree within kMaxNodes).
bool withinDepth(const QByteArray& data)
{
    if (data.startsWith("bplist00"))
        return binaryIsBounded(data);
    return xmlDepth(data) <= kMaxDepth + 2;
}

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
    default: return {};
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
    if (!withinDepth(data))
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
