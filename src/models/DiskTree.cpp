#include "models/DiskTree.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace DiskTree {

namespace {

} // namespace

qint64 Record::modifiedMs() const
{
    if (!((bits >> kDatedShift) & 1))
        return kNoDate;
    const quint64 raw = bits & ((quint64(1) << kDateBits) - 1);
    // Sign-extend the 44 bits.
    return qint64(raw << (64 - kDateBits)) >> (64 - kDateBits);
}

void Record::setModifiedMs(qint64 ms)
{
    if (ms == kNoDate) {
        setField(0, kDateBits, 0);
        setField(kDatedShift, 1, 0);
        return;
    }
    setField(0, kDateBits, quint64(clampDate(ms)));
    setField(kDatedShift, 1, 1);
}

void Record::setName(quint64 offset, size_t length)
{
    nameLow = quint32(offset);
    setField(kNameHighShift, 4, offset >> 32);
    setField(kLengthShift, 10, std::min(length, kMaxNameLength));
}

// Records and name bytes each live in an index space of fixed slots (65,536 records, or 1 MiB of
// names, a slot). A region of memory covers one slot or, for a block too big for one, several
// in a row, so a block of any size is contiguous and an index finds its place through the slot
// table: two loads. Slot tables grow in pages of 256 slots; their entries are written once,
// before any index inside them is handed out.
template <typename T, int SlotBits, int SlotsBits>
class Space {
public:
    static constexpr quint64 kSlot = quint64(1) << SlotBits;
    static constexpr quint64 kSlots = quint64(1) << SlotsBits;
    static constexpr quint64 kPage = 256;

    ~Space()
    {
        for (T* r : m_regions)
            std::free(r);
        for (auto& p : m_pages)
            delete[] p.load(std::memory_order_relaxed);
    }

    T* at(quint64 index) const
    {
        const quint64 slot = index >> SlotBits;
        T* const* page = m_pages[slot / kPage].load(std::memory_order_acquire);
        return page[slot % kPage] + (index & (kSlot - 1));
    }

    // Lock held. `count` items in a row; false when the space is full or memory is short.
    bool take(quint64 count, quint64* index)
    {
        if (count == 0) {
            *index = m_next;
            return true;
        }
        if (count > m_left) {
            // Small blocks share the region in use; a big one gets a region of its own so that
            // the rest of the current region stays for the small ones.
            const bool big = count > kSlot / 4;
            const quint64 slots = (count + kSlot - 1) / kSlot;
            if (m_nextSlot + slots > kSlots)
                return false;
            T* region = static_cast<T*>(std::malloc(size_t(slots * kSlot) * sizeof(T)));
            if (!region)
                return false;
            m_regions.push_back(region);
            m_bytes += size_t(slots * kSlot) * sizeof(T);
            for (quint64 s = 0; s < slots; ++s) {
                const quint64 slot = m_nextSlot + s;
                std::atomic<T**>& page = m_pages[slot / kPage];
                T** entries = page.load(std::memory_order_relaxed);
                if (!entries) {
                    entries = new T*[kPage]();
                    page.store(entries, std::memory_order_release);
                }
                entries[slot % kPage] = region + s * kSlot;
            }
            const quint64 first = m_nextSlot * kSlot;
            m_nextSlot += slots;
            if (big && m_left > 0) {
                *index = first;
                m_used += count;
                return true;
            }
            m_next = first;
            m_left = slots * kSlot;
        }
        *index = m_next;
        m_next += count;
        m_left -= count;
        m_used += count;
        return true;
    }

    size_t used() const { return size_t(m_used); }
    size_t bytes() const { return m_bytes; }

private:
    std::atomic<T**> m_pages[kSlots / kPage] = {};
    std::vector<T*> m_regions;
    quint64 m_nextSlot = 0;
    quint64 m_next = 0;
    quint64 m_left = 0;
    quint64 m_used = 0;
    size_t m_bytes = 0;
};

struct Store::Impl {
    mutable std::mutex lock;
    Space<Record, 16, 16> records; // up to 2^32 records
    Space<char, 20, 16> names; // up to 64 GiB of names
};

Store::Store() : d(std::make_unique<Impl>())
{
    quint64 index = 0;
    if (!d->records.take(1, &index))
        throw std::bad_alloc();
    *d->records.at(0) = blankRecord();
}

Store::~Store() = default;

Record* Store::record(quint32 index) const { return d->records.at(index); }

const char* Store::nameBytes(quint64 offset) const { return d->names.at(offset); }

Record* Store::children(const Record& folder) const
{
    return folder.children ? d->records.at(quint64(folder.children) + 1) : nullptr;
}

quint32 Store::childCount(const Record& folder) const
{
    return folder.children ? d->records.at(folder.children)->childCount() : 0;
}

quint32 Store::keptCount(const Record& folder) const
{
    return folder.children ? d->records.at(folder.children)->keptCount() : 0;
}

bool Store::reserve(quint32 count, size_t nameBytes, quint32* header, quint64* names)
{
    quint64 at = 0;
    quint64 text = 0;
    {
        std::lock_guard g(d->lock);
        if (quint64(nameBytes) > Record::kMaxNameOffset || !d->names.take(nameBytes, &text)
            || text + nameBytes > Record::kMaxNameOffset || !d->records.take(quint64(count) + 1, &at)
            || at > std::numeric_limits<quint32>::max() - count)
            return false;
    }
    Record* h = d->records.at(at);
    h->size = count;
    h->bits = 0;
    h->nameLow = 0;
    h->children = 0;
    *header = quint32(at);
    *names = text;
    return true;
}

void Store::setKept(quint32 header, quint32 kept) { d->records.at(header)->bits = kept; }

size_t Store::recordCount() const
{
    std::lock_guard g(d->lock);
    return d->records.used();
}

size_t Store::bytesUsed() const
{
    std::lock_guard g(d->lock);
    return d->records.bytes() + d->names.bytes();
}

qint64 foldedSize(const Store& store, const Record& folder)
{
    const Record* kids = store.children(folder);
    const quint32 kept = store.keptCount(folder);
    qint64 shown = 0;
    for (quint32 i = 0; i < kept; ++i)
        shown += qint64(kids[i].size);
    return qint64(folder.size) - shown;
}

} // namespace DiskTree
