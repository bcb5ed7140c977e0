// Brevane - an in-memory, disconnected recordset.
#include "platform/Recordset.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>
#include <unordered_map>

namespace platform {

namespace {

std::atomic<Bookmark> g_nextBookmark{1};

Bookmark newBookmark() { return g_nextBookmark.fetch_add(1, std::memory_order_relaxed); }

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

int compareText(std::string_view a, std::string_view b, TextCompare compare)
{
    if (compare == TextCompare::Binary) {
        const int c = a.compare(b);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    a = trimRight(a);
    b = trimRight(b);
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(upperAscii(a[i]));
        const auto cb = static_cast<unsigned char>(upperAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string normaliseText(std::string_view s, TextCompare compare)
{
    if (compare == TextCompare::Binary)
        return std::string(s);
    s = trimRight(s);
    std::string out(s);
    for (char& c : out)
        c = upperAscii(c);
    return out;
}

// Hash of a value as an equality index files it; equal values (under the comparison)
// hash alike. Collisions are harmless: every candidate is compared in full afterwards.
std::uint64_t hashValue(const Value& v, TextCompare compare)
{
    constexpr std::uint64_t kPrime = 1099511628211ULL;
    std::uint64_t h = 14695981039346656037ULL;
    auto mix = [&](unsigned char c) { h = (h ^ c) * kPrime; };
    if (const auto* s = std::get_if<std::string>(&v)) {
        mix('t');
        std::string_view t = *s;
        if (compare == TextCompare::NoCase)
            t = trimRight(t);
        for (char c : t)
            mix(static_cast<unsigned char>(compare == TextCompare::NoCase ? upperAscii(c) : c));
        return h;
    }
    if (std::holds_alternative<std::monostate>(v))
        return h ^ 0x4E;
    if (const auto* b = std::get_if<bool>(&v))
        return h ^ (*b ? 0xB1 : 0xB0);
    double d = std::holds_alternative<double>(v) ? std::get<double>(v)
                                                 : static_cast<double>(std::get<std::int64_t>(v));
    if (d == 0)
        d = 0;  // -0 and +0 alike
    std::uint64_t bits;
    static_assert(sizeof bits == sizeof d);
    std::memcpy(&bits, &d, sizeof bits);
    mix('n');
    for (int i = 0; i < 8; ++i)
        mix(static_cast<unsigned char>(bits >> (8 * i)));
    return h;
}

double asDouble(const Value& v)
{
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* b = std::get_if<bool>(&v))
        return *b ? -1.0 : 0.0;
    return 0.0;
}

const Value& nullValue()
{
    static const Value kNull;
    return kNull;
}

std::string valueToText(const Value& v)
{
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(double d) const
        {
            char buf[32];
            auto r = std::to_chars(buf, buf + sizeof buf, d);
            return std::string(buf, r.ptr);
        }
        std::string operator()(const std::string& s) const { return s; }
    };
    return std::visit(Visitor{}, v);
}

std::int64_t textToInteger(const std::string& s)
{
    std::string_view t = s;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    std::int64_t out = 0;
    std::from_chars(t.data(), t.data() + t.size(), out);
    return out;
}

double textToDouble(const std::string& s)
{
    std::string_view t = s;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    double out = 0;
    std::from_chars(t.data(), t.data() + t.size(), out);
    return out;
}

// Converts a value to the field's type; fixed-width text is padded or cut to its width.
Value coerce(const FieldDef& f, Value v)
{
    if (std::holds_alternative<std::monostate>(v))
        return v;
    switch (f.type) {
    case FieldType::Text:
        if (!std::holds_alternative<std::string>(v))
            return valueToText(v);
        return v;
    case FieldType::FixedText: {
        std::string s = std::holds_alternative<std::string>(v) ? std::get<std::string>(std::move(v))
                                                               : valueToText(v);
        if (f.width > 0)
            s.resize(static_cast<std::size_t>(f.width), ' ');
        return s;
    }
    case FieldType::Boolean:
        if (const auto* s = std::get_if<std::string>(&v)) {
            const std::string n = normaliseText(*s, TextCompare::NoCase);
            return n == "TRUE" || (!n.empty() && textToDouble(n) != 0.0);
        }
        return asDouble(v) != 0.0 || (std::holds_alternative<bool>(v) && std::get<bool>(v));
    case FieldType::Integer:
        if (const auto* s = std::get_if<std::string>(&v))
            return textToInteger(*s);
        if (const auto* d = std::get_if<double>(&v))
            return static_cast<std::int64_t>(std::llround(*d));
        return static_cast<std::int64_t>(asDouble(v));
    case FieldType::Double:
        if (const auto* s = std::get_if<std::string>(&v))
            return textToDouble(*s);
        return asDouble(v);
    }
    return v;
}

// The same in place; values already of the field's type (the usual case) are not moved.
void coerceInPlace(const FieldDef& f, Value& v)
{
    if (std::holds_alternative<std::monostate>(v))
        return;
    if (auto* s = std::get_if<std::string>(&v)) {
        if (f.type == FieldType::Text)
            return;
        if (f.type == FieldType::FixedText) {
            if (f.width > 0 && s->size() != static_cast<std::size_t>(f.width))
                s->resize(static_cast<std::size_t>(f.width), ' ');
            return;
        }
    }
    if ((f.type == FieldType::Double && std::holds_alternative<double>(v)) ||
        (f.type == FieldType::Integer && std::holds_alternative<std::int64_t>(v)) ||
        (f.type == FieldType::Boolean && std::holds_alternative<bool>(v)))
        return;
    v = coerce(f, std::move(v));
}

// Builds a cell of the field's type from a value, moving it out of the caller's storage.
void constructCell(Value* cell, const FieldDef& f, Value& v)
{
    auto* s = std::get_if<std::string>(&v);
    if (s && f.type == FieldType::FixedText && f.width > 0 && s->size() != static_cast<std::size_t>(f.width))
        s->resize(static_cast<std::size_t>(f.width), ' ');
    if (s && (f.type == FieldType::Text || f.type == FieldType::FixedText)) {
        std::construct_at(cell, std::in_place_type<std::string>, std::move(*s));
        return;
    }
    coerceInPlace(f, v);
    std::construct_at(cell, std::move(v));
}

// Builds a cell holding a field's starting value: false for Boolean fields, Null otherwise.
void constructInitialCell(Value* cell, const FieldDef& f)
{
    if (f.type == FieldType::Boolean)
        std::construct_at(cell, std::in_place_type<bool>, false);
    else
        std::construct_at(cell);
}

}  // namespace

// ---------------------------------------------------------------- table

namespace detail {

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
        ++changes;
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
        ++changes;
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
        ++changes;
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

}  // namespace detail

using detail::RecordTable;

// ---------------------------------------------------------------- prefetching

namespace {

// How far ahead a pass over rows in a scattered order asks for them.
constexpr std::size_t kPrefetchRows = 8;

void prefetchRow(const RecordTable& t, std::uint32_t slot)
{
    const char* first = reinterpret_cast<const char*>(t.rowCells(slot));
    const std::size_t bytes = t.fields.size() * sizeof(Value);
    for (std::size_t at = 0; at < bytes; at += 64)
        __builtin_prefetch(first + at);
}

// The heap text of a row's fields (short texts live inside the cell).
void prefetchText(const RecordTable& t, std::uint32_t slot)
{
    const Value* cells = t.rowCells(slot);
    for (std::size_t f = 0; f < t.fields.size(); ++f)
        if (const auto* text = std::get_if<std::string>(&cells[f]); text && text->size() > 15)
            __builtin_prefetch(text->data());
}

}  // namespace

// ---------------------------------------------------------------- view

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

// ---------------------------------------------------------------- RowRef

const Value& RowRef::value(int field) const { return m_table->at(m_slot, field); }

std::string RowRef::text(int field) const
{
    const Value& v = value(field);
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    return valueToText(v);
}

bool RowRef::boolean(int field) const
{
    const Value& v = value(field);
    if (const auto* b = std::get_if<bool>(&v))
        return *b;
    return asDouble(v) != 0.0;
}

std::int64_t RowRef::integer(int field) const
{
    const Value& v = value(field);
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return *i;
    if (const auto* s = std::get_if<std::string>(&v))
        return textToInteger(*s);
    return static_cast<std::int64_t>(asDouble(v));
}

Bookmark RowRef::bookmark() const
{
    return m_table->isLive(m_slot) ? m_table->rows[m_slot].bookmark : kNoBookmark;
}

// ---------------------------------------------------------------- Recordset: life

Recordset::Recordset() : m_table(std::make_shared<RecordTable>()), m_view(std::make_unique<View>()) {}

Recordset::Recordset(std::vector<FieldDef> fields) : Recordset()
{
    m_table->fields.reserve(fields.size());
    for (auto& f : fields)
        appendField(std::move(f.name), f.type, f.width);
}

Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

// ---------------------------------------------------------------- schema

int Recordset::appendField(std::string name, FieldType type, int width)
{
    if (!m_table->rows.empty())
        return -1;
    m_table->fields.push_back({std::move(name), type, width});
    ++m_table->changes;
    return static_cast<int>(m_table->fields.size()) - 1;
}

int Recordset::fieldCount() const { return static_cast<int>(m_table->fields.size()); }

const FieldDef& Recordset::field(int index) const
{
    static const FieldDef kNone;
    if (index < 0 || index >= fieldCount())
        return kNone;
    return m_table->fields[static_cast<std::size_t>(index)];
}

int Recordset::fieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < m_table->fields.size(); ++i)
        if (compareText(m_table->fields[i].name, name, TextCompare::NoCase) == 0 &&
            m_table->fields[i].name.size() == name.size())
            return static_cast<int>(i);
    return -1;
}

void Recordset::createIndex(int field, TextCompare compare)
{
    if (field < 0 || field >= fieldCount() || m_table->indexFor(field, compare))
        return;
    RecordTable::Index ix;
    ix.field = field;
    ix.compare = compare;
    m_table->indexes.push_back(std::move(ix));
}

// ---------------------------------------------------------------- synchronisation

void Recordset::sync() const
{
    View& v = *m_view;
    RecordTable& t = *m_table;
    if (v.seenVersion == t.structureVersion && v.seenRows == t.rows.size())
        return;

    const bool wasEOF = v.pos >= static_cast<long>(v.active().size());
    if (v.seenErasures != t.erasures) {
        // Drop deleted records, keeping the cursor on its record or on the one that followed.
        auto& act = v.active();
        long removedBefore = 0;
        for (long i = 0; i < static_cast<long>(act.size()) && i < v.pos; ++i)
            if (!t.isLive(act[static_cast<std::size_t>(i)]))
                ++removedBefore;
        std::erase_if(v.order, [&](std::uint32_t s) { return !t.isLive(s); });
        if (v.filter != View::FilterKind::None)
            std::erase_if(v.visible, [&](std::uint32_t s) { return !t.isLive(s); });
        if (v.pos > 0)
            v.pos -= removedBefore;
        v.touched();
    }

    // Records added through other recordsets on the same rows join at the end.
    for (std::size_t s = v.seenRows; s < t.rows.size(); ++s) {
        const auto slot = static_cast<std::uint32_t>(s);
        if (!t.isLive(slot))
            continue;
        bool show = false;
        switch (v.filter) {
        case View::FilterKind::None:
        case View::FilterKind::Bookmarks:
            break;
        case View::FilterKind::Predicate:
            show = v.predicate && v.predicate(rowRef(slot));
            break;
        case View::FilterKind::Terms:
            show = matchesTerms(slot, v.terms);
            break;
        }
        v.appended(slot, show, t.rows.size());
    }
    if (wasEOF)
        v.pos = static_cast<long>(v.active().size());
    v.pos = std::clamp(v.pos, -1L, static_cast<long>(v.active().size()));
    v.seenVersion = t.structureVersion;
    v.seenRows = t.rows.size();
    v.seenErasures = t.erasures;
}

std::uint32_t Recordset::currentSlot() const
{
    sync();
    const auto& act = m_view->active();
    if (m_view->pos < 0 || m_view->pos >= static_cast<long>(act.size()))
        return UINT32_MAX;
    return act[static_cast<std::size_t>(m_view->pos)];
}

// ---------------------------------------------------------------- cursor

int Recordset::recordCount() const
{
    sync();
    return static_cast<int>(m_view->active().size());
}

bool Recordset::isEOF() const
{
    sync();
    return m_view->active().empty() || m_view->pos >= static_cast<long>(m_view->active().size());
}

bool Recordset::isBOF() const
{
    sync();
    return m_view->active().empty() || m_view->pos < 0;
}

int Recordset::absolutePosition() const
{
    sync();
    const long n = static_cast<long>(m_view->active().size());
    if (n == 0)
        return kPosUnknown;
    if (m_view->pos < 0)
        return kPosBOF;
    if (m_view->pos >= n)
        return kPosEOF;
    return static_cast<int>(m_view->pos + 1);
}

void Recordset::setAbsolutePosition(int position)
{
    sync();
    const long n = static_cast<long>(m_view->active().size());
    if (position < 1)
        m_view->pos = -1;
    else if (position > n)
        m_view->pos = n;
    else
        m_view->pos = position - 1;
}

void Recordset::moveFirst()
{
    sync();
    m_view->pos = 0;
}

void Recordset::moveLast()
{
    sync();
    m_view->pos = m_view->active().empty() ? 0 : static_cast<long>(m_view->active().size()) - 1;
}

void Recordset::moveNext() { move(1); }
void Recordset::movePrevious() { move(-1); }

void Recordset::move(int records)
{
    sync();
    const long n = static_cast<long>(m_view->active().size());
    m_view->pos = std::clamp(m_view->pos + records, -1L, n);
}

Bookmark Recordset::bookmark() const
{
    const auto slot = currentSlot();
    return slot == UINT32_MAX ? kNoBookmark : m_table->rows[slot].bookmark;
}

int Recordset::positionOf(Bookmark b) const
{
    sync();
    View& v = *m_view;
    const auto slot = m_table->slotFor(b);
    if (slot < 0)
        return 0;
    if (v.positionsDirty) {
        v.positionOfSlot.assign(m_table->rows.size(), 0);
        const auto& act = v.active();
        for (std::size_t i = 0; i < act.size(); ++i)
            v.positionOfSlot[act[i]] = static_cast<std::uint32_t>(i + 1);
        v.positionsDirty = false;
    }
    return static_cast<std::size_t>(slot) < v.positionOfSlot.size()
               ? static_cast<int>(v.positionOfSlot[static_cast<std::size_t>(slot)])
               : 0;
}

bool Recordset::moveToBookmark(Bookmark b)
{
    const int p = positionOf(b);
    if (p == 0)
        return false;
    m_view->pos = p - 1;
    return true;
}

bool Recordset::contains(Bookmark b) const { return m_table->slotFor(b) >= 0; }

// ---------------------------------------------------------------- current record

const Value& Recordset::value(int f) const
{
    const auto slot = currentSlot();
    return slot == UINT32_MAX ? nullValue() : m_table->at(slot, f);
}

const Value& Recordset::value(std::string_view fieldName) const { return value(fieldIndex(fieldName)); }

std::string Recordset::text(int f) const
{
    const auto slot = currentSlot();
    return slot == UINT32_MAX ? std::string() : rowRef(slot).text(f);
}

std::string Recordset::text(std::string_view fieldName) const { return text(fieldIndex(fieldName)); }

bool Recordset::boolean(int f) const
{
    const auto slot = currentSlot();
    return slot != UINT32_MAX && rowRef(slot).boolean(f);
}

std::int64_t Recordset::integer(int f) const
{
    const auto slot = currentSlot();
    return slot == UINT32_MAX ? 0 : rowRef(slot).integer(f);
}

double Recordset::number(int f) const
{
    const Value& v = value(f);
    if (const auto* s = std::get_if<std::string>(&v))
        return textToDouble(*s);
    return asDouble(v);
}

void Recordset::setValue(int f, Value v)
{
    const auto slot = currentSlot();
    if (slot != UINT32_MAX)
        m_table->set(slot, f, std::move(v));
}

void Recordset::setValue(std::string_view fieldName, Value v) { setValue(fieldIndex(fieldName), std::move(v)); }

std::vector<Value> Recordset::rowValues() const
{
    const auto slot = currentSlot();
    if (slot == UINT32_MAX)
        return {};
    return m_table->rowValues(slot);
}

const Value& Recordset::valueAt(Bookmark b, int f) const
{
    const auto slot = m_table->slotFor(b);
    return slot < 0 ? nullValue() : m_table->at(static_cast<std::uint32_t>(slot), f);
}

void Recordset::setValueAt(Bookmark b, int f, Value v)
{
    const auto slot = m_table->slotFor(b);
    if (slot >= 0)
        m_table->set(static_cast<std::uint32_t>(slot), f, std::move(v));
}

std::vector<Value> Recordset::rowValuesAt(Bookmark b) const
{
    const auto slot = m_table->slotFor(b);
    if (slot < 0)
        return {};
    return m_table->rowValues(static_cast<std::uint32_t>(slot));
}

// ---------------------------------------------------------------- adding and deleting

Bookmark Recordset::addNew()
{
    const Bookmark b = appendRecord({});
    // The new record ends this recordset's order (and shows through its filter).
    m_view->pos = static_cast<long>(m_view->active().size()) - 1;
    return b;
}

Bookmark Recordset::appendRecord(std::vector<Value> values, Bookmark preferred)
{
    sync();
    return appendRecordFrom(values, preferred);
}

Bookmark Recordset::appendRecordFrom(std::span<Value> values, Bookmark preferred)
{
    sync();
    const auto slot = m_table->append(values, preferred);
    View& v = *m_view;
    // A record added here shows here until the next filter.
    v.appended(slot, v.filter != View::FilterKind::None, m_table->rows.size());
    v.seenVersion = m_table->structureVersion;
    v.seenRows = m_table->rows.size();
    v.seenErasures = m_table->erasures;
    return m_table->rows[slot].bookmark;
}

void Recordset::reserve(std::size_t records)
{
    m_table->rows.reserve(m_table->rows.size() + records);
    if (m_table->mapped || m_table->rows.size() + records > RecordTable::kSearchedRows)
        m_table->slotOf.reserve(m_table->slotOf.size() + records);
    m_view->order.reserve(m_view->order.size() + records);
}

void Recordset::setValues(Bookmark b, std::span<std::pair<int, Value>> values)
{
    const auto slot = m_table->slotFor(b);
    if (slot < 0)
        return;
    for (auto& [f, v] : values)
        m_table->set(static_cast<std::uint32_t>(slot), f, std::move(v));
}

void Recordset::deleteCurrent()
{
    const auto slot = currentSlot();
    if (slot == UINT32_MAX)
        return;
    m_table->erase(slot);
    sync();
}

int Recordset::deleteRecords(std::span<const Bookmark> bookmarks)
{
    sync();
    // Erased in storage order: a list whose order differs from it (a sorted one) is then
    // still walked through memory in sequence.
    std::vector<std::uint32_t> slots;
    slots.reserve(bookmarks.size());
    for (Bookmark b : bookmarks)
        if (const auto slot = m_table->slotFor(b); slot >= 0)
            slots.push_back(static_cast<std::uint32_t>(slot));
    std::sort(slots.begin(), slots.end());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    for (const std::uint32_t slot : slots)
        m_table->erase(slot);
    sync();
    return static_cast<int>(slots.size());
}

void Recordset::clear()
{
    sync();
    for (std::uint32_t s = 0; s < m_table->rows.size(); ++s)
        m_table->erase(s);
    sync();
    m_view->pos = 0;
}

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
    ++t.changes;
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
    ++t.changes;
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
    std::vector<Equals> terms = termsIn;
    for (auto& term : terms)
        term.value = coerce(field(term.field), std::move(term.value));
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
    std::vector<Equals> terms = termsIn;
    for (auto& term : terms)
        term.value = coerce(field(term.field), std::move(term.value));
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

// ---------------------------------------------------------------- whole recordset

Recordset Recordset::clone() const
{
    sync();
    Recordset r;
    r.m_table = m_table;
    r.m_view->order = m_view->order;
    r.m_view->seenVersion = m_table->structureVersion;
    r.m_view->seenRows = m_table->rows.size();
    r.m_view->seenErasures = m_table->erasures;
    return r;
}

Recordset Recordset::copy() const
{
    sync();
    Recordset r;
    r.m_table->fields = m_table->fields;
    for (const auto& ix : m_table->indexes) {
        RecordTable::Index copyIx;
        copyIx.field = ix.field;
        copyIx.compare = ix.compare;
        r.m_table->indexes.push_back(std::move(copyIx));
    }
    const auto& act = m_view->active();
    r.m_table->rows.reserve(act.size());

    r.m_view->order.reserve(act.size());
    const std::size_t fieldCount = m_table->fields.size();
    for (std::size_t i = 0; i < act.size(); ++i) {
        // A sorted or filtered order jumps about in memory: the rows a few steps ahead,
        // and the text they hold, are asked for before they are needed.
        if (i + kPrefetchRows < act.size())
            prefetchRow(*m_table, act[i + kPrefetchRows]);
        if (i + kPrefetchRows / 2 < act.size())
            prefetchText(*m_table, act[i + kPrefetchRows / 2]);
        const auto s = act[i];
        const auto& row = m_table->rows[s];
        const auto slot = static_cast<std::uint32_t>(r.m_table->rows.size());
        std::uninitialized_copy_n(m_table->rowCells(s), fieldCount, r.m_table->newRowCells());
        r.m_table->rows.push_back(row);
        r.m_table->fileBookmark(slot);
        r.m_view->order.push_back(slot);
    }
    r.m_table->liveCount = act.size();
    r.m_table->structureVersion = 1;
    r.m_view->seenVersion = 1;
    r.m_view->seenRows = r.m_table->rows.size();
    return r;
}

std::vector<Bookmark> Recordset::bookmarks() const
{
    sync();
    std::vector<Bookmark> out;
    out.reserve(m_view->active().size());
    for (auto s : m_view->active())
        out.push_back(m_table->rows[s].bookmark);
    return out;
}

void Recordset::forEach(const std::function<void(const RowRef&)>& visit) const
{
    sync();
    const auto& act = m_view->active();
    for (std::size_t i = 0; i < act.size(); ++i) {
        if (i + kPrefetchRows < act.size())
            prefetchRow(*m_table, act[i + kPrefetchRows]);
        visit(rowRef(act[i]));
    }
}

std::uint64_t Recordset::changeCount() const { return m_table->changes; }

bool Recordset::valuesEqual(const Value& a, const Value& b, TextCompare compare)
{
    return compareValues(a, b, compare) == 0 &&
           std::holds_alternative<std::monostate>(a) == std::holds_alternative<std::monostate>(b);
}

int Recordset::compareValues(const Value& a, const Value& b, TextCompare compare)
{
    const bool an = std::holds_alternative<std::monostate>(a);
    const bool bn = std::holds_alternative<std::monostate>(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const auto* as = std::get_if<std::string>(&a);
    const auto* bs = std::get_if<std::string>(&b);
    if (as && bs)
        return compareText(*as, *bs, compare);
    if (as || bs)  // numbers before text
        return as ? 1 : -1;
    const double x = asDouble(a);
    const double y = asDouble(b);
    return x < y ? -1 : (x > y ? 1 : 0);
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
