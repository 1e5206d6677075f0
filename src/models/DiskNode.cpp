#include "models/DiskNode.h"

#include "platform/RawPath.h"

#include <QHash>

#include <cstring>
#include <mutex>
#include <vector>

struct DiskNode::Fields {
    QString id;
    QString name;
    qint64 size = 0;
    bool isDirectory = false;
    FileCategory category = FileCategory::other;
    std::optional<QDateTime> modified;
    bool isSynthetic = false;
    QList<DiskNode> children;
};

namespace DiskTree {

struct Store::Impl {
    std::mutex lock;
    std::vector<std::unique_ptr<Record[]>> recordChunks;
    std::vector<std::unique_ptr<char[]>> nameChunks;
    Record* records = nullptr;
    size_t recordsLeft = 0;
    char* names = nullptr;
    size_t namesLeft = 0;
    size_t recordTotal = 0;
    size_t bytes = 0;

    static constexpr size_t kRecordChunk = 16384;
    static constexpr size_t kNameChunk = 1 << 20;

    Record* takeRecords(size_t count)
    {
        if (count > recordsLeft) {
            const size_t n = std::max(count, kRecordChunk);
            recordChunks.emplace_back(new Record[n]);
            records = recordChunks.back().get();
            recordsLeft = n;
            bytes += n * sizeof(Record);
        }
        Record* r = records;
        records += count;
        recordsLeft -= count;
        recordTotal += count;
        return r;
    }
    char* takeNames(size_t length)
    {
        if (length > namesLeft) {
            const size_t n = std::max(length, kNameChunk);
            nameChunks.emplace_back(new char[n]);
            names = nameChunks.back().get();
            namesLeft = n;
            bytes += n;
        }
        char* p = names;
        names += length;
        namesLeft -= length;
        return p;
    }
};

Store::Store() : d(std::make_unique<Impl>()) {}
Store::~Store() = default;

Record* Store::reserve(size_t count)
{
    std::lock_guard g(d->lock);
    return d->takeRecords(count);
}

const char* Store::addName(const char* data, size_t length)
{
    std::lock_guard g(d->lock);
    char* p = d->takeNames(length);
    std::memcpy(p, data, length);
    return p;
}

Record* Store::reserve(size_t count, size_t bytes, char** names)
{
    std::lock_guard g(d->lock);
    *names = bytes ? d->takeNames(bytes) : nullptr;
    return count ? d->takeRecords(count) : nullptr;
}

size_t Store::recordCount() const
{
    std::lock_guard g(d->lock);
    return d->recordTotal;
}

size_t Store::bytesUsed() const
{
    std::lock_guard g(d->lock);
    return d->bytes;
}

qint64 foldedSize(const Record& folder)
{
    qint64 kept = 0;
    for (quint32 i = 0; i < folder.keptCount; ++i)
        kept += folder.children[i].size;
    return folder.size - kept;
}

} // namespace DiskTree

namespace {

QByteArrayView recordName(const DiskTree::Record& r)
{
    return QByteArrayView(r.name, qsizetype(r.nameLength));
}

QByteArray childPath(const QByteArray& parent, const DiskTree::Record& child)
{
    QByteArray p;
    p.reserve(parent.size() + 1 + child.nameLength);
    p += parent;
    if (!p.endsWith('/'))
        p += '/';
    p += recordName(child);
    return p;
}

const QString kOtherSuffix = QStringLiteral("#other");

} // namespace

DiskNode::DiskNode(QString id, QString name, qint64 size, bool isDirectory, FileCategory category,
                   std::optional<QDateTime> modified, bool isSynthetic, QList<DiskNode> children)
    : m_fields(std::make_shared<Fields>(Fields{std::move(id), std::move(name), size, isDirectory, category,
                                               std::move(modified), isSynthetic, std::move(children)}))
{
}

DiskNode::DiskNode(std::shared_ptr<const DiskTree::Store> store, const DiskTree::Record* record, QByteArray rawPath,
                   bool syntheticView)
    : m_store(std::move(store)), m_record(record), m_raw(std::move(rawPath)), m_synthetic(syntheticView)
{
}

QString DiskNode::id() const
{
    if (m_fields)
        return m_fields->id;
    if (!m_record)
        return {};
    if (m_synthetic)
        return RawPath::key(childPath(m_raw, m_record->children[0])) + kOtherSuffix;
    return RawPath::key(m_raw);
}

QByteArray DiskNode::rawPath() const
{
    if (m_fields)
        return m_fields->isSynthetic ? QByteArray() : RawPath::fromKey(m_fields->id);
    if (!m_record || m_synthetic)
        return {};
    return m_raw;
}

QString DiskNode::path() const
{
    return RawPath::display(rawPath());
}

bool DiskNode::pathRoundTrips() const
{
    const QByteArray raw = rawPath();
    return !raw.isEmpty() && RawPath::roundTrips(raw);
}

QString DiskNode::name() const
{
    if (m_fields)
        return m_fields->name;
    if (!m_record)
        return {};
    if (m_synthetic)
        return QStringLiteral("(smaller items)");
    return RawPath::display(recordName(*m_record));
}

qint64 DiskNode::size() const
{
    if (m_fields)
        return m_fields->size;
    if (!m_record)
        return 0;
    return m_synthetic ? DiskTree::foldedSize(*m_record) : m_record->size;
}

bool DiskNode::isDirectory() const
{
    if (m_fields)
        return m_fields->isDirectory;
    return m_record && (m_synthetic || m_record->isDirectory);
}

FileCategory DiskNode::category() const
{
    if (m_fields)
        return m_fields->category;
    if (!m_record || m_synthetic)
        return FileCategory::other;
    return m_record->category;
}

std::optional<QDateTime> DiskNode::modified() const
{
    if (m_fields)
        return m_fields->modified;
    if (!m_record || m_synthetic || m_record->modifiedMs == DiskTree::kNoDate)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(m_record->modifiedMs, Qt::UTC);
}

bool DiskNode::isSynthetic() const
{
    if (m_fields)
        return m_fields->isSynthetic;
    return m_synthetic;
}

qsizetype DiskNode::childCount() const
{
    if (m_fields)
        return m_fields->children.size();
    if (!m_record || !m_record->isDirectory)
        return 0;
    if (m_synthetic)
        return qsizetype(m_record->childCount - m_record->keptCount);
    return qsizetype(m_record->keptCount) + (DiskTree::foldedSize(*m_record) >= 1 ? 1 : 0);
}

QList<DiskNode> DiskNode::children() const
{
    if (m_fields)
        return m_fields->children;
    QList<DiskNode> out;
    if (!m_record || !m_record->isDirectory)
        return out;
    const DiskTree::Record& r = *m_record;
    if (m_synthetic) {
        out.reserve(qsizetype(r.childCount - r.keptCount));
        for (quint32 i = r.keptCount; i < r.childCount; ++i)
            out.append(DiskNode(m_store, &r.children[i], childPath(m_raw, r.children[i])));
        return out;
    }
    const bool folded = DiskTree::foldedSize(r) >= 1;
    out.reserve(qsizetype(r.keptCount) + (folded ? 1 : 0));
    for (quint32 i = 0; i < r.keptCount; ++i)
        out.append(DiskNode(m_store, &r.children[i], childPath(m_raw, r.children[i])));
    if (folded)
        out.append(DiskNode(m_store, &r, m_raw, true));
    return out;
}

bool operator==(const DiskNode& a, const DiskNode& b)
{
    if (!a.m_fields && !b.m_fields && a.m_record == b.m_record && a.m_synthetic == b.m_synthetic
        && a.m_raw == b.m_raw)
        return true;
    if (a.id() != b.id() || a.name() != b.name() || a.size() != b.size() || a.isDirectory() != b.isDirectory()
        || a.category() != b.category() || a.modified() != b.modified() || a.isSynthetic() != b.isSynthetic()
        || a.childCount() != b.childCount())
        return false;
    const QList<DiskNode> ac = a.children();
    const QList<DiskNode> bc = b.children();
    for (qsizetype i = 0; i < ac.size(); ++i) {
        if (!(ac[i] == bc[i]))
            return false;
    }
    return true;
}

size_t qHash(const DiskNode& node, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, node.id());
    seed = combine(seed, node.name());
    seed = combine(seed, node.size());
    seed = combine(seed, node.isDirectory());
    seed = combine(seed, int(node.category()));
    const auto m = node.modified();
    seed = combine(seed, m ? m->toMSecsSinceEpoch() : DiskTree::kNoDate);
    seed = combine(seed, node.isSynthetic());
    for (const DiskNode& c : node.children())
        seed = combine(seed, qHash(c, 0));
    return seed;
}
