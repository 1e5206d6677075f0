#include "models/NodeList.h"

#include "models/DiskTree.h"

#include <atomic>
#include <cstring>

struct NodeList::Data {
    QList<DiskNode> nodes; // made by hand
    std::shared_ptr<const DiskTree::Store> store; // or records of a store
    QByteArray parent;
    std::vector<const DiskTree::Record*> records;
    const DiskTree::Record* first = nullptr; // or a run of records
    qsizetype count = 0;
    mutable std::atomic<int> categories{-1}; // categoryMask(), once worked out

    const DiskTree::Record& record(qsizetype i) const { return first ? first[i] : *records[size_t(i)]; }
};

NodeList::NodeList(QList<DiskNode> nodes)
{
    if (nodes.isEmpty())
        return;
    auto data = std::make_shared<Data>();
    data->nodes = std::move(nodes);
    data->count = data->nodes.size();
    d = std::move(data);
}

NodeList::NodeList(std::shared_ptr<const DiskTree::Store> store, QByteArray parentPath,
                   std::vector<const DiskTree::Record*> records, int categoryMask)
{
    auto data = std::make_shared<Data>();
    data->categories.store(categoryMask, std::memory_order_relaxed);
    data->store = std::move(store);
    data->parent = std::move(parentPath);
    data->count = qsizetype(records.size());
    data->records = std::move(records);
    d = std::move(data);
}

NodeList::NodeList(std::shared_ptr<const DiskTree::Store> store, QByteArray parentPath, const DiskTree::Record* first,
                   qsizetype count)
{
    auto data = std::make_shared<Data>();
    data->store = std::move(store);
    data->parent = std::move(parentPath);
    data->first = first;
    data->count = first ? count : 0;
    d = std::move(data);
}

qsizetype NodeList::size() const { return d ? d->count : 0; }

DiskNode NodeList::at(qsizetype i) const
{
    if (d->store)
        return DiskNode::childOf(d->store, &d->record(i), d->parent);
    return d->nodes[i];
}

qint64 NodeList::sizeAt(qsizetype i) const { return d->store ? qint64(d->record(i).size) : d->nodes[i].size(); }

FileCategory NodeList::categoryAt(qsizetype i) const
{
    return d->store ? d->record(i).category() : d->nodes[i].category();
}

bool NodeList::isSyntheticAt(qsizetype i) const { return d->store ? false : d->nodes[i].isSynthetic(); }

QList<DiskNode> NodeList::toList() const
{
    if (!d)
        return {};
    if (!d->store)
        return d->nodes;
    QList<DiskNode> out;
    out.reserve(d->count);
    for (qsizetype i = 0; i < d->count; ++i)
        out.append(at(i));
    return out;
}

const std::shared_ptr<const DiskTree::Store>* NodeList::store() const { return d && d->store ? &d->store : nullptr; }

const QByteArray& NodeList::parentPath() const
{
    static const QByteArray none;
    return d ? d->parent : none;
}

const std::vector<const DiskTree::Record*>& NodeList::records() const
{
    static const std::vector<const DiskTree::Record*> none;
    return d ? d->records : none;
}

qsizetype NodeList::indexOf(const DiskNode& node, bool sameSize) const
{
    if (isEmpty())
        return -1;
    const bool synthetic = node.isSynthetic();
    const qint64 size = sameSize ? node.size() : 0;
    if (!d->store) {
        const QByteArray raw = synthetic ? QByteArray() : node.rawPath();
        const QString id = synthetic ? node.id() : QString();
        for (qsizetype i = 0; i < d->count; ++i) {
            const DiskNode& c = d->nodes[i];
            if ((sameSize && c.size() != size) || c.isSynthetic() != synthetic)
                continue;
            if (synthetic ? c.id() == id : c.rawPath() == raw)
                return i;
        }
        return -1;
    }
    if (synthetic)
        return -1; // a list of records holds no folded node
    if (const std::optional<DiskNode::StoreChild> child = node.storeChild();
        child && child->store->get() == d->store.get()) {
        if (d->first) {
            const std::ptrdiff_t at = child->record - d->first;
            if (at >= 0 && at < d->count)
                return qsizetype(at);
        } else {
            for (size_t i = 0; i < d->records.size(); ++i)
                if (d->records[i] == child->record)
                    return qsizetype(i);
        }
    }
    // The same item as another record (a finished tree holds copies of the live root's records):
    // by name, below this list's folder.
    const QByteArray raw = node.rawPath();
    QByteArray prefix = d->parent;
    if (!prefix.endsWith('/'))
        prefix += '/';
    if (!raw.startsWith(prefix))
        return -1;
    const QByteArrayView name = QByteArrayView(raw).sliced(prefix.size());
    if (name.isEmpty() || name.contains('/'))
        return -1;
    for (qsizetype i = 0; i < d->count; ++i) {
        const DiskTree::Record& r = d->record(i);
        if (qsizetype(r.nameLength()) != name.size() || (sameSize && qint64(r.size) != size))
            continue;
        if (std::memcmp(d->store->name(r), name.data(), size_t(name.size())) == 0)
            return i;
    }
    return -1;
}

int NodeList::categoryMask() const
{
    if (!d)
        return 0;
    int mask = d->categories.load(std::memory_order_acquire);
    if (mask >= 0)
        return mask;
    mask = 0;
    constexpr int all = (1 << 9) - 1; // a long list stops being read once every category is in
    for (qsizetype i = 0; i < d->count && mask != all; ++i)
        if (!isSyntheticAt(i))
            mask |= 1 << int(categoryAt(i));
    d->categories.store(mask, std::memory_order_release);
    return mask;
}
