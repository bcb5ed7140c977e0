// Brevane - an in-memory, disconnected recordset.
//
// The data model of voice lists, voice parameter tables and the MIDI monitor: rows of
// typed fields with a cursor, stable bookmarks, sorting, filtering and finding.
//
// Rows live in a table that clones share: a clone has its own cursor, order and filter,
// and sees every change made through any other clone. copy() makes an independent table.
//
// Bookmarks identify a row for as long as it lives and follow it through sort(), copy()
// and appendRecord(..., keepBookmark). They are never reused within a run of the program.
//
// Text is a byte string (one character per byte, any byte value). Fixed-width text reads
// back padded with blanks to its width. Text comparisons in sort, filter and find are
// "no case" by default: ASCII letters compare without regard to case and trailing blanks
// are ignored, so "Brass 1" and "BRASS 1  " compare equal.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

enum class FieldType : int { Text = 0, FixedText = 1, Boolean = 2, Integer = 3, Double = 4 };

// A field value; std::monostate is Null (a field not yet given a value).
using Value = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int width = 0;  // characters for text fields, informational for the others
};

using Bookmark = std::uint64_t;
constexpr Bookmark kNoBookmark = 0;

// How two texts compare.
enum class TextCompare : int {
    NoCase = 0,  // ASCII case ignored, trailing blanks ignored
    Binary = 1,  // byte for byte
};

struct SortKey {
    int field = 0;
    bool descending = false;
    TextCompare compare = TextCompare::NoCase;
};

// One equality term of a filter or find: field = value.
struct Equals {
    int field = 0;
    Value value;
    TextCompare compare = TextCompare::NoCase;
};

// Values of AbsolutePosition when the cursor is on no record.
constexpr int kPosUnknown = -1;
constexpr int kPosBOF = -2;
constexpr int kPosEOF = -3;

class Recordset;
namespace detail {
struct RecordTable;
}

// Read access to one row, handed to filter and find predicates.
class RowRef {
public:
    const Value& value(int field) const;
    std::string text(int field) const;  // Null reads as ""
    bool boolean(int field) const;      // Null reads as false
    std::int64_t integer(int field) const;
    Bookmark bookmark() const;

private:
    friend class Recordset;
    RowRef(const detail::RecordTable* table, std::uint32_t slot) : m_table(table), m_slot(slot) {}
    const detail::RecordTable* m_table;
    std::uint32_t m_slot;
};

using RowPredicate = std::function<bool(const RowRef&)>;

class Recordset {
public:
    // An open, empty recordset with no fields.
    Recordset();
    explicit Recordset(std::vector<FieldDef> fields);
    ~Recordset();
    // Move-only: share rows explicitly with clone(), duplicate them with copy().
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    // ---- schema
    // Appends a field; only while the table has no rows. Returns its index.
    int appendField(std::string name, FieldType type, int width = 0);
    int fieldCount() const;
    const FieldDef& field(int index) const;
    // Field index by name, without regard to case; -1 when there is none.
    int fieldIndex(std::string_view name) const;
    // Keeps an equality index on a field so that filters and finds on it cost O(matches).
    void createIndex(int field, TextCompare compare = TextCompare::NoCase);

    // ---- cursor
    int recordCount() const;  // records visible through the filter
    bool isEOF() const;
    bool isBOF() const;
    bool isEmpty() const { return recordCount() == 0; }
    // 1-based position of the current record, or kPosBOF / kPosEOF / kPosUnknown when empty.
    int absolutePosition() const;
    // Moves to the 1-based position; out of range moves to BOF (< 1) or EOF (> count).
    void setAbsolutePosition(int position);
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(int records);  // relative to the current record
    // Bookmark of the current record (kNoBookmark at BOF/EOF).
    Bookmark bookmark() const;
    // Makes the record with this bookmark current; false (cursor unchanged) when it is not
    // visible in this recordset.
    bool moveToBookmark(Bookmark bookmark);
    // 1-based position of a bookmark in this recordset's order and filter, or 0.
    int positionOf(Bookmark bookmark) const;
    // Whether a bookmark names a record that still exists in the table.
    bool contains(Bookmark bookmark) const;

    // ---- the current record
    const Value& value(int field) const;
    const Value& value(std::string_view fieldName) const;
    std::string text(int field) const;
    std::string text(std::string_view fieldName) const;
    bool boolean(int field) const;
    std::int64_t integer(int field) const;
    double number(int field) const;
    // Sets a field of the current record; takes effect at once (update() is a no-op kept
    // for readability where the code mirrors add-then-update sequences).
    void setValue(int field, Value value);
    void setValue(std::string_view fieldName, Value value);
    void update() {}
    std::vector<Value> rowValues() const;

    // ---- records by bookmark, without moving the cursor
    const Value& valueAt(Bookmark bookmark, int field) const;
    void setValueAt(Bookmark bookmark, int field, Value value);
    std::vector<Value> rowValuesAt(Bookmark bookmark) const;

    // ---- adding and deleting
    // Adds a record at the end of this recordset's order and makes it current.
    // Text fields start as Null, Boolean fields as false.
    Bookmark addNew();
    // Adds a record with these values (missing trailing values stay Null). With a
    // preferred bookmark the record keeps it unless the table already holds it.
    Bookmark appendRecord(std::vector<Value> values, Bookmark preferred = kNoBookmark);
    // The same, moving the values out of the caller's storage (which can then be reused
    // for the next record without allocating).
    Bookmark appendRecordFrom(std::span<Value> values, Bookmark preferred = kNoBookmark);
    // Room for this many more records (a build of a large list allocates once).
    void reserve(std::size_t records);
    // Sets several fields of one record.
    void setValues(Bookmark bookmark, std::span<std::pair<int, Value>> values);
    // Deletes the current record; the cursor moves to the record that followed it.
    void deleteCurrent();
    // Deletes every listed record in one pass; unknown bookmarks are ignored.
    // Returns the number deleted. A cursor on a deleted record moves to the next
    // surviving record (or EOF); otherwise it stays on its record.
    int deleteRecords(std::span<const Bookmark> bookmarks);
    // Removes every record.
    void clear();

    // ---- order
    // Stable sort of this recordset's order by the keys; an empty list restores the order
    // in which records were added. The cursor goes to the first record.
    void sort(std::vector<SortKey> keys);
    // Reorders this recordset to exactly the listed bookmarks followed by any others in
    // their present order.
    void reorder(std::span<const Bookmark> bookmarks);

    // ---- filter
    // Shows only the records for which the predicate holds; cursor to the first record.
    void setFilter(RowPredicate predicate);
    // Shows only the records matching every term (uses an index where there is one).
    void setFilter(std::vector<Equals> terms);
    // Shows only the listed records, in this recordset's order.
    void setFilter(std::span<const Bookmark> bookmarks);
    void clearFilter();
    bool isFiltered() const;

    // ---- find
    // Searches from the current record, skipping `skip` records first, forwards or
    // backwards. On a match the record becomes current and true is returned; otherwise
    // the cursor ends at EOF (forwards) or BOF (backwards).
    bool find(const RowPredicate& predicate, int skip = 0, bool forward = true);
    bool find(const std::vector<Equals>& terms, int skip = 0, bool forward = true);
    // Bookmarks of every visible record matching the terms, in this recordset's order.
    std::vector<Bookmark> matching(const std::vector<Equals>& terms) const;

    // ---- whole-recordset operations
    // A recordset on the same rows with its own cursor (at the first record), the same
    // order and no filter.
    Recordset clone() const;
    // An independent table holding the visible records in this order, with the same
    // fields and indexes and the same bookmarks.
    Recordset copy() const;
    // Bookmarks of the visible records in order.
    std::vector<Bookmark> bookmarks() const;
    // Visits each visible record in order without moving the cursor.
    void forEach(const std::function<void(const RowRef&)>& visit) const;
    // Counter that changes whenever rows are added, deleted, edited or reordered through
    // any clone; views (grid models) compare it to know when to refresh.
    std::uint64_t changeCount() const;
    // Called after each change that changeCount counts, made through any clone: one
    // observer per table (a later one replaces it, an empty one removes it). It is told
    // only that something changed, in the middle of the operation that changed it, and
    // must not change the table itself (a window schedules its refresh).
    void setChangeObserver(std::function<void()> observer);

    // Whether two Value objects compare equal under a comparison (Null equals only Null).
    static bool valuesEqual(const Value& a, const Value& b, TextCompare compare);
    // Three-way comparison used by sort: Null first, then numbers, then text.
    static int compareValues(const Value& a, const Value& b, TextCompare compare);

private:
    struct View;
    std::shared_ptr<detail::RecordTable> m_table;
    std::unique_ptr<View> m_view;

    void sync() const;
    RowRef rowRef(std::uint32_t slot) const { return RowRef(m_table.get(), slot); }
    std::uint32_t currentSlot() const;
    bool matchesTerms(std::uint32_t slot, const std::vector<Equals>& terms) const;
    std::vector<std::uint32_t> candidateSlots(const std::vector<Equals>& terms, bool& exact) const;
};

// Whether a text matches a "like" pattern with * (or %) only at its start and/or end,
// compared as TextCompare::NoCase; a pattern without wildcards must match whole.
// isValidLikePattern tells whether the matcher can take a pattern at all.
bool isValidLikePattern(std::string_view pattern);
bool likeMatch(std::string_view pattern, std::string_view text);

}  // namespace platform
