#pragma once
#include "models/FileCategory.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <limits>
#include <memory>
#include <optional>

namespace DiskTree {
struct Record;
class Store;
} // namespace DiskTree

// One file or folder of a scanned tree, or the synthetic "(smaller items)" node that holds a
// folder's folded children. A value: copies are cheap and share the scanned storage; two nodes are
// equal when all their fields are (children compared one by one, recursively).
//
// A scanned tree keeps its nodes in one compact store (a small fixed record per item, names in a
// byte pool; paths are rebuilt on demand), so a node here is a handle into it. Nodes can also be
// made from explicit values, for trees put together by hand (such as the live root of a scan).
class DiskNode {
public:
    DiskNode() = default; // an empty file node with no path
    DiskNode(QString id, QString name, qint64 size, bool isDirectory, FileCategory category,
             std::optional<QDateTime> modified, bool isSynthetic = false, QList<DiskNode> children = {});

    QString id() const;     // absolute path; for the synthetic node its first sibling's id + "#other"
    QString name() const;
    qint64 size() const;
    bool isDirectory() const;
    FileCategory category() const;
    std::optional<QDateTime> modified() const;
    bool isSynthetic() const;
    // The kept children largest first, then the synthetic node if any.
    QList<DiskNode> children() const;
    qsizetype childCount() const;
    bool hasChildren() const { return childCount() > 0; }

    friend bool operator==(const DiskNode& a, const DiskNode& b);
    friend bool operator!=(const DiskNode& a, const DiskNode& b) { return !(a == b); }

    // Storage behind the scanner; not for general use.
    DiskNode(std::shared_ptr<const DiskTree::Store> store, const DiskTree::Record* record, QString path,
             bool syntheticView = false);

private:
    struct Fields;
    std::shared_ptr<const DiskTree::Store> m_store;
    const DiskTree::Record* m_record = nullptr;
    QString m_path;       // the item's path; for the synthetic view, the path of the folder it folds
    bool m_synthetic = false;
    std::shared_ptr<const Fields> m_fields;
};

size_t qHash(const DiskNode& node, size_t seed = 0);

namespace DiskTree {

constexpr qint64 kNoDate = std::numeric_limits<qint64>::min();

// One stored item. A folder's children are one contiguous block, sorted largest first once the
// folder is complete; the first `keptCount` are shown, the rest are folded.
struct Record {
    qint64 size = 0;
    qint64 modifiedMs = kNoDate;   // ms since the epoch
    Record* children = nullptr;
    const char* name = nullptr;    // UTF-8, not terminated
    quint32 childCount = 0;
    quint32 keptCount = 0;
    quint16 nameLength = 0;
    FileCategory category = FileCategory::other;
    bool isDirectory = false;
};

// Append-only storage with stable addresses; blocks may be reserved from several threads.
class Store {
public:
    Store();
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    Record* reserve(size_t count);
    const char* addName(const char* data, size_t length);
    // Both at once, under one lock: `count` records and `bytes` of name storage.
    Record* reserve(size_t count, size_t bytes, char** names);

    size_t recordCount() const;
    size_t bytesUsed() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The bytes of the children that fold into "(smaller items)".
qint64 foldedSize(const Record& folder);

} // namespace DiskTree
