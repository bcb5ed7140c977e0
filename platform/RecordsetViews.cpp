// Brevane - a recordset's sorted and filtered views of its rows.
#include "platform/Recordset.h"

#include "platform/detail/RecordTable.h"
#include "platform/detail/RecordValues.h"
#include "platform/detail/RecordsetView.h"

#include <algorithm>
#include <numeric>

namespace platform {

using detail::RecordTable;
using detail::coerce;
using detail::normaliseText;

// ---------------------------------------------------------------- order

void Recordset::sort(std::vector<SortKey> keys)
{
    sync();
    View& v = *m_view;
    RecordTable& t = *m_table;
    std::erase_if(keys, [&](const SortKey& k) { return k.field < 0 || k.field >= fieldCount(); });
    if (keys.empty()) {
        std::sort(v.order.begin(), v.order.end());
    } else {
        // Normalise each key once, then sort positions stably.
        const std::size_t n = v.order.size();
        std::vector<std::vector<Value>> norm(keys.size(), std::vector<Value>(n));
        for (std::size_t k = 0; k < keys.size(); ++k)
            for (std::size_t i = 0; i < n; ++i) {
                const Value& val = t.at(v.order[i], keys[k].field);
                if (const auto* s = std::get_if<std::string>(&val))
                    norm[k][i] = normaliseText(*s, keys[k].compare);
                else
                    norm[k][i] = val;
            }
        std::vector<std::uint32_t> perm(n);
        std::iota(perm.begin(), perm.end(), 0U);
        std::stable_sort(perm.begin(), perm.end(), [&](std::uint32_t a, std::uint32_t b) {
            for (std::size_t k = 0; k < keys.size(); ++k) {
                int c = compareValues(norm[k][a], norm[k][b], TextCompare::Binary);
                if (c != 0)
                    return keys[k].descending ? c > 0 : c < 0;
            }
            return false;
        });
        std::vector<std::uint32_t> sorted(n);
        for (std::size_t i = 0; i < n; ++i)
            sorted[i] = v.order[perm[i]];
        v.order.swap(sorted);
    }
    v.afterReorder(t.rows.size());
    t.noteChange();
}

void Recordset::reorder(std::span<const Bookmark> bookmarks)
{
    sync();
    View& v = *m_view;
    RecordTable& t = *m_table;
    std::vector<char> placed(t.rows.size(), 0);
    std::vector<std::uint32_t> out;
    out.reserve(v.order.size());
    std::vector<char> inOrder(t.rows.size(), 0);
    for (auto s : v.order)
        inOrder[s] = 1;
    for (Bookmark b : bookmarks) {
        const auto slot = t.slotFor(b);
        if (slot < 0 || !inOrder[static_cast<std::size_t>(slot)] || placed[static_cast<std::size_t>(slot)])
            continue;
        placed[static_cast<std::size_t>(slot)] = 1;
        out.push_back(static_cast<std::uint32_t>(slot));
    }
    for (auto s : v.order)
        if (!placed[s])
            out.push_back(s);
    v.order.swap(out);
    v.afterReorder(t.rows.size());
    t.noteChange();
}

// ---------------------------------------------------------------- filter

bool Recordset::matchesTerms(std::uint32_t slot, const std::vector<Equals>& terms) const
{
    for (const auto& term : terms)
        if (!valuesEqual(m_table->at(slot, term.field), term.value, term.compare))
            return false;
    return true;
}

// Slots that may match the terms: an index bucket when one of the terms is indexed
// (exact = true: every slot returned matches that term), otherwise every record in order.
std::vector<std::uint32_t> Recordset::candidateSlots(const std::vector<Equals>& terms, bool& exact) const
{
    exact = false;
    for (const auto& term : terms) {
        auto* ix = m_table->indexFor(term.field, term.compare);
        if (!ix)
            continue;
        Value probe = coerce(field(term.field), term.value);
        exact = true;
        return m_table->lookup(*ix, probe);
    }
    return m_view->order;
}

void Recordset::setFilter(RowPredicate predicate)
{
    sync();
    View& v = *m_view;
    v.filter = View::FilterKind::Predicate;
    v.predicate = std::move(predicate);
    v.terms.clear();
    v.visible.clear();
    for (auto s : v.order)
        if (v.predicate && v.predicate(rowRef(s)))
            v.visible.push_back(s);
    v.touched();
    v.atFirst();
}

void Recordset::setFilter(std::vector<Equals> terms)
{
    sync();
    View& v = *m_view;
    for (auto& term : terms)
        term.value = coerce(field(term.field), std::move(term.value));
    bool exact = false;
    std::vector<std::uint32_t> cand = candidateSlots(terms, exact);
    std::vector<std::uint32_t> matches;
    matches.reserve(exact ? cand.size() : 16);
    for (auto s : cand)
        if (matchesTerms(s, terms))
            matches.push_back(s);
    if (exact) {
        // Index buckets come in slot order; put the matches in this recordset's order.
        if (v.orderPositionsDirty) {
            v.orderPositionOfSlot.assign(m_table->rows.size(), 0);
            for (std::size_t i = 0; i < v.order.size(); ++i)
                v.orderPositionOfSlot[v.order[i]] = static_cast<std::uint32_t>(i + 1);
            v.orderPositionsDirty = false;
        }
        std::erase_if(matches, [&](std::uint32_t s) {
            return s >= v.orderPositionOfSlot.size() || v.orderPositionOfSlot[s] == 0;
        });
        std::sort(matches.begin(), matches.end(), [&](std::uint32_t a, std::uint32_t b) {
            return v.orderPositionOfSlot[a] < v.orderPositionOfSlot[b];
        });
    }
    v.filter = View::FilterKind::Terms;
    v.terms = std::move(terms);
    v.predicate = nullptr;
    v.visible = std::move(matches);
    v.positionsDirty = true;
    v.atFirst();
}

void Recordset::setFilter(std::span<const Bookmark> bookmarks)
{
    sync();
    View& v = *m_view;
    std::vector<char> wanted(m_table->rows.size(), 0);
    for (Bookmark b : bookmarks) {
        const auto slot = m_table->slotFor(b);
        if (slot >= 0)
            wanted[static_cast<std::size_t>(slot)] = 1;
    }
    v.visible.clear();
    for (auto s : v.order)
        if (wanted[s])
            v.visible.push_back(s);
    v.filter = View::FilterKind::Bookmarks;
    v.predicate = nullptr;
    v.terms.clear();
    v.positionsDirty = true;
    v.atFirst();
}

void Recordset::clearFilter()
{
    sync();
    View& v = *m_view;
    v.filter = View::FilterKind::None;
    v.predicate = nullptr;
    v.terms.clear();
    v.visible.clear();
    v.positionsDirty = true;
    v.atFirst();
}

bool Recordset::isFiltered() const { return m_view->filter != View::FilterKind::None; }

}  // namespace platform
