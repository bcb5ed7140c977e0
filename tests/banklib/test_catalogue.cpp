// Brevane - copying records, sorting lists and finding voices by name.
#include "CatalogueTestSupport.h"

#include "banklib/NamePattern.h"
#include "banklib/ProgressThrottle.h"

#include <gtest/gtest.h>

namespace banklib {
namespace {

using platform::Bookmark;
using test::Catalogue;
using test::VoiceSpec;

TEST(CopyRecordset, AppendsARunOfRecordsToTheEndOfAnExistingList)
{
    platform::testing::ScriptedServices ui;
    clsVoiceNames names;
    platform::Recordset source = test::listOf(test::distinctVoices(6));
    platform::Recordset target = test::listOf({{"FIRST", 1}});
    const std::vector<Bookmark> marks = source.bookmarks();

    ASSERT_EQ(names.CopyRecordset(source, target, 3, 2, true), &target);
    EXPECT_EQ(test::namesOf(target), (std::vector<std::string>{"FIRST", "V0003", "V0004"}));
    EXPECT_EQ(target.rowValuesAt(marks[2]), source.rowValuesAt(marks[2])) << "whole records, bookmarks kept";
    EXPECT_EQ(target.absolutePosition(), 1);

    EXPECT_EQ(names.CopyRecordset(source, target, 1, 0, true), nullptr);
    EXPECT_FALSE(names.CopyRecordset(source, 1, 0).has_value());
    EXPECT_EQ(target.recordCount(), 3);
}

TEST(CopyRecordset, CopiesWhatTheFilterShowsInTheSourceOrder)
{
    platform::testing::ScriptedServices ui;
    clsVoiceNames names;
    platform::Recordset source = test::listOf(test::distinctVoices(5));
    source.sort({{VoiceListField::ID, true}});
    source.setFilter([](const platform::RowRef& row) { return row.text(VoiceListField::ID) != "2"; });
    auto copy = names.CopyRecordset(source);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(test::namesOf(*copy), (std::vector<std::string>{"V0005", "V0004", "V0003", "V0001"}));
    EXPECT_FALSE(ui.busy());
}

TEST(SortVoiceList, CaseAndTrailingBlanksDoNotSeparateNamesAndEqualNamesKeepTheirOrder)
{
    Catalogue c({{"brass 2", 1}, {"BRASS 1", 2}, {"Strings", 3}, {"Brass 1", 4}, {"bRASS 1 ", 5}, {"ARP", 6}});
    const std::vector<Bookmark> before = c.rs().bookmarks();
    clsVoiceNames names;
    names.SortVoiceList(*c.list);

    EXPECT_EQ(c.names(), (std::vector<std::string>{"ARP", "BRASS 1", "Brass 1", "bRASS 1", "brass 2", "Strings"}));
    const std::vector<Bookmark> after = c.rs().bookmarks();
    EXPECT_EQ(after[1], before[1]) << "the voices keep their bookmarks";
    EXPECT_EQ(after[2], before[3]);
    EXPECT_EQ(after[3], before[4]);
    EXPECT_EQ(c.list->VoiceCount(), 6);
    EXPECT_EQ(c.ui.statusText(), "");
    EXPECT_FALSE(c.ui.busy());

    // Saving writes the voices in their new order.
    std::vector<std::uint8_t> bytes;
    (void)names.RecordsetToByteArray(c.rs(), bytes, FileType::Packed);
    ASSERT_EQ(bytes.size(), 6 * kPackedVoiceSize);
    EXPECT_EQ(std::string(bytes.begin() + kPackedDataSize, bytes.begin() + kPackedVoiceSize), "ARP       ");
    EXPECT_EQ(std::string(bytes.end() - kNameLength, bytes.end()), "Strings   ");
}

TEST(NamePattern, WildcardsOnlyAtTheEnds)
{
    struct Case {
        std::string pattern;
        std::string name;
        bool match;
    };
    const Case cases[] = {
        {"BASS*", "BASSIC    ", true}, {"BASS*", "EL.BASS   ", false}, {"*BASS", "EL.BASS   ", true},
        {"*BASS*", "SUBBASS 2 ", true}, {"bass*", "Bass 1    ", true},  {"BASS *", "BASS      ", true},
        {"BASS", "bass      ", true},   {"BASS", "BASS 1    ", false}, {"*", "anything  ", true},
        {"%AS%", "BASS      ", true},   {"B*SS", "BASS      ", false}, {"O'B*", "O'BRIEN   ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NamePattern(c.pattern, true).matches(c.name), c.match) << c.pattern << " / " << c.name;
    EXPECT_FALSE(NamePattern::isValid("B*SS"));
    EXPECT_FALSE(NamePattern::isValid("BAS'*"));
    EXPECT_TRUE(NamePattern::isValid("*AS*"));
    EXPECT_TRUE(NamePattern("B*SS", false).matches("b*ss      ")) << "without pattern matching * is a character";
}

TEST(ProgressThrottle, LetsAReportThroughAtMostOncePerInterval)
{
    platform::testing::ScriptedServices ui;
    ProgressThrottle throttle;
    EXPECT_TRUE(throttle.due());
    EXPECT_FALSE(throttle.due());
    ui.advance(49);
    EXPECT_FALSE(throttle.due());
    ui.advance(1);
    EXPECT_TRUE(throttle.due());
    throttle.reset();
    EXPECT_TRUE(throttle.due());
}

// ---- FindVoice

struct FindFixture : ::testing::Test {
    // List 1: BASS at 5 and 9; list 2: BASS at 2 and 40.
    FindFixture() : c(withNames(test::distinctVoices(12), {{5, "BASS"}, {9, "bass"}}))
    {
        second = std::make_unique<testing::FakeVoiceList>(
            c.folder.path("Two.dat"), FileType::Packed,
            test::listOf(withNames(test::distinctVoices(40, 5000), {{2, "BASS 2"}, {40, "BASS"}})));
        c.app.registry.registerList(*second);
    }

    static std::vector<VoiceSpec> withNames(std::vector<VoiceSpec> voices, std::vector<std::pair<int, std::string>> names)
    {
        for (auto& [at, name] : names)
            voices[static_cast<std::size_t>(at - 1)].name = name;
        return voices;
    }

    std::vector<std::string> findTitles() const { return c.titles(); }

    Catalogue c;
    std::unique_ptr<testing::FakeVoiceList> second;
    clsVoiceNames finder;
};

TEST_F(FindFixture, DownFromAMatchSkipsTheStartVoiceThenReportsTheEnd)
{
    finder.FindVoice("BASS", 1, 1, 5, false, false, 2);
    EXPECT_EQ(c.list->listBoxPage(), 1);
    EXPECT_EQ(c.list->listBoxVoice(), 9);
    EXPECT_TRUE(c.ui.messagesShown().empty());

    finder.FindVoice("BASS", 1, 1, 5, false, false, 2);
    ASSERT_EQ(c.ui.messagesShown().size(), 1u);
    EXPECT_EQ(c.ui.messagesShown()[0].text, "Search complete \r\nBASS not found.");
    EXPECT_EQ(c.ui.messagesShown()[0].title, "Find");
    EXPECT_EQ(c.ui.messagesShown()[0].style, 0);
    EXPECT_EQ(c.list->listBoxPage(), 1) << "the start list shows its starting page again";

    // The search starts anew.
    finder.FindVoice("BASS", 1, 1, 5, false, false, 2);
    EXPECT_EQ(c.list->listBoxVoice(), 9);
}

TEST_F(FindFixture, AllListsInRegistryOrderEachSearchedWhole)
{
    finder.FindVoice("BASS*", 1, 1, 9, true, true, 0);
    EXPECT_EQ(c.list->listBoxVoice(), 5);
    finder.FindVoice("BASS*", 1, 1, 9, true, true, 0);
    EXPECT_EQ(second->listBoxVoice(), 2) << "list 2 from its first record";
    finder.FindVoice("BASS*", 1, 1, 9, true, true, 0);
    EXPECT_EQ(second->listBoxPage(), 2);
    EXPECT_EQ(second->listBoxVoice(), 8) << "voice 40 is voice 8 of bank 2";
    finder.FindVoice("BASS*", 1, 1, 9, true, true, 0);
    ASSERT_EQ(c.ui.messagesShown().size(), 1u);
    EXPECT_EQ(c.ui.messagesShown()[0].title, "Find");
}

TEST_F(FindFixture, DownOverAllListsSearchesLaterListsFromTheirFirstVoice)
{
    finder.FindVoice("BASS 2", 1, 1, 10, true, false, 2);
    EXPECT_EQ(second->listBoxVoice(), 2) << "voice 2 of the next list lies before the start voice number";
    EXPECT_TRUE(c.ui.messagesShown().empty());
}

TEST_F(FindFixture, UpSearchesBackwardsFromTheCurrentVoice)
{
    finder.FindVoice("bass", 2, 2, 40, true, false, 1);
    EXPECT_EQ(c.list->listBoxVoice(), 9) << "voice 40 itself is the start; list 1 is searched from its end";
    finder.FindVoice("bass", 2, 2, 40, true, false, 1);
    EXPECT_EQ(c.list->listBoxVoice(), 5);
    finder.FindVoice("bass", 2, 2, 40, true, false, 1);
    ASSERT_EQ(c.ui.messagesShown().size(), 1u);
    EXPECT_EQ(second->listBoxPage(), 2) << "the start list shows its starting page again";
}

TEST_F(FindFixture, AnEmbeddedWildcardIsRefusedAndEndsTheSearch)
{
    finder.FindVoice("B*SS", 1, 1, 1, false, true, 0);
    ASSERT_EQ(c.ui.messagesShown().size(), 1u);
    EXPECT_EQ(c.ui.messagesShown()[0].title, "Invalid Search String");
    EXPECT_EQ(c.ui.messagesShown()[0].style, 48);
    EXPECT_EQ(c.ui.messagesShown()[0].text,
              "The search string B*SS contains invalid pattern search characters.\r\n\r\n The wildcard * character "
              "can only be used at the end of a search string or \r\ntogether both at the beginning or end of a "
              "string (eg BAS* or *AS*).\r\n\r\nEmbedded wildcards (eg B*SS) are not allowed.");
    finder.FindVoice("BASS", 1, 1, 1, false, true, 0);
    EXPECT_EQ(c.list->listBoxVoice(), 5) << "a new search begins";
}

TEST_F(FindFixture, AClosedListDoesNotStopTheSearch)
{
    finder.FindVoice("BASS*", 1, 1, 1, true, true, 2);
    EXPECT_EQ(c.list->listBoxVoice(), 5);
    c.app.registry.Delete(second->ListID());
    finder.FindVoice("BASS*", 1, 1, 1, true, true, 2);
    finder.FindVoice("BASS*", 1, 1, 1, true, true, 2);
    EXPECT_EQ(c.titles(), (std::vector<std::string>{"Find"}));
}

}  // namespace
}  // namespace banklib
