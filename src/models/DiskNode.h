#pragma once
#include "models/FileCategory.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace DiskTree {
struct Record;
class Store;
} // namespace DiskTree

class NodeList;

// One file or folder of a scanned tree, or the synthetic "(smaller items)" node that holds a
// folder's folded children. A value: copies are cheap and share the scanned storage; two nodes are
// equal when all their fields are (children compared one by one, recursively).
//
// A scanned tree keeps its nodes in one compact store (models/DiskTree.h: a 24-byte record per
// item, names in one arena of bytes; paths are rebuilt on demand), so a node here is a handle
// into it. Nodes can also be
// made from explicit values, for trees put together by hand (such as the live root of a scan).
//
// Names are kept as the bytes found on disk. A name that is not well-formed UTF-8 is shown with
// U+FFFD in place of its bad bytes (name(), path()), which may read like another file's name; such
// a node is still told apart by its id, and its rawPath() is what reaches it. Path-taking actions
// (move to the Trash, reveal, open) are offered only when pathRoundTrips() is true.
class DiskNode {
public:
    DiskNode() = default; // an empty file node with no path
    // `id` as id() gives it (an ordinary path is its own id); the raw path is derived from it.
    DiskNode(QString id, QString name, qint64 size, bool isDirectory, FileCategory category,
             std::optional<QDateTime> modified, bool isSynthetic = false, QList<DiskNode> children = {});
    // The same with its children as a list that may hold records of a scanned tree (the live
    // root of a scan).
    DiskNode(QString id, QString name, qint64 size, bool isDirectory, FileCategory category,
             std::optional<QDateTime> modified, bool isSynthetic, NodeList children);

    // Unique and reversible key of the node: its absolute path when that round-trips, otherwise
    // RawPath::key of the raw path (RawPath::fromKey gives the bytes back); for the synthetic node
    // its first sibling's id + "#other". Views tell nodes apart by it; it is not for showing.
    QString id() const;
    // The absolute path to show (bad bytes as U+FFFD); empty for the synthetic node.
    QString path() const;
    // The absolute path as bytes on disk; empty for the synthetic node.
    QByteArray rawPath() const;
    // True when path() names exactly this item (its bytes are well-formed UTF-8), so that an action
    // taking a path may be given it. False for the synthetic node and for an empty node.
    bool pathRoundTrips() const;
    QString name() const; // for showing: bad bytes as U+FFFD
    qint64 size() const;
    bool isDirectory() const;
    FileCategory category() const;
    std::optional<QDateTime> modified() const;
    bool isSynthetic() const;
    // The kept children largest first, then the synthetic node if any.
    QList<DiskNode> children() const;
    qsizetype childCount() const;
    // The same children as children(), as a list read by index: for a folded node, its records
    // themselves, each node made only when asked for.
    NodeList childList() const;
    bool hasChildren() const { return childCount() > 0; }

    friend bool operator==(const DiskNode& a, const DiskNode& b);
    friend bool operator!=(const DiskNode& a, const DiskNode& b) { return !(a == b); }

    // Storage behind the scanner; not for general use.
    DiskNode(std::shared_ptr<const DiskTree::Store> store, const DiskTree::Record* record, QByteArray rawPath,
             bool syntheticView = false);
    // A record that lies in the folder at `parentPath`: its own path is made when asked for, so
    // handing over or listing many children allocates nothing per child.
    static DiskNode childOf(std::shared_ptr<const DiskTree::Store> store, const DiskTree::Record* record,
                            QByteArray parentPath);
    // What a node made by childOf() was made of; none for any other node.
    struct StoreChild {
        const std::shared_ptr<const DiskTree::Store>* store;
        const DiskTree::Record* record;
        const QByteArray* parentPath;
    };
    std::optional<StoreChild> storeChild() const;

private:
    struct Fields;
    std::shared_ptr<const DiskTree::Store> m_store;
    const DiskTree::Record* m_record = nullptr;
    // The item's path; for the synthetic view, the path of the folder it folds; for a node made
    // by childOf(), the path of the folder it lies in.
    QByteArray m_raw;
    bool m_synthetic = false;
    bool m_rawIsParent = false;
    std::shared_ptr<const Fields> m_fields;
};

size_t qHash(const DiskNode& node, size_t seed = 0);
