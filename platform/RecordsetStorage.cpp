// Brevane - an in-memory, disconnected recordset (Recordset.h): its rows, cursor and
// bookmarks. Sorting and filtering are in RecordsetViews.cpp, finding in RecordsetFind.cpp.
#include "platform/Recordset.h"

#include "platform/detail/RecordTable.h"
#include "platform/detail/RecordValues.h"
#include "platform/detail/RecordsetView.h"

#include <algorithm>
#include <memory>

namespace platform {

using detail::RecordTable;
using detail::asDouble;
using detail::compareText;
using detail::nullValue;
using detail::textToDouble;
using detail::textToInteger;
using detail::valueToText;

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
    m_table->noteChange();
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

void Recordset::setChangeObserver(std::function<void()> observer) { m_table->changeObserver = std::move(observer); }

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

}  // namespace platform
