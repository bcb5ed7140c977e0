// Brevane - the rows a recordset and its clones share: storage in blocks, bookmarks and
// equality indexes. Only the recordset's own files (RecordsetStorage.cpp,
// RecordsetViews.cpp, RecordsetFind.cpp) include it.
#pragma once

#include "platform/Recordset.h"
#include "platform/detail/RecordValues.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <memory>
#include <unordered_map>

namespace platform::detail {

struct RecordTable {
    struct Row {
        Bookmark bookmark = kNoBookmark;
        bool live = true;
    };
    // An equality index: (hash, slot) pairs, built sorted on first use. Later additions
    // and edits go to a small unsorted tail that is merged when it grows; entries for
    // deleted or changed rows are weeded out when a lookup meets them.
    struct Index {
        int field = 0;
        TextCompare compare = TextCompare::NoCase;
        bool built = false;
        std::vector<std::pair<std::uint64_t, std::uint32_t>> sorted;
        std::vector<std::pair<std::uint64_t, std::uint32_t>> tail;
        std::size_t stale = 0;
    };

    std::vector<FieldDef> fields;
    std::vector<Row> rows;  // by slot; deleted rows stay as tombstones
    // The field values of every row, fields.size() per slot, in blocks that never move once
    // allocated: a large list costs a few allocations instead of one per row, and growing
    // it never moves the values already there. The first block holds kFirstBlockRows rows
    // and each further one as many as all before it, up to kBlockRows a block, so a small
    // table clears room for little more than the rows it holds.
    static constexpr unsigned kFirstBlockBits = 4;
    static constexpr unsigned kBlockBits = 12;
    static constexpr std::size_t kFirstBlockRows = std::size_t{1} << kFirstBlockBits;
    static constexpr std::size_t kBlockRows = std::size_t{1} << kBlockBits;
    // Blocks before the first full-sized one: 0 .. kBlockBits - kFirstBlockBits.
    static constexpr std::size_t kGrowingBlocks = kBlockBits - kFirstBlockBits + 1;
    // Raw storage: the cells of slots 0 .. rows.size() - 1 are constructed, the rest not,
    // so a new block costs no clearing and a row's values are built in place.
    struct FreeBlock {
        void operator()(Value* p) const { ::operator delete(static_cast<void*>(p)); }
    };
    std::vector<std::unique_ptr<Value, FreeBlock>> blocks;

    RecordTable() = default;
    RecordTable(const RecordTable&) = delete;
    RecordTable& operator=(const RecordTable&) = delete;
    ~RecordTable()
    {
        for (std::size_t s = 0; s < rows.size(); ++s)
            std::destroy_n(rowCells(static_cast<std::uint32_t>(s)), fields.size());
    }
    // Bookmark to slot. While the table is small and its rows' bookmarks rise with their
    // slots (rows added with new bookmarks), a binary search over the rows finds them and
    // nothing else is kept; a larger table, or a row that arrives out of that order, has
    // them in a hash map from then on.
    static constexpr std::size_t kSearchedRows = 1024;
    std::unordered_map<Bookmark, std::uint32_t> slotOf;
    bool mapped = false;
    std::vector<Index> indexes;
    std::size_t liveCount = 0;
    std::uint64_t structureVersion = 0;  // rows added or deleted
    std::uint64_t erasures = 0;          // rows deleted
    std::uint64_t changes = 0;           // anything at all
    std::function<void()> changeObserver;  // told of each change (Recordset::setChangeObserver)

    void noteChange()
    {
        ++changes;
        if (changeObserver)
            changeObserver();
    }

    bool isLive(std::uint32_t slot) const { return slot < rows.size() && rows[slot].live; }

    const Value& at(std::uint32_t slot, int field) const
    {
        if (!isLive(slot) || field < 0 || field >= static_cast<int>(fields.size()))
            return nullValue();
        return cell(slot, field);
    }

    // Block and row within it of a slot.
    static std::pair<std::size_t, std::size_t> blockOf(std::size_t slot)
    {
        if (slot >= kBlockRows)
            return {kGrowingBlocks - 1 + (slot >> kBlockBits), slot & (kBlockRows - 1)};
        if (slot < kFirstBlockRows)
            return {0, slot};
        const auto width = static_cast<std::size_t>(std::bit_width(slot));
        return {width - kFirstBlockBits, slot - (std::size_t{1} << (width - 1))};
    }
    static std::size_t blockRows(std::size_t block)
    {
        if (block == 0)
            return kFirstBlockRows;
        return block < kGrowingBlocks ? std::size_t{1} << (block + kFirstBlockBits - 1) : kBlockRows;
    }

    Value* rowCells(std::uint32_t slot) const
    {
        const auto [block, row] = blockOf(slot);
        return blocks[block].get() + row * fields.size();
    }
    Value& cell(std::uint32_t slot, int field) { return rowCells(slot)[field]; }
    const Value& cell(std::uint32_t slot, int field) const { return rowCells(slot)[field]; }
    std::vector<Value> rowValues(std::uint32_t slot) const
    {
        const Value* first = rowCells(slot);
        return {first, first + fields.size()};
    }
    // Unconstructed cells for the next slot, in a new block when the last one is full. The
    // caller constructs every one of them before the row joins `rows`.
    Value* newRowCells()
    {
        const auto [block, row] = blockOf(rows.size());
        if (block >= blocks.size()) {
            const std::size_t cells = blockRows(block) * std::max<std::size_t>(fields.size(), 1);
            blocks.emplace_back(static_cast<Value*>(::operator new(cells * sizeof(Value))));
        }
        return blocks[block].get() + row * fields.size();
    }

    Index* indexFor(int field, TextCompare compare)
    {
        for (auto& ix : indexes)
            if (ix.field == field && ix.compare == compare)
                return &ix;
        return nullptr;
    }

    std::uint64_t hashOf(const Index& ix, std::uint32_t slot) const
    {
        return hashValue(cell(slot, ix.field), ix.compare);
    }

    void build(Index& ix)
    {
        ix.sorted.clear();
        ix.tail.clear();
        ix.sorted.reserve(liveCount);
        for (std::uint32_t s = 0; s < rows.size(); ++s)
            if (rows[s].live)
                ix.sorted.emplace_back(hashOf(ix, s), s);
        std::sort(ix.sorted.begin(), ix.sorted.end());
        ix.stale = 0;
        ix.built = true;
    }

    // A row was added or its indexed value changed.
    void note(Index& ix, std::uint32_t slot, bool changed)
    {
        if (!ix.built)
            return;
        ix.tail.emplace_back(hashOf(ix, slot), slot);
        if (changed)
            ++ix.stale;
    }

    void noteDeleted()
    {
        for (auto& ix : indexes)
            if (ix.built)
                ++ix.stale;
    }

    // Live slots whose value hashes like the probe, in slot order.
    std::vector<std::uint32_t> lookup(Index& ix, const Value& probe)
    {
        if (!ix.built || ix.stale > liveCount / 2 + 1024)
            build(ix);
        if (ix.tail.size() > 4096 + ix.sorted.size() / 8) {
            ix.sorted.insert(ix.sorted.end(), ix.tail.begin(), ix.tail.end());
            ix.tail.clear();
            std::sort(ix.sorted.begin(), ix.sorted.end());
            ix.sorted.erase(std::unique(ix.sorted.begin(), ix.sorted.end()), ix.sorted.end());
        }
        const std::uint64_t h = hashValue(probe, ix.compare);
        std::vector<std::uint32_t> out;
        auto range = std::equal_range(ix.sorted.begin(), ix.sorted.end(), std::pair{h, 0U},
                                      [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto it = range.first; it != range.second; ++it)
            out.push_back(it->second);
        for (const auto& e : ix.tail)
            if (e.first == h)
                out.push_back(e.second);
        // Drop deleted rows and rows whose value has changed since they were filed.
        std::erase_if(out, [&](std::uint32_t s) { return !rows[s].live || hashOf(ix, s) != h; });
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }

    // Moves the values (missing trailing ones start empty) into a new row.
    std::uint32_t append(std::span<Value> values, Bookmark preferred)
    {
        Value* target = newRowCells();
        const std::size_t given = std::min(values.size(), fields.size());
        std::size_t built = 0;
        try {
            for (; built < given; ++built)
                constructCell(target + built, fields[built], values[built]);
            for (; built < fields.size(); ++built)
                constructInitialCell(target + built, fields[built]);
            rows.emplace_back();  // from here on its cells count as constructed
        } catch (...) {
            std::destroy_n(target, built);
            throw;
        }
        const auto slot = static_cast<std::uint32_t>(rows.size() - 1);
        Row& row = rows.back();
        row.bookmark = (preferred != kNoBookmark && slotFor(preferred) < 0) ? preferred : newBookmark();
        fileBookmark(slot);
        ++liveCount;
        for (auto& ix : indexes)
            note(ix, slot, false);
        ++structureVersion;
        noteChange();
        return slot;
    }

    void erase(std::uint32_t slot)
    {
        if (!isLive(slot))
            return;
        Row& row = rows[slot];
        row.live = false;
        if (mapped)
            slotOf.erase(row.bookmark);
        for (std::size_t f = 0; f < fields.size(); ++f)
            cell(slot, static_cast<int>(f)) = Value();
        --liveCount;
        ++structureVersion;
        ++erasures;
        noteChange();
        noteDeleted();
    }

    void set(std::uint32_t slot, int field, Value v)
    {
        if (!isLive(slot) || field < 0 || field >= static_cast<int>(fields.size()))
            return;
        Value& target = cell(slot, field);
        target = std::move(v);
        coerceInPlace(fields[static_cast<std::size_t>(field)], target);
        for (auto& ix : indexes)
            if (ix.field == field)
                note(ix, slot, true);
        noteChange();
    }

    std::int64_t slotFor(Bookmark b) const
    {
        if (mapped) {
            auto it = slotOf.find(b);
            return it == slotOf.end() ? -1 : static_cast<std::int64_t>(it->second);
        }
        const auto it = std::lower_bound(rows.begin(), rows.end(), b,
                                         [](const Row& r, Bookmark key) { return r.bookmark < key; });
        if (it == rows.end() || it->bookmark != b || !it->live)
            return -1;
        return it - rows.begin();
    }

    // Files the bookmark of the row just added at slot (the last).
    void fileBookmark(std::uint32_t slot)
    {
        const Bookmark b = rows[slot].bookmark;
        if (mapped) {
            slotOf.emplace(b, slot);
            return;
        }
        if (rows.size() <= kSearchedRows && (slot == 0 || rows[slot - 1].bookmark < b))
            return;
        mapped = true;
        slotOf.reserve(std::max(rows.capacity(), 2 * rows.size()));
        for (std::uint32_t s = 0; s < rows.size(); ++s)
            if (rows[s].live)
                slotOf.emplace(rows[s].bookmark, s);
    }
};

}  // namespace platform::detail
