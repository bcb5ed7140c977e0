// Brevane - one recordset's own view of the shared rows: its order, its filter and its
// cursor. Only the recordset's own files (RecordsetStorage.cpp, RecordsetViews.cpp,
// RecordsetFind.cpp) include it.
#pragma once

#include "platform/Recordset.h"

#include <cstdint>
#include <vector>

namespace platform {

struct Recordset::View {
    enum class FilterKind { None, Predicate, Terms, Bookmarks };

    std::vector<std::uint32_t> order;    // every live slot, in this recordset's order
    std::vector<std::uint32_t> visible;  // the filtered subset of order
    FilterKind filter = FilterKind::None;
    RowPredicate predicate;
    std::vector<Equals> terms;
    long pos = 0;  // index into active(); -1 is BOF, size() is EOF
    std::uint64_t seenVersion = 0;
    std::size_t seenRows = 0;
    std::uint64_t seenErasures = 0;
    std::vector<std::uint32_t> positionOfSlot;  // index in active() + 1, 0 = not there
    bool positionsDirty = true;
    std::vector<std::uint32_t> orderPositionOfSlot;  // index in order + 1
    bool orderPositionsDirty = true;

    std::vector<std::uint32_t>& active() { return filter == FilterKind::None ? order : visible; }
    const std::vector<std::uint32_t>& active() const
    {
        return filter == FilterKind::None ? order : visible;
    }
    void touched()
    {
        positionsDirty = true;
        orderPositionsDirty = true;
    }
    void atFirst() { pos = 0; }
    // A record joined the end of the order (and of the filtered records when shown):
    // position tables that are up to date stay so, at O(1) cost.
    void appended(std::uint32_t slot, bool shown, std::size_t slots)
    {
        order.push_back(slot);
        if (shown)
            visible.push_back(slot);
        if (!orderPositionsDirty) {
            orderPositionOfSlot.resize(slots, 0);
            orderPositionOfSlot[slot] = static_cast<std::uint32_t>(order.size());
        }
        if (!positionsDirty) {
            positionOfSlot.resize(slots, 0);
            if (filter == FilterKind::None || shown)
                positionOfSlot[slot] = static_cast<std::uint32_t>(active().size());
        }
    }
    // After order changed: the filtered records follow it, and the cursor goes to the first.
    void afterReorder(std::size_t slots)
    {
        if (filter != FilterKind::None) {
            std::vector<char> shown(slots, 0);
            for (auto s : visible)
                shown[s] = 1;
            visible.clear();
            for (auto s : order)
                if (shown[s])
                    visible.push_back(s);
        }
        touched();
        atFirst();
    }
};

}  // namespace platform
