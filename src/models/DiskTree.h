#pragma once
#include "models/FileCategory.h"

#include <QtGlobal>

#include <limits>
#include <memory>
#include <mutex>

// The storage of a scanned tree behind DiskNode: one compact record per item (24 bytes), the
// names of all items in one arena of bytes, and a folder's children as one range of records.
// A tree of a million files takes some 32 bytes per file.
namespace DiskTree {

constexpr qint64 kNoDate = std::numeric_limits<qint64>::min();

// One stored item. A folder's children are one contiguous range of records, preceded by a header
// record that holds how many there are and how many of them are shown (see Store::block): sorted
// largest first once the folder is complete, the first `kept` shown, the rest folded.
struct Record {
    quint64 size; // bytes
    // The modification date in ms since the epoch (44 bits, signed: years 1692 to 2248; dates
    // beyond are kept as the nearest end), whether there is one, whether the item is a folder,
    // its category, the length of its name (up to 1,023 bytes) and the top bits of where the
    // name starts in the arena.
    quint64 bits;
    quint32 nameLow; // where the name starts in the arena, low 32 bits
    quint32 children; // a folder's listed children: the index of their header; 0 for none

    qint64 modifiedMs() const;
    void setModifiedMs(qint64 ms); // kNoDate: none
    bool isDirectory() const { return (bits >> kDirShift) & 1; }
    void setDirectory(bool on) { setField(kDirShift, 1, on ? 1 : 0); }
    FileCategory category() const { return FileCategory((bits >> kCategoryShift) & 0xf); }
    void setCategory(FileCategory c) { setField(kCategoryShift, 4, quint64(c)); }
    size_t nameLength() const { return size_t((bits >> kLengthShift) & 0x3ff); }
    quint64 nameOffset() const { return (quint64((bits >> kNameHighShift) & 0xf) << 32) | nameLow; }
    void setName(quint64 offset, size_t length);

    // A whole record at once: `ms` kNoDate for no date; no children yet.
    static Record make(quint64 size, qint64 ms, FileCategory category, bool directory, quint64 nameOffset,
                       size_t nameLength)
    {
        const bool dated = ms != kNoDate;
        const quint64 date = dated ? quint64(clampDate(ms)) & ((quint64(1) << kDateBits) - 1) : 0;
        const quint64 length = nameLength < kMaxNameLength ? nameLength : kMaxNameLength;
        return Record{size,
                      date | (quint64(dated) << kDatedShift) | (quint64(directory) << kDirShift)
                          | (quint64(category) << kCategoryShift) | (length << kLengthShift)
                          | ((nameOffset >> 32) << kNameHighShift),
                      quint32(nameOffset), 0};
    }

    // A header record: the number of children after it, and how many of them are shown.
    quint32 childCount() const { return quint32(size); }
    quint32 keptCount() const { return quint32(bits); }

    static constexpr size_t kMaxNameLength = 0x3ff;
    static constexpr quint64 kMaxNameOffset = (quint64(1) << 36) - 1;

private:
    static qint64 clampDate(qint64 ms)
    {
        constexpr qint64 top = (qint64(1) << 43) - 1;
        return ms > top ? top : ms < -top - 1 ? -top - 1 : ms;
    }
    static constexpr int kDateBits = 44;
    static constexpr int kDatedShift = 44;
    static constexpr int kDirShift = 45;
    static constexpr int kCategoryShift = 46;
    static constexpr int kLengthShift = 50;
    static constexpr int kNameHighShift = 60;
    void setField(int shift, int width, quint64 value)
    {
        const quint64 mask = ((quint64(1) << width) - 1) << shift;
        bits = (bits & ~mask) | ((value << shift) & mask);
    }
};
static_assert(sizeof(Record) == 24, "a record is 24 bytes");

// Makes a fresh record: size 0, no date, a file of category other, no name, no children.
inline Record blankRecord()
{
    Record r{0, 0, 0, 0};
    r.setCategory(FileCategory::other);
    return r;
}

// Append-only storage with stable addresses, records found by index. Blocks of records and of
// name bytes may be reserved from several threads at once.
class Store {
public:
    Store(); // holds one record, index 0: the scanned item itself
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    Record* record(quint32 index) const;
    Record* root() const { return record(0); }
    const char* name(const Record& r) const { return nameBytes(r.nameOffset()); }
    const char* nameBytes(quint64 offset) const;
    // Where name bytes reserved at `offset` are written.
    char* nameAt(quint64 offset) { return const_cast<char*>(nameBytes(offset)); }
    // A record's children; the first of `childCount`, or null for none.
    Record* children(const Record& folder) const;
    quint32 childCount(const Record& folder) const;
    quint32 keptCount(const Record& folder) const;

    // Room for `count` records and `nameBytes` bytes of names at once: the index of the block's
    // header record (its `count` records follow it) and the arena offset of the first name byte.
    // The header says `count` children, none shown yet. False when the tree has no room left
    // (billions of items).
    bool reserve(quint32 count, size_t nameBytes, quint32* header, quint64* names);
    // Sets what a header says about its block once the folder is complete.
    void setKept(quint32 header, quint32 kept);

    size_t recordCount() const;
    size_t bytesUsed() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The bytes of the children that fold into "(smaller items)".
qint64 foldedSize(const Store& store, const Record& folder);

} // namespace DiskTree
