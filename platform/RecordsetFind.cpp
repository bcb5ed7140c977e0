// Brevane - finding records in a recordset, and "like" patterns.
#include "platform/Recordset.h"

#include "platform/detail/RecordTable.h"
#include "platform/detail/RecordValues.h"
#include "platform/detail/RecordsetView.h"

#include <algorithm>

namespace platform {

using detail::coerce;
using detail::normaliseText;

namespace {

// The terms with each value converted to its field's type, as the rows hold it.
std::vector<Equals> coercedTerms(const Recordset& rs, std::vector<Equals> terms)
{
    for (auto& term : terms)
        term.value = coerce(rs.field(term.field), std::move(term.value));
    return terms;
}

}  // namespace

// ---------------------------------------------------------------- find

bool Recordset::find(const RowPredicate& predicate, int skip, bool forward)
{
    sync();
    View& v = *m_view;
    const auto& act = v.active();
    const long n = static_cast<long>(act.size());
    long i = v.pos + (forward ? skip : -skip);
    if (forward) {
        for (i = std::max(i, 0L); i < n; ++i)
            if (predicate(rowRef(act[static_cast<std::size_t>(i)]))) {
                v.pos = i;
                return true;
            }
        v.pos = n;
    } else {
        for (i = std::min(i, n - 1); i >= 0; --i)
            if (predicate(rowRef(act[static_cast<std::size_t>(i)]))) {
                v.pos = i;
                return true;
            }
        v.pos = -1;
    }
    return false;
}

bool Recordset::find(const std::vector<Equals>& termsIn, int skip, bool forward)
{
    sync();
    const std::vector<Equals> terms = coercedTerms(*this, termsIn);
    bool exact = false;
    std::vector<std::uint32_t> cand = candidateSlots(terms, exact);
    if (!exact)
        return find([&](const RowRef& r) { return matchesTerms(r.m_slot, terms); }, skip, forward);

    View& v = *m_view;
    const long n = static_cast<long>(v.active().size());
    const long start = v.pos + (forward ? skip : -skip);
    long best = forward ? n : -1;
    for (auto s : cand) {
        if (!matchesTerms(s, terms))
            continue;
        const int p = positionOf(m_table->rows[s].bookmark);
        if (p == 0)
            continue;
        const long i = p - 1;
        if (forward && i >= start && i < best)
            best = i;
        if (!forward && i <= start && i > best)
            best = i;
    }
    v.pos = best;
    return best >= 0 && best < n;
}

std::vector<Bookmark> Recordset::matching(const std::vector<Equals>& termsIn) const
{
    sync();
    const std::vector<Equals> terms = coercedTerms(*this, termsIn);
    bool exact = false;
    std::vector<std::uint32_t> cand = candidateSlots(terms, exact);
    std::vector<std::pair<int, Bookmark>> found;
    for (auto s : cand) {
        if (!matchesTerms(s, terms))
            continue;
        const Bookmark b = m_table->rows[s].bookmark;
        const int p = positionOf(b);
        if (p != 0)
            found.emplace_back(p, b);
    }
    if (exact)
        std::sort(found.begin(), found.end());
    std::vector<Bookmark> out;
    out.reserve(found.size());
    for (const auto& f : found)
        out.push_back(f.second);
    return out;
}

// ---------------------------------------------------------------- like patterns

bool isValidLikePattern(std::string_view pattern)
{
    auto isWild = [](char c) { return c == '*' || c == '%'; };
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (isWild(pattern[i]) && i != 0 && i + 1 != pattern.size())
            return false;
    return true;
}

bool likeMatch(std::string_view pattern, std::string_view text)
{
    if (!isValidLikePattern(pattern))
        return false;
    auto isWild = [](char c) { return c == '*' || c == '%'; };
    const bool lead = !pattern.empty() && isWild(pattern.front());
    if (lead)
        pattern.remove_prefix(1);
    const bool trail = !pattern.empty() && isWild(pattern.back());
    if (trail)
        pattern.remove_suffix(1);
    const std::string p = normaliseText(pattern, TextCompare::NoCase);
    const std::string t = normaliseText(text, TextCompare::NoCase);
    if (lead && trail)
        return t.find(p) != std::string::npos;
    if (trail)
        return t.compare(0, p.size(), p) == 0 && t.size() >= p.size();
    if (lead)
        return t.size() >= p.size() && t.compare(t.size() - p.size(), p.size(), p) == 0;
    return t == p;
}

}  // namespace platform
