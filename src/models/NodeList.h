#pragma once
#include "models/DiskNode.h"
#include "models/FileCategory.h"

#include <QByteArray>
#include <QList>

#include <memory>
#include <vector>

namespace DiskTree {
struct Record;
class Store;
} // namespace DiskTree

// An immutable list of a folder's children, cheap to copy (copies share it) and read by index.
// It holds either nodes made by hand or records of a scanned tree below one folder: a handle and
// 8 bytes per child, each child's node (with its path) made only when it is asked for. So the
// live root of a scan of a million entries, and the folded children of such a folder, are lists
// a window can hold, lay out and page through without a node per child.
class NodeList {
public:
    NodeList() = default;
    NodeList(QList<DiskNode> nodes); // implicit: a list of nodes is a NodeList
    // Records of `store` that lie in the folder at `parentPath`, in the order given;
    // `categoryMask`, when known, is what categoryMask() gives (-1: worked out when asked).
    NodeList(std::shared_ptr<const DiskTree::Store> store, QByteArray parentPath,
             std::vector<const DiskTree::Record*> records, int categoryMask = -1);
    // `count` records in a row from `first`, as a folded folder's children lie.
    NodeList(std::shared_ptr<const DiskTree::Store> store, QByteArray parentPath, const DiskTree::Record* first,
             qsizetype count);

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    DiskNode at(qsizetype i) const;
    qint64 sizeAt(qsizetype i) const;
    FileCategory categoryAt(qsizetype i) const;
    bool isSyntheticAt(qsizetype i) const;
    QList<DiskNode> toList() const;
    // The first child that is the same item as `node`: by path (the folded node by its id), and
    // with `sameSize` only where the size is the same too, as views tell nodes apart. A list of
    // records is searched by record or by name, without making a node per child. -1 for none.
    qsizetype indexOf(const DiskNode& node, bool sameSize) const;
    // Bit c set when a child of category c is in the list (the folded node left out): worked out
    // once per list, on whichever thread asks first.
    int categoryMask() const;
    // True when both share one list (a copy of the other), whatever it holds.
    bool sameAs(const NodeList& other) const { return d == other.d; }

    // The store and folder of a list of records; null for nodes made by hand.
    const std::shared_ptr<const DiskTree::Store>* store() const;
    const QByteArray& parentPath() const;
    const std::vector<const DiskTree::Record*>& records() const;

private:
    struct Data;
    std::shared_ptr<const Data> d;
};
