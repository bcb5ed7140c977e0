// Brevane - tests of the in-memory recordset.
#include "platform/Recordset.h"
#include "platform/RecordsetModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace platform;

namespace {

// A voice-list shaped recordset: ID, Data (binary text), Names (fixed 10), DelSelected.
struct VoiceTable {
    Recordset rs;
    int id, data, names, del;
    VoiceTable()
    {
        id = rs.appendField("ID", FieldType::Text, 10);
        data = rs.appendField("Data", FieldType::Text, 145);
        names = rs.appendField("Names", FieldType::FixedText, 10);
        del = rs.appendField("DelSelected", FieldType::Boolean, 1);
    }
    Bookmark add(const std::string& name, std::string bytes = "x")
    {
        const Bookmark b = rs.addNew();
        rs.setValue(id, std::to_string(rs.recordCount()));
        rs.setValue(data, std::move(bytes));
        rs.setValue(names, name);
        return b;
    }
    std::vector<std::string> namesInOrder()
    {
        std::vector<std::string> out;
        rs.forEach([&](const RowRef& r) { out.push_back(r.text(names)); });
        return out;
    }
};

std::string pad(std::string s) { s.resize(10, ' '); return s; }

}  // namespace

TEST(Recordset, FieldsTypesAndBinarySafeText)
{
    VoiceTable t;
    EXPECT_EQ(t.rs.fieldIndex("names"), t.names);
    EXPECT_EQ(t.rs.fieldIndex("Nam"), -1);
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    t.add("Brass", bytes);
    EXPECT_EQ(t.rs.text(t.data), bytes) << "bytes 0x00 and 0x80-0xFF must come back unchanged";
    EXPECT_EQ(t.rs.text(t.names), "Brass     ") << "fixed-width text reads back blank-padded";
    t.rs.setValue(t.names, std::string("ABCDEFGHIJKLMN"));
    EXPECT_EQ(t.rs.text(t.names), "ABCDEFGHIJ");
    EXPECT_FALSE(t.rs.boolean(t.del)) << "a new Boolean field starts False";
    t.rs.setValue(t.del, std::string("True"));
    EXPECT_TRUE(t.rs.boolean(t.del));
    EXPECT_EQ(t.rs.appendField("Late", FieldType::Text), -1) << "no fields once rows exist";
}

TEST(Recordset, CursorMovesPositionsAndEmptyState)
{
    VoiceTable t;
    EXPECT_TRUE(t.rs.isEOF());
    EXPECT_TRUE(t.rs.isBOF());
    EXPECT_EQ(t.rs.absolutePosition(), kPosUnknown);
    for (const char* n : {"A", "B", "C"})
        t.add(n);
    t.rs.moveFirst();
    EXPECT_EQ(t.rs.absolutePosition(), 1);
    t.rs.movePrevious();
    EXPECT_TRUE(t.rs.isBOF());
    EXPECT_EQ(t.rs.absolutePosition(), kPosBOF);
    t.rs.moveLast();
    EXPECT_EQ(t.rs.text(t.names), pad("C"));
    t.rs.moveNext();
    EXPECT_TRUE(t.rs.isEOF());
    EXPECT_EQ(t.rs.absolutePosition(), kPosEOF);
    EXPECT_EQ(t.rs.text(t.names), "") << "reading at EOF is harmless";
    t.rs.setAbsolutePosition(2);
    EXPECT_EQ(t.rs.text(t.names), pad("B"));
    t.rs.move(-5);
    EXPECT_TRUE(t.rs.isBOF());
}

TEST(Recordset, BookmarksSurviveSortCopyDeleteAndClone)
{
    VoiceTable t;
    const Bookmark c = t.add("Cello");
    const Bookmark a = t.add("Alto");
    const Bookmark b = t.add("Bass");
    t.rs.sort({{t.names}});
    EXPECT_EQ(t.namesInOrder(), (std::vector<std::string>{pad("Alto"), pad("Bass"), pad("Cello")}));
    EXPECT_EQ(t.rs.positionOf(c), 3);
    ASSERT_TRUE(t.rs.moveToBookmark(c));
    EXPECT_EQ(t.rs.text(t.names), pad("Cello"));

    Recordset snapshot = t.rs.copy();
    EXPECT_EQ(snapshot.positionOf(a), 1) << "a copy keeps bookmarks and order";
    EXPECT_EQ(snapshot.valueAt(b, t.names), Value(pad("Bass")));

    ASSERT_TRUE(t.rs.moveToBookmark(a));
    t.rs.deleteCurrent();
    EXPECT_EQ(t.rs.text(t.names), pad("Bass")) << "cursor moves to the following record";
    EXPECT_FALSE(t.rs.contains(a));
    EXPECT_TRUE(snapshot.contains(a)) << "a copy is independent of later deletes";
    EXPECT_EQ(t.rs.positionOf(c), 2);

    Recordset other = t.rs.clone();
    other.moveToBookmark(b);
    other.setValue(t.names, std::string("Tuba"));
    EXPECT_EQ(t.rs.valueAt(b, t.names), Value(pad("Tuba"))) << "clones share rows";
    t.rs.moveFirst();
    EXPECT_EQ(other.bookmark(), b) << "clones keep their own cursor";
    other.deleteCurrent();
    EXPECT_EQ(t.rs.recordCount(), 1);
    EXPECT_EQ(t.rs.bookmark(), c);
}

TEST(Recordset, AppendKeepsPreferredBookmarkOnlyWhenFree)
{
    VoiceTable t;
    const Bookmark a = t.add("One");
    Recordset restored = t.rs.copy();
    restored.clear();
    const Bookmark back = restored.appendRecord(t.rs.rowValues(), a);
    EXPECT_EQ(back, a);
    const Bookmark dup = restored.appendRecord(t.rs.rowValues(), a);
    EXPECT_NE(dup, a) << "a bookmark is never shared by two rows of one table";
}

TEST(Recordset, BatchDeleteInOnePassKeepsCursorSensible)
{
    VoiceTable t;
    std::vector<Bookmark> all;
    for (int i = 0; i < 10; ++i)
        all.push_back(t.add("V" + std::to_string(i)));
    t.rs.moveToBookmark(all[3]);
    std::vector<Bookmark> doomed{all[1], all[3], all[4], all[9], 999999999};
    EXPECT_EQ(t.rs.deleteRecords(doomed), 4);
    EXPECT_EQ(t.rs.recordCount(), 6);
    EXPECT_EQ(t.rs.bookmark(), all[5]) << "cursor on a deleted record moves to the next survivor";
    t.rs.moveToBookmark(all[8]);
    t.rs.deleteRecords(std::vector<Bookmark>{all[0]});
    EXPECT_EQ(t.rs.bookmark(), all[8]) << "cursor elsewhere stays on its record";
    t.rs.moveLast();
    t.rs.deleteCurrent();
    EXPECT_TRUE(t.rs.isEOF());
}

TEST(Recordset, SortIsStableCaseInsensitiveAndIgnoresTrailingBlanks)
{
    VoiceTable t;
    const Bookmark first = t.add("brass 1");
    t.add("Alpha");
    const Bookmark second = t.add("BRASS 1");
    t.add("Brass 10");
    t.rs.sort({{t.names}});
    const auto order = t.rs.bookmarks();
    const auto pf = std::find(order.begin(), order.end(), first) - order.begin();
    const auto ps = std::find(order.begin(), order.end(), second) - order.begin();
    EXPECT_EQ(ps, pf + 1) << "equal names stay together in their old order";
    EXPECT_EQ(t.namesInOrder().back(), pad("Brass 10"));
    t.rs.sort({{t.names, true}});
    EXPECT_EQ(t.namesInOrder().front(), pad("Brass 10"));
    t.rs.sort({});
    EXPECT_EQ(t.rs.bookmarks().front(), first) << "an empty sort restores insertion order";
}

TEST(Recordset, FiltersByTermsPredicateAndBookmarks)
{
    VoiceTable t;
    t.rs.createIndex(t.names);
    std::vector<Bookmark> bm;
    for (const char* n : {"Piano", "Organ", "piano  ", "O'Brien", "Piano 2"})
        bm.push_back(t.add(n));
    t.rs.setFilter(std::vector<Equals>{{t.names, std::string("PIANO")}});
    EXPECT_EQ(t.rs.recordCount(), 2);
    EXPECT_EQ(t.rs.bookmarks(), (std::vector<Bookmark>{bm[0], bm[2]}));
    t.rs.setFilter(std::vector<Equals>{{t.names, std::string("O'Brien")}});
    EXPECT_EQ(t.rs.recordCount(), 1) << "an apostrophe is just a character";
    t.rs.setFilter(std::vector<Equals>{{t.names, std::string("Piano"), TextCompare::Binary}});
    EXPECT_EQ(t.rs.recordCount(), 1) << "binary compare has no index and scans";

    t.rs.setFilter([&](const RowRef& r) { return r.text(t.names).rfind("Piano", 0) == 0; });
    EXPECT_EQ(t.rs.recordCount(), 2);
    const std::vector<Bookmark> pick{bm[4], bm[1]};
    t.rs.setFilter(std::span<const Bookmark>(pick));
    EXPECT_EQ(t.rs.bookmarks(), (std::vector<Bookmark>{bm[1], bm[4]})) << "filtered rows keep the recordset's order";
    t.rs.clearFilter();
    EXPECT_EQ(t.rs.recordCount(), 5);
}

TEST(Recordset, IndexFollowsEditsDeletesAndSortOrder)
{
    VoiceTable t;
    t.rs.createIndex(t.names);
    const Bookmark a = t.add("Same");
    const Bookmark b = t.add("Other");
    const Bookmark c = t.add("Same");
    t.rs.moveToBookmark(b);
    t.rs.setValue(t.names, std::string("Same"));
    t.rs.moveToBookmark(a);
    t.rs.setValue(t.names, std::string("Gone"));
    t.rs.setValue(t.names, std::string("Same"));
    t.rs.setValue(t.names, std::string("Gone"));
    EXPECT_EQ(t.rs.matching({{t.names, std::string("Same")}}), (std::vector<Bookmark>{b, c}));
    t.rs.sort({{t.id, true}});
    EXPECT_EQ(t.rs.matching({{t.names, std::string("Same")}}), (std::vector<Bookmark>{c, b}))
        << "index matches come back in the recordset's current order";
    t.rs.deleteRecords(std::vector<Bookmark>{c});
    EXPECT_EQ(t.rs.matching({{t.names, std::string("Same")}}), (std::vector<Bookmark>{b}));
    EXPECT_EQ(t.rs.matching({{t.names, std::string("Gone")}}), (std::vector<Bookmark>{a}));

    // Edits and additions after the index was first used.
    t.rs.moveToBookmark(b);
    t.rs.setValue(t.names, std::string("gone"));
    const Bookmark d = t.add("SAME");
    EXPECT_EQ(t.rs.matching({{t.names, std::string("Same")}}), (std::vector<Bookmark>{d}));
    EXPECT_EQ(t.rs.matching({{t.names, std::string("Gone")}}).size(), 2U);
    for (int i = 0; i < 6000; ++i)  // enough to fold the additions into the sorted part
        t.add("Bulk" + std::to_string(i % 3));
    EXPECT_EQ(t.rs.matching({{t.names, std::string("bulk1")}}).size(), 2000U);
    EXPECT_EQ(t.rs.matching({{t.names, std::string("Same")}}), (std::vector<Bookmark>{d}));
}

TEST(Recordset, FindForwardBackwardWithSkip)
{
    VoiceTable t;
    t.rs.createIndex(t.names);
    std::vector<Bookmark> bm;
    for (const char* n : {"X", "Hit", "Y", "Hit", "Z"})
        bm.push_back(t.add(n));
    for (bool indexed : {true, false}) {
        SCOPED_TRACE(indexed ? "indexed" : "scan");
        const std::vector<Equals> hit{{t.names, std::string("hit"), indexed ? TextCompare::NoCase : TextCompare::Binary}};
        const std::vector<Equals> hitExact{{t.names, std::string("Hit"), TextCompare::Binary}};
        const auto& terms = indexed ? hit : hitExact;
        t.rs.moveFirst();
        ASSERT_TRUE(t.rs.find(terms));
        EXPECT_EQ(t.rs.bookmark(), bm[1]);
        ASSERT_TRUE(t.rs.find(terms, 1)) << "skip 1 steps past the current match";
        EXPECT_EQ(t.rs.bookmark(), bm[3]);
        EXPECT_FALSE(t.rs.find(terms, 1));
        EXPECT_TRUE(t.rs.isEOF());
        t.rs.moveLast();
        ASSERT_TRUE(t.rs.find(terms, 0, false));
        EXPECT_EQ(t.rs.bookmark(), bm[3]);
        ASSERT_TRUE(t.rs.find(terms, 1, false));
        EXPECT_EQ(t.rs.bookmark(), bm[1]);
        EXPECT_FALSE(t.rs.find(terms, 1, false));
        EXPECT_TRUE(t.rs.isBOF());
    }
}

TEST(Recordset, ClonesSeeRowsAddedElsewhere)
{
    VoiceTable t;
    t.add("A");
    Recordset view = t.rs.clone();
    view.setFilter([&](const RowRef& r) { return r.text(t.names)[0] == 'B'; });
    t.add("B");
    t.add("C");
    EXPECT_EQ(view.recordCount(), 1) << "a filtered clone shows new rows that pass its filter";
    view.clearFilter();
    EXPECT_EQ(view.recordCount(), 3);
    const Bookmark mine = view.addNew();
    EXPECT_EQ(t.rs.positionOf(mine), 4);
}

TEST(LikePattern, WildcardsOnlyAtTheEnds)
{
    struct Case { const char* pattern; const char* text; bool valid; bool match; };
    const Case cases[] = {
        {"BAS*", "Bass 1    ", true, true},
        {"BAS*", "ABASS", true, false},
        {"*AS*", "Brass", true, true},
        {"*SS", "Brass     ", true, true},
        {"Brass", "BRASS   ", true, true},
        {"Brass", "Brass 2", true, false},
        {"B*SS", "BRASS", false, false},
        {"*", "anything", true, true},
        {"%AS%", "brass", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(isValidLikePattern(c.pattern), c.valid);
        EXPECT_EQ(likeMatch(c.pattern, c.text), c.match);
    }
}

TEST(RecordsetModel, ShowsLatin1AndEditsThroughToTheRows)
{
    VoiceTable t;
    t.add(std::string("Caf\xE9"));
    t.add("Organ");
    RecordsetModel model;
    model.setRecordset(t.rs, {{t.names, QStringLiteral("Name"), true}, {t.id, QStringLiteral("No."), false}});
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::fromLatin1("Caf\xE9      "));
    EXPECT_TRUE(model.setData(model.index(1, 0), QStringLiteral("Flute")));
    EXPECT_FALSE(model.setData(model.index(1, 1), QStringLiteral("9"))) << "read-only column";
    t.rs.moveLast();
    EXPECT_EQ(t.rs.text(t.names), pad("Flute"));
    model.recordset().setFilter([&](const RowRef& r) { return r.text(t.names)[0] == 'F'; });
    model.refresh();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(t.rs.recordCount(), 2) << "the grid's filter does not touch the owner's view";
}

TEST(Recordset, GrowingTablesKeepEveryValueInPlace)
{
    // Rows cross every block boundary; values already stored neither change nor move.
    Recordset rs({{"No", FieldType::Integer, 0}, {"Name", FieldType::FixedText, 20}});
    const Value* first = nullptr;
    std::vector<Bookmark> marks;
    for (int i = 0; i < 9000; ++i) {
        marks.push_back(rs.appendRecord({std::int64_t{i}, "V" + std::to_string(i)}));
        if (i == 0)
            first = &rs.valueAt(marks[0], 1);
    }
    EXPECT_EQ(&rs.valueAt(marks[0], 1), first) << "growing the table moved a stored value";
    for (int i : {0, 15, 16, 31, 32, 2047, 2048, 4095, 4096, 8191, 8192, 8999}) {
        EXPECT_EQ(rs.valueAt(marks[static_cast<std::size_t>(i)], 0), Value(std::int64_t{i}));
        std::string name = "V" + std::to_string(i);
        name.resize(20, ' ');
        EXPECT_EQ(rs.valueAt(marks[static_cast<std::size_t>(i)], 1), Value(name));
    }
    Recordset copy = rs.copy();
    EXPECT_EQ(copy.recordCount(), 9000);
    EXPECT_EQ(copy.valueAt(marks[8999], 0), Value(std::int64_t{8999}));
}

TEST(Recordset, BookmarksStayFoundThroughManyDeletesAndAdds)
{
    Recordset rs({{"No", FieldType::Integer, 0}});
    std::vector<Bookmark> marks;
    for (int i = 0; i < 3000; ++i)
        marks.push_back(rs.appendRecord({std::int64_t{i}}));
    // Delete every third record, then add more: every survivor is still found by bookmark.
    std::vector<Bookmark> doomed;
    for (std::size_t i = 0; i < marks.size(); i += 3)
        doomed.push_back(marks[i]);
    EXPECT_EQ(rs.deleteRecords(doomed), 1000);
    for (int i = 3000; i < 4000; ++i)
        marks.push_back(rs.appendRecord({std::int64_t{i}}));
    int found = 0;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const bool gone = i < 3000 && i % 3 == 0;
        EXPECT_EQ(rs.contains(marks[i]), !gone) << i;
        if (!gone && rs.valueAt(marks[i], 0) == Value(static_cast<std::int64_t>(i)))
            ++found;
    }
    EXPECT_EQ(found, 3000);
    EXPECT_EQ(rs.positionOf(marks[1]), 1);
    EXPECT_EQ(rs.positionOf(marks.back()), 3000);
    EXPECT_EQ(rs.positionOf(marks[0]), 0);
}

TEST(Recordset, AddedRecordsTakeTheirPlaceInEveryView)
{
    // Appends keep positions right in the recordset that adds, in a filtered one and in
    // clones, also after a deletion and while positions are being asked for all along.
    VoiceTable t;
    for (int i = 0; i < 40; ++i)
        t.add(i % 2 ? "Odd" : "Even");
    Recordset evens = t.rs.clone();
    evens.setFilter(std::vector<Equals>{{t.names, std::string("Even")}});
    Recordset all = t.rs.clone();
    ASSERT_EQ(evens.recordCount(), 20);
    for (int i = 40; i < 60; ++i) {
        const Bookmark b = t.add(i % 2 ? "Odd" : "Even");
        EXPECT_EQ(t.rs.absolutePosition(), i + 1) << "addNew makes the new record current";
        EXPECT_EQ(t.rs.positionOf(b), i + 1);
        EXPECT_EQ(all.positionOf(b), i + 1) << "a clone sees the record at its end";
        EXPECT_EQ(evens.positionOf(b), i % 2 ? 0 : evens.recordCount()) << "a filtered clone shows what passes";
    }
    const Bookmark second = all.bookmarks()[1];
    all.moveToBookmark(second);
    all.deleteCurrent();
    const Bookmark last = t.add("Even");
    EXPECT_EQ(t.rs.positionOf(last), 60);
    EXPECT_EQ(all.positionOf(last), 60);
    EXPECT_EQ(t.rs.recordCount(), 60);
    t.rs.moveLast();
    EXPECT_EQ(t.rs.bookmark(), last);
    // A filtered recordset shows a record added through it at its end.
    const Bookmark mine = evens.addNew();
    EXPECT_EQ(evens.positionOf(mine), evens.recordCount());
    EXPECT_EQ(evens.bookmark(), mine);
    EXPECT_EQ(t.rs.positionOf(mine), 61);
}

TEST(Recordset, BookmarksAreFoundWhateverOrderTheyArriveIn)
{
    // Rows copied from another list keep bookmarks older than the table's own ones.
    Recordset source({{"No", FieldType::Integer, 0}});
    std::vector<Bookmark> old;
    for (int i = 0; i < 5; ++i)
        old.push_back(source.appendRecord({std::int64_t{i}}));
    Recordset rs({{"No", FieldType::Integer, 0}});
    const Bookmark a = rs.appendRecord({std::int64_t{100}});
    const Bookmark b = rs.appendRecord({std::int64_t{101}});
    EXPECT_EQ(rs.valueAt(b, 0), Value(std::int64_t{101}));
    EXPECT_FALSE(rs.contains(old[2]));
    EXPECT_EQ(rs.appendRecord({std::int64_t{2}}, old[2]), old[2]) << "an older bookmark that is free is kept";
    EXPECT_EQ(rs.appendRecord({std::int64_t{0}}, old[0]), old[0]);
    EXPECT_NE(rs.appendRecord({std::int64_t{7}}, a), a) << "a bookmark in use is not given twice";
    for (const auto& [mark, value] : std::vector<std::pair<Bookmark, std::int64_t>>{{a, 100}, {b, 101}, {old[2], 2}, {old[0], 0}})
        EXPECT_EQ(rs.valueAt(mark, 0), Value(value));
    EXPECT_EQ(rs.positionOf(old[0]), 4);
    // A deleted record's bookmark is no longer found, and may come back.
    rs.moveToBookmark(a);
    rs.deleteCurrent();
    EXPECT_FALSE(rs.contains(a));
    EXPECT_EQ(rs.appendRecord({std::int64_t{100}}, a), a);
    EXPECT_EQ(rs.positionOf(a), 5);
    // The same in a table of new bookmarks only, before and after it grows large.
    Recordset plain({{"No", FieldType::Integer, 0}});
    std::vector<Bookmark> marks;
    for (int i = 0; i < 1500; ++i) {
        marks.push_back(plain.appendRecord({std::int64_t{i}}));
        if (i == 10 || i == 1499) {
            EXPECT_EQ(plain.valueAt(marks[5], 0), Value(std::int64_t{5}));
            EXPECT_FALSE(plain.contains(old[1]));
        }
    }
    plain.deleteRecords(std::vector<Bookmark>{marks[3], marks[1200]});
    EXPECT_FALSE(plain.contains(marks[3]));
    EXPECT_FALSE(plain.contains(marks[1200]));
    EXPECT_EQ(plain.positionOf(marks[1499]), 1498);
}
