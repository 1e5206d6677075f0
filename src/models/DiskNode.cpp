#include "models/DiskNode.h"

#include "models/DiskTree.h"
#include "models/NodeList.h"

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
    NodeList children;
};

namespace {

QByteArrayView recordName(const DiskTree::Store& store, const DiskTree::Record& r)
{
    const size_t length = r.nameLength();
    return length ? QByteArrayView(store.name(r), qsizetype(length)) : QByteArrayView();
}

QByteArray childPath(const QByteArray& parent, const DiskTree::Store& store, const DiskTree::Record& child)
{
    const QByteArrayView name = recordName(store, child);
    QByteArray p;
    p.reserve(parent.size() + 1 + name.size());
    p += parent;
    if (!p.endsWith('/'))
        p += '/';
    p += name;
    return p;
}

const QString kOtherSuffix = QStringLiteral("#other");

} // namespace

DiskNode::DiskNode(QString id, QString name, qint64 size, bool isDirectory, FileCategory category,
                   std::optional<QDateTime> modified, bool isSynthetic, QList<DiskNode> children)
    : m_fields(std::make_shared<Fields>(Fields{std::move(id), std::move(name), size, isDirectory, category,
                                               std::move(modified), isSynthetic, NodeList(std::move(children))}))
{
}

DiskNode::DiskNode(QString id, QString name, qint64 size, bool isDirectory, FileCategory category,
                   std::optional<QDateTime> modified, bool isSynthetic, NodeList children)
    : m_fields(std::make_shared<Fields>(Fields{std::move(id), std::move(name), size, isDirectory, category,
                                               std::move(modified), isSynthetic, std::move(children)}))
{
}

DiskNode DiskNode::childOf(std::shared_ptr<const DiskTree::Store> store, const DiskTree::Record* record,
                           QByteArray parentPath)
{
    DiskNode node(std::move(store), record, std::move(parentPath));
    node.m_rawIsParent = true;
    return node;
}

std::optional<DiskNode::StoreChild> DiskNode::storeChild() const
{
    if (!m_rawIsParent)
        return std::nullopt;
    return StoreChild{&m_store, m_record, &m_raw};
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
        return RawPath::key(childPath(m_raw, *m_store, *m_store->children(*m_record))) + kOtherSuffix;
    return RawPath::key(rawPath());
}

QByteArray DiskNode::rawPath() const
{
    if (m_fields)
        return m_fields->isSynthetic ? QByteArray() : RawPath::fromKey(m_fields->id);
    if (!m_record || m_synthetic)
        return {};
    return m_rawIsParent ? childPath(m_raw, *m_store, *m_record) : m_raw;
}

QString DiskNode::path() const { return RawPath::display(rawPath()); }

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
    return RawPath::display(recordName(*m_store, *m_record));
}

qint64 DiskNode::size() const
{
    if (m_fields)
        return m_fields->size;
    if (!m_record)
        return 0;
    return m_synthetic ? DiskTree::foldedSize(*m_store, *m_record) : qint64(m_record->size);
}

bool DiskNode::isDirectory() const
{
    if (m_fields)
        return m_fields->isDirectory;
    return m_record && (m_synthetic || m_record->isDirectory());
}

FileCategory DiskNode::category() const
{
    if (m_fields)
        return m_fields->category;
    if (!m_record || m_synthetic)
        return FileCategory::other;
    return m_record->category();
}

std::optional<QDateTime> DiskNode::modified() const
{
    if (m_fields)
        return m_fields->modified;
    if (!m_record || m_synthetic)
        return std::nullopt;
    const qint64 ms = m_record->modifiedMs();
    if (ms == DiskTree::kNoDate)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
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
    if (!m_record || !m_record->isDirectory())
        return 0;
    const quint32 count = m_store->childCount(*m_record);
    const quint32 kept = m_store->keptCount(*m_record);
    if (m_synthetic)
        return qsizetype(count - kept);
    return qsizetype(kept) + (DiskTree::foldedSize(*m_store, *m_record) >= 1 ? 1 : 0);
}

QList<DiskNode> DiskNode::children() const
{
    if (m_fields)
        return m_fields->children.toList();
    QList<DiskNode> out;
    if (!m_record || !m_record->isDirectory())
        return out;
    const DiskTree::Record& r = *m_record;
    const DiskTree::Record* kids = m_store->children(r);
    const quint32 count = m_store->childCount(r);
    const quint32 kept = m_store->keptCount(r);
    // Children share this folder's path; each makes its own when asked.
    const QByteArray own = m_synthetic ? m_raw : rawPath();
    if (m_synthetic) {
        out.reserve(qsizetype(count - kept));
        for (quint32 i = kept; i < count; ++i)
            out.append(childOf(m_store, &kids[i], own));
        return out;
    }
    const bool folded = DiskTree::foldedSize(*m_store, r) >= 1;
    out.reserve(qsizetype(kept) + (folded ? 1 : 0));
    for (quint32 i = 0; i < kept; ++i)
        out.append(childOf(m_store, &kids[i], own));
    if (folded)
        out.append(DiskNode(m_store, &r, own, true));
    return out;
}

NodeList DiskNode::childList() const
{
    if (m_fields)
        return m_fields->children;
    if (m_synthetic && m_record && m_record->isDirectory()) {
        const quint32 kept = m_store->keptCount(*m_record);
        return NodeList(m_store, m_raw, m_store->children(*m_record) + kept,
                        qsizetype(m_store->childCount(*m_record) - kept));
    }
    return NodeList(children());
}

bool operator==(const DiskNode& a, const DiskNode& b)
{
    if (!a.m_fields && !b.m_fields && a.m_record == b.m_record && a.m_synthetic == b.m_synthetic
        && a.m_rawIsParent == b.m_rawIsParent && a.m_raw == b.m_raw)
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
