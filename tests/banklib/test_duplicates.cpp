// Brevane - the duplicate voice search: marking, asking, removing and restoring.
#include "CatalogueTestSupport.h"

#include "banklib/clsVoiceLists.h"
#include "platform/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace banklib {
namespace {

using platform::Bookmark;
using platform::MsgAnswer;
using test::Catalogue;
using test::VoiceSpec;

struct Event {
    std::int32_t voice, atStart, now, found, deleted;
};

DuplicateOptions options(std::int32_t match, std::int32_t scope, bool automatic, bool sortFirst)
{
    return {match, scope, automatic ? 1 : 0, sortFirst ? 1 : 0};
}

// Names of the voices a list's bookmarks stand for.
std::vector<std::string> namesAt(platform::Recordset& rs, const std::vector<Bookmark>& marks)
{
    std::vector<std::string> out;
    for (Bookmark b : marks)
        out.push_back(platform::RTrim(std::get<std::string>(rs.valueAt(b, VoiceListField::Names))));
    return out;
}

// File numbers (the ID field) of the voices the bookmarks stand for.
std::vector<std::string> idsOf(platform::Recordset& rs, const std::vector<Bookmark>& marks)
{
    std::vector<std::string> out;
    for (Bookmark b : marks)
        out.push_back(std::get<std::string>(rs.valueAt(b, VoiceListField::ID)));
    return out;
}

// Copies of the voice at 4 stand at 9 and 20.
std::vector<VoiceSpec> copiesAt4920()
{
    auto voices = test::distinctVoices(24);
    voices[8] = voices[3];
    voices[19] = voices[3];
    return voices;
}

TEST(SearchDuplicates, TheFirstOfEqualVoicesStaysAndLaterCopiesAreNotSources)
{
    for (std::int32_t mode : {0, 1, 2, 3}) {
        Catalogue c(copiesAt4920());
        const std::vector<Bookmark> marks = c.rs().bookmarks();
        c.app.dialogs.duplicates = options(mode, 0, true, false);
        c.ui.answer(MsgAnswer::No);  // keep the list as it was
        clsVoiceNames names;
        names.SearchDuplicates(*c.list);
        EXPECT_EQ(names.MarkedBookmarks(), (std::vector<Bookmark>{marks[8], marks[19]})) << "mode " << mode;
        // Small searches report in the status bar, one line per source voice: 22 sources.
        int lines = 0;
        for (const auto& s : c.ui.statusHistory())
            lines += s.text.rfind("Please Wait - voice ", 0) == 0;
        EXPECT_EQ(lines, 22) << "mode " << mode;
        EXPECT_EQ(c.rs().bookmarks(), marks) << "No brings every voice back in its place";
    }
}

TEST(SearchDuplicates, StatusLineOfTheSmallSearch)
{
    auto voices = test::distinctVoices(32);
    voices[1] = voices[0];
    Catalogue c(voices);
    c.app.dialogs.duplicates = options(2, 0, true, false);
    c.ui.answer(MsgAnswer::No);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    bool seen = false;
    for (const auto& s : c.ui.statusHistory())
        seen = seen || s.text == "Please Wait - voice  5 (of 32 total) 1 dup.found. 0 dup.deleted.";
    EXPECT_TRUE(seen);
}

TEST(SearchDuplicates, ChecksumIsNotProofButDataWithoutNamesIs)
{
    // Two voices named alike whose bytes differ but sum alike.
    auto a = test::voiceOf({"TWIN", 1});
    a[0] = 10;
    a[1] = 20;
    auto b = a;
    b[0] = 11;
    b[1] = 19;
    ASSERT_EQ(DX7Checksum(a), DX7Checksum(b));
    ASSERT_NE(a, b);
    auto renamed = a;
    test::setName(renamed, "OTHER");
    std::vector<std::uint8_t> bytes(a.begin(), a.end());
    bytes.insert(bytes.end(), b.begin(), b.end());
    bytes.insert(bytes.end(), renamed.begin(), renamed.end());

    for (std::int32_t mode : {1, 3}) {
        platform::testing::ScriptedServices ui;
        testing::FakeAppState app;
        clsVoiceNames reader;
        platform::Recordset rs;
        bool repaired = false;
        ASSERT_FALSE(reader.BuildRecordsetFromBytes(FileType::Unpacked, "t", rs, bytes, repaired));
        testing::FakeVoiceList list("/tmp/t.dat", FileType::Unpacked, std::move(rs));
        app.registry.registerList(list);
        app.dialogs.duplicates = options(mode, 0, true, false);
        ui.answer(MsgAnswer::No);
        clsVoiceNames names;
        names.SearchDuplicates(list);
        const std::vector<Bookmark> marks = list.rsmfimage().bookmarks();
        if (mode == 1)
            EXPECT_TRUE(names.MarkedBookmarks().empty()) << "equal checksum, different voices";
        else
            EXPECT_EQ(names.MarkedBookmarks(), (std::vector<Bookmark>{marks[2]})) << "same data, another name";
    }
}

TEST(SearchDuplicates, SortedFastPathAndGeneralPathMarkTheSameVoices)
{
    // Runs of equal names with a few exact copies, names differing only in case, and
    // copies under another name.
    std::mt19937 rng(3);
    std::vector<VoiceSpec> voices;
    const std::string base[] = {"Brass 1", "BRASS 1", "brass 1 ", "E.PIANO", "INIT VOICE", "Strings"};
    for (int i = 0; i < 400; ++i) {
        const std::string name = base[rng() % 6];
        const unsigned body = rng() % 25;
        voices.push_back({name, body});
    }
    for (std::int32_t mode : {0, 1, 2}) {
        Catalogue fast(voices);
        fast.app.dialogs.duplicates = options(mode, 0, true, true);
        fast.ui.answer(MsgAnswer::No);
        clsVoiceNames a;
        a.SearchDuplicates(*fast.list);

        // The same sorted list searched by the general path (no sort asked for).
        Catalogue general(voices);
        clsVoiceNames sorter;
        sorter.SortVoiceList(*general.list);
        general.app.dialogs.duplicates = options(mode, 0, true, false);
        general.ui.answer(MsgAnswer::No);
        clsVoiceNames b;
        b.SearchDuplicates(*general.list);

        // The two lists hold the same voices under other bookmarks: compare file numbers.
        ASSERT_FALSE(a.MarkedBookmarks().empty());
        EXPECT_EQ(idsOf(fast.rs(), a.MarkedBookmarks()), idsOf(general.rs(), b.MarkedBookmarks()))
            << "mode " << mode;
    }
}

TEST(SearchDuplicates, NamesDifferingOnlyInCaseFormOneRun)
{
    Catalogue c({{"Brass 1", 1}, {"BRASS 1", 2}, {"Zither", 3}, {"Brass 1", 1}});
    c.app.dialogs.duplicates = options(0, 0, true, true);
    c.ui.answer(MsgAnswer::No);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    EXPECT_EQ(namesAt(c.rs(), names.MarkedBookmarks()), (std::vector<std::string>{"BRASS 1", "Brass 1"}));

    Catalogue d({{"Brass 1", 1}, {"BRASS 1", 1}, {"Brass 1", 1}});
    d.app.dialogs.duplicates = options(1, 0, true, true);
    d.ui.answer(MsgAnswer::No);
    clsVoiceNames bytes;
    bytes.SearchDuplicates(*d.list);
    ASSERT_EQ(bytes.MarkedBookmarks().size(), 1u) << "a name in other letters is other bytes";
    EXPECT_EQ(namesAt(d.rs(), bytes.MarkedBookmarks()), (std::vector<std::string>{"Brass 1"}));
}

TEST(SearchDuplicates, ProgressWindowFromTheThousandAndTwentyFifthVoice)
{
    for (int count : {1024, 1025}) {
        auto voices = test::distinctVoices(count);
        voices[9] = voices[2];
        Catalogue c(voices);
        c.app.dialogs.duplicates = options(2, 0, true, false);
        c.ui.answer(MsgAnswer::No);  // "Sort File" (1025 only)
        c.ui.answer(MsgAnswer::No);  // keep the list
        std::vector<Event> events;
        clsVoiceNames names;
        names.SearchStatus = [&](std::int32_t v, std::int32_t s, std::int32_t n, std::int32_t f, std::int32_t d, bool&) {
            events.push_back({v, s, n, f, d});
        };
        names.SearchDuplicates(*c.list);
        if (count == 1024) {
            EXPECT_EQ(c.app.dialogs.progressWindowShown, 0);
            ASSERT_EQ(events.size(), 1u) << "only the final report";
            EXPECT_EQ(c.titles().front(), "Duplicates Found/Deleted") << "no sort question";
        } else {
            EXPECT_EQ(c.app.dialogs.progressWindowShown, 1);
            EXPECT_EQ(c.titles().front(), "Sort File");
            ASSERT_EQ(events.size(), 1025u) << "every source voice (1024) and the final report";
            EXPECT_EQ(events[0].voice, 1);
            EXPECT_EQ(events[9].voice, 11) << "voice 10 is a copy and no source";
            EXPECT_EQ(events[9].found, 1);
        }
        const Event last = events.back();
        EXPECT_EQ(last.voice, count);
        EXPECT_EQ(last.atStart, count);
        EXPECT_EQ(last.now, count);
        EXPECT_EQ(last.found, 1);
        EXPECT_EQ(last.deleted, 1);
    }
}

TEST(SearchDuplicates, WithoutAHandlerTheProgressWindowRepaintsAtMostTwentyTimesASecond)
{
    auto voices = test::distinctVoices(1100);
    voices[5] = voices[0];
    Catalogue c(voices);
    c.app.dialogs.duplicates = options(2, 0, true, false);
    c.ui.answer(MsgAnswer::No);
    c.ui.answer(MsgAnswer::No);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    // The clock stands still during the search: the first report, and those whose voice
    // number reaches the total (the last voice and the final report) go through.
    ASSERT_EQ(c.app.dialogs.progressShown.size(), 3u);
    EXPECT_EQ(c.app.dialogs.progressShown[0].SearchedVoice, 1);
    EXPECT_EQ(c.app.dialogs.progressShown[1].SearchedVoice, 1100);
    EXPECT_EQ(c.app.dialogs.progressShown[1].DupDeleted, 0);
    EXPECT_EQ(c.app.dialogs.progressShown[2].DupDeleted, 1);
    EXPECT_FALSE(c.app.dialogs.progressVisible);
}

TEST(SearchDuplicates, CancelDuringTheSearchStillRemovesWhatWasFound)
{
    auto voices = test::distinctVoices(1100);
    voices[5] = voices[0];
    voices[900] = voices[800];
    Catalogue c(voices);
    c.app.dialogs.duplicates = options(2, 0, true, false);
    c.ui.answer(MsgAnswer::No);   // Sort File
    c.ui.answer(MsgAnswer::Yes);  // make the changes
    clsVoiceNames names;
    std::vector<Event> events;
    names.SearchStatus = [&](std::int32_t v, std::int32_t s, std::int32_t n, std::int32_t f, std::int32_t d,
                             bool& cancel) {
        events.push_back({v, s, n, f, d});
        cancel = v == 10;
    };
    names.SearchDuplicates(*c.list);
    ASSERT_EQ(events.size(), 10u) << "9 sources and the final report";
    EXPECT_EQ(events.back().voice, 10);
    EXPECT_EQ(events.back().found, 1);
    EXPECT_EQ(c.rs().recordCount(), 1099) << "the copy of voice 1 went, the copy of voice 801 was not reached";
    ASSERT_EQ(c.opened.size(), 1u);
}

TEST(SearchDuplicates, KeepingTheChangesWritesTheRemovedVoicesToANewTemporaryFile)
{
    Catalogue c(copiesAt4920());
    c.app.dialogs.duplicates = options(2, 0, true, true);
    // "Del 2 from Strings.dat" is taken already and is never overwritten.
    const std::string taken = c.folder.path("Del 2 from Strings.dat");
    test::writeBytes(taken, {1, 2, 3});
    (void)c.app.registry.NextFileNo();  // the list took 1; the search takes 3 and names the file from 2
    c.ui.answer(MsgAnswer::Yes);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);

    EXPECT_EQ(c.rs().recordCount(), 22);
    ASSERT_EQ(c.ui.messagesShown().size(), 1u);
    EXPECT_EQ(c.ui.messagesShown()[0].text,
              "Search complete -  2 duplicates  found.\r\n\r\n2 patches were removed from Strings.dat\r\n\r\n"
              "These patches will be saved in a new file \r\n\r\nOK to make these changes ? ");
    EXPECT_EQ(c.ui.messagesShown()[0].style, 36);
    EXPECT_EQ(test::readBytes(taken), (std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_EQ(c.opened.size(), 1u);
    EXPECT_EQ(c.opened[0], c.folder.path("Del 3 from Strings.dat"));
    EXPECT_TRUE(c.openedTemporary[0]);
    VoiceListView* removed = c.app.registry.Item(2);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(test::namesOf(removed->rsmfimage()), (std::vector<std::string>{"V0004", "V0004"}));
}

TEST(SearchDuplicates, TheRemovedVoicesOpenAsATemporaryListThatIsNotARecentFile)
{
    Catalogue c(copiesAt4920());
    setVoiceListOpener({});  // the program's own way of opening a file
    c.app.dialogs.duplicates = options(2, 0, true, true);
    c.ui.answer(MsgAnswer::Yes);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    ASSERT_EQ(c.app.registry.count(), 2);
    VoiceListView* removed = c.app.registry.Item(2);
    EXPECT_EQ(removed->FileTitle(), "Del 1 from Strings.dat");
    EXPECT_EQ(removed->SavedCRC(), kSavedCrcTemporary);
    EXPECT_EQ(removed->VoiceCount(), 2);
    EXPECT_TRUE(c.app.recentFiles.empty());
}

TEST(SearchDuplicates, FileNumberOneGivesDelWithoutANumber)
{
    Catalogue c(copiesAt4920(), FileType::Unpacked, "Keys.dat");
    c.app.dialogs.duplicates = options(3, 0, true, false);
    c.ui.answer(MsgAnswer::Yes);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    ASSERT_EQ(c.opened.size(), 1u);
    EXPECT_EQ(c.opened[0], c.folder.path("Del 1 from Keys.dat"));
    EXPECT_EQ(std::filesystem::file_size(c.opened[0]), 2 * kUnpackedVoiceSize) << "no wrappers";

    Catalogue d(copiesAt4920(), FileType::Packed, "Pads.dat");
    d.app.registry = testing::FakeRegistry();
    d.app.dialogs.duplicates = options(2, 0, true, true);
    d.ui.answer(MsgAnswer::Yes);
    clsVoiceNames first;
    first.SearchDuplicates(*d.list);
    ASSERT_EQ(d.opened.size(), 1u);
    EXPECT_EQ(d.opened[0], d.folder.path("Del  from Pads.dat"));
}

TEST(SearchDuplicates, DecliningTheChangesRestoresTheExactOrderBeforeTheSort)
{
    auto voices = copiesAt4920();
    std::reverse(voices.begin(), voices.end());
    Catalogue c(voices);
    const std::vector<Bookmark> before = c.rs().bookmarks();
    const std::vector<std::string> names0 = c.names();
    c.list->setCurrentVoice(7);
    c.app.dialogs.duplicates = options(1, 0, true, true);
    c.ui.answer(MsgAnswer::No);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    EXPECT_EQ(c.rs().bookmarks(), before);
    EXPECT_EQ(c.names(), names0);
    EXPECT_EQ(c.list->VoiceCount(), 24);
    EXPECT_TRUE(c.opened.empty());
    EXPECT_EQ(c.list->listBoxPage(), 1);
    EXPECT_EQ(c.list->listBoxVoice(), 7) << "the voice current at the start is shown";
}

TEST(SearchDuplicates, NothingFoundWritesNoFile)
{
    Catalogue c(test::distinctVoices(40));
    c.app.dialogs.duplicates = options(2, 0, true, true);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    ASSERT_EQ(c.ui.messagesShown().size(), 1u);
    EXPECT_EQ(c.ui.messagesShown()[0].text, "Search complete - no duplicates found ");
    EXPECT_EQ(c.ui.messagesShown()[0].title, "No Duplicates Found");
    EXPECT_TRUE(c.opened.empty());
    EXPECT_EQ(c.app.dialogs.runsBegun, 1);
    EXPECT_EQ(c.app.dialogs.runsEnded, 1);
    EXPECT_EQ(catalogueRunList(), nullptr);
}

TEST(SearchDuplicates, BankScopeOnTheLastPartialBankStopsAtTheLastVoice)
{
    auto voices = test::distinctVoices(70);
    voices[67] = voices[65];  // 66 and 68 are equal
    voices[10] = voices[68];  // 11 (outside the bank) equals 69
    Catalogue c(voices);
    c.list->setBankPage(3);
    c.app.dialogs.duplicates = options(2, 2, true, false);
    c.ui.answer(MsgAnswer::No);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    std::vector<std::string> searched;
    for (const auto& s : c.ui.statusHistory())
        if (s.text.rfind("Please Wait - voice ", 0) == 0)
            searched.push_back(s.text.substr(20, 3));
    EXPECT_EQ(searched, (std::vector<std::string>{" 65", " 66", " 67", " 69", " 70"}));
    EXPECT_EQ(namesAt(c.rs(), names.MarkedBookmarks()), (std::vector<std::string>{"V0066", "V0069"}))
        << "copies anywhere in the list are marked";
}

TEST(SearchDuplicates, AskingModeFollowsTheVoicesOfTheBankAcrossDeletions)
{
    // Bank 2 is voices 33..64; 35 has a copy at 40, which is deleted, so 65 moves into 64.
    auto voices = test::distinctVoices(80);
    voices[39] = voices[34];
    Catalogue c(voices);
    c.list->setBankPage(2);
    c.app.dialogs.duplicates = options(2, 2, false, false);
    c.app.dialogs.continueAnswers = {{true, false}};  // go on, and do not ask again
    for (int v = 33; v <= 64; ++v)
        c.ui.answer(v == 35 ? MsgAnswer::Yes : MsgAnswer::Ok);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);

    std::vector<std::string> asked;
    for (const auto& m : c.ui.messagesShown())
        asked.push_back(m.title == "Search Result" ? m.text.substr(17, 5) : m.title);
    std::vector<std::string> expected;
    for (int v = 33; v <= 64; ++v)
        if (v != 40)
            expected.push_back(v == 35 ? "Matching patch found" : "V00" + std::to_string(v));
    EXPECT_EQ(asked, expected) << "every voice of the bank once, and none from the next bank";
    EXPECT_EQ(c.ui.messagesShown()[2].text,
              " 1 match for V0035 was found with  an identical CRC value. \r\n\r\nOK to delete the matching patch ?");
    EXPECT_EQ(c.rs().recordCount(), 79);
    EXPECT_EQ(c.app.dialogs.continueAsked, 1);
}

TEST(SearchDuplicates, AskingModeWithScriptedAnswers)
{
    // 1 has copies at 2 and 3 (plural question); 4 has none; 5 has a copy at 6.
    std::vector<VoiceSpec> voices = {{"A", 1}, {"A", 1}, {"A", 1}, {"B", 2}, {"C", 3}, {"C", 3}, {"D", 4}};
    Catalogue c(voices);
    c.app.dialogs.duplicates = options(1, 0, false, false);
    c.app.dialogs.continueAnswers = {{false, false}, {false, true}};
    c.ui.answer(MsgAnswer::Yes);  // delete the copies of A
    c.ui.answer(MsgAnswer::Ok);   // no copies of B: go on
    c.ui.answer(MsgAnswer::No);   // keep the copy of C, then the dialog stops the search
    c.ui.answer(MsgAnswer::Yes);  // restore the deletions
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);

    const auto& shown = c.ui.messagesShown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, " 2 matches for A were found with identical checksums. \r\n\r\nOK to delete the matching "
                             "patches ?");
    EXPECT_EQ(shown[0].title, "Matching patches found");
    EXPECT_EQ(shown[0].style, 35);
    EXPECT_EQ(shown[1].text, "No duplicates of B were found.");
    EXPECT_EQ(shown[1].style, 1);
    EXPECT_EQ(shown[2].title, "Matching patch found");
    EXPECT_EQ(shown[3].text, "Would you like to restore the deletions from Strings.dat?");
    EXPECT_EQ(shown[3].title, "Restore deletions");
    EXPECT_EQ(c.app.dialogs.continueAsked, 2) << "after Yes and No, not after the no-copies notice";
    EXPECT_EQ(c.names(), (std::vector<std::string>{"A", "A", "A", "B", "C", "C", "D"}));
}

TEST(SearchDuplicates, AskingModeCancelAfterNoCopiesOffersRestoreOnlyAfterDeletions)
{
    Catalogue c({{"A", 1}, {"B", 2}, {"B", 2}});
    c.app.dialogs.duplicates = options(0, 0, false, false);
    c.ui.answer(MsgAnswer::Cancel);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    EXPECT_EQ(c.titles(), (std::vector<std::string>{"Search Result"}));
    EXPECT_EQ(c.rs().recordCount(), 3);
}

TEST(SearchDuplicates, CurrentVoiceScopeNeverShowsTheContinueDialog)
{
    Catalogue c({{"A", 1}, {"B", 2}, {"A", 1}, {"A", 1}});
    c.list->setCurrentVoice(3);
    c.app.dialogs.duplicates = options(2, 1, false, false);
    c.ui.answer(MsgAnswer::Yes);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    EXPECT_EQ(c.app.dialogs.continueAsked, 0);
    EXPECT_EQ(c.names(), (std::vector<std::string>{"B", "A"})) << "the copies before and after voice 3 went";
    EXPECT_EQ(c.list->CurrentVoice(), 2) << "the current voice stays within the list";

    Catalogue none({{"A", 1}});
    none.app.dialogs.duplicates = options(2, 1, true, false);
    clsVoiceNames again;
    again.SearchDuplicates(*none.list);
    ASSERT_EQ(none.ui.messagesShown().size(), 1u);
    EXPECT_EQ(none.ui.messagesShown()[0].text, "Please select a voice in Strings.dat to use in this search");
    EXPECT_EQ(none.ui.messagesShown()[0].title, "No Selection");
}

TEST(SearchDuplicates, ASecondSearchStartsWithEveryMarkCleared)
{
    Catalogue c({{"A", 1}, {"B", 2}, {"A", 1}});
    c.app.dialogs.duplicates = options(0, 0, false, false);
    c.app.dialogs.continueAnswers = {{false, true}};
    c.ui.answer(MsgAnswer::No);  // keep the copy, then stop
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    EXPECT_EQ(c.markedNames(), (std::vector<std::string>{"A"})) << "the mark stays after the search";

    c.app.dialogs.duplicates = options(0, 0, true, false);
    c.ui.answer(MsgAnswer::No);
    names.SearchDuplicates(*c.list);
    EXPECT_EQ(names.MarkedBookmarks().size(), 1u) << "the copy is found again";
    EXPECT_EQ(c.ui.messagesShown().back().title, "Duplicates Found/Deleted");
}

TEST(SearchDuplicates, CancellingTheSortQuestionChangesNothing)
{
    auto voices = test::distinctVoices(1025);
    std::reverse(voices.begin(), voices.end());
    Catalogue c(voices);
    const auto before = c.rs().bookmarks();
    c.app.dialogs.duplicates = options(1, 0, true, false);
    c.ui.answer(MsgAnswer::Cancel);
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    EXPECT_EQ(c.titles(), (std::vector<std::string>{"Sort File"}));
    EXPECT_EQ(c.ui.messagesShown()[0].text,
              "Searches are quicker on sorted files.\r\n\r\nWould you like to sort Strings.dat now ?");
    EXPECT_EQ(c.rs().bookmarks(), before);
    EXPECT_FALSE(c.ui.busy());
}

TEST(SearchDuplicates, AFailedWriteOfTheRemovedVoicesPutsThemBack)
{
    Catalogue c(copiesAt4920());
    const auto before = c.rs().bookmarks();
    c.app.dialogs.duplicates = options(2, 0, true, true);
    c.ui.answer(MsgAnswer::Yes);
    platform::setWriteFaultInjector([](const std::string&) { return platform::FileError::NoSpace; });
    clsVoiceNames names;
    names.SearchDuplicates(*c.list);
    platform::setWriteFaultInjector(nullptr);
    EXPECT_EQ(c.rs().bookmarks(), before);
    EXPECT_TRUE(c.opened.empty());
}

TEST(SearchDuplicates, RealBanksShareVoices)
{
#ifdef BREVANE_REAL_BANKS
    const std::filesystem::path folder(BREVANE_REAL_BANKS);
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no real banks at " << folder;
    std::vector<std::uint8_t> all;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        clsVoiceNames reader;
        platform::Recordset rs;
        std::string path = entry.path().string();
        FileType type = FileType::NotFound;
        clsVoiceLists check;
        if (check.CheckFileIntegrity(path, type, true) != FileCheck::Ok)
            continue;
        std::vector<std::uint8_t> bytes;
        std::int32_t crc = 0;
        if (reader.GetFileByt(path, entry.path().filename().string(), type, bytes, crc, true))
            continue;
        if (isPackedLayout(type))
            all.insert(all.end(), bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(bytes.size() % kPackedVoiceSize));
    }
    if (all.empty())
        GTEST_SKIP() << "no packed banks";
    std::vector<std::string> fast;
    std::vector<std::string> general;
    for (bool sortFirst : {true, false}) {
        platform::testing::ScriptedServices ui;
        testing::FakeAppState app;
        clsVoiceNames reader;
        platform::Recordset rs;
        bool repaired = false;
        ASSERT_FALSE(reader.BuildRecordsetFromBytes(FileType::Packed, "all", rs, all, repaired));
        testing::FakeVoiceList list("/tmp/all.dat", FileType::Packed, std::move(rs));
        app.registry.registerList(list);
        if (!sortFirst)
            reader.SortVoiceList(list);
        app.dialogs.duplicates = options(2, 0, true, sortFirst);
        ui.answer(MsgAnswer::No);
        ui.answer(MsgAnswer::No);
        ui.answer(MsgAnswer::No);
        clsVoiceNames names;
        names.SearchDuplicates(list);
        (sortFirst ? fast : general) = namesAt(list.rsmfimage(), names.MarkedBookmarks());
    }
    EXPECT_EQ(fast, general);
#else
    GTEST_SKIP() << "no real banks configured";
#endif
}

}  // namespace
}  // namespace banklib
