// Brevane - grouping voices by name patterns into new bank files.
#include "CatalogueTestSupport.h"

#include "platform/FileIO.h"

#include <gtest/gtest.h>

namespace banklib {
namespace {

using platform::MsgAnswer;
using test::Catalogue;
using test::VoiceSpec;

std::vector<VoiceSpec> orchestra()
{
    return {{"BASS 1", 1},  {"Strings", 2}, {"EL.BASS", 3}, {"bassoon", 4}, {"STRING 2", 5},
            {"Brass", 6},   {"BASS 2", 7},  {"Piano", 8},   {"STRINGS 3", 9}, {"Organ", 10}};
}

TEST(GroupPatches, OneGroupCopiesTheMatchingVoicesIntoANewFile)
{
    Catalogue c(orchestra());
    const auto before = c.names();
    clsVoiceNames names;
    EXPECT_EQ(names.GroupPatches(*c.list, {"BASS*", ""}), 1);
    ASSERT_EQ(c.opened.size(), 1u);
    EXPECT_EQ(c.opened[0], c.folder.path("BASS 2.dat")) << "the list took file number 1";
    EXPECT_FALSE(c.openedTemporary[0]);
    VoiceListView* group = c.app.registry.Item(2);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(test::namesOf(group->rsmfimage()), (std::vector<std::string>{"BASS 1", "bassoon", "BASS 2"}));
    EXPECT_EQ(platform::fileSize(c.opened[0]), static_cast<std::int64_t>(3 * kPackedVoiceSize));
    EXPECT_EQ(c.names(), before) << "copying leaves the list";
    EXPECT_TRUE(c.ui.messagesShown().empty());
    EXPECT_EQ(c.ui.statusText(), "");
    EXPECT_FALSE(c.ui.busy());
}

TEST(GroupPatches, TwoPatternsPerGroupAndAFileForEveryGroupWithMatches)
{
    Catalogue c(orchestra());
    clsVoiceNames names;
    EXPECT_EQ(names.GroupPatches(*c.list, {"*BASS*", "STRING*", "ZZZ*", "", "Pi*", "*gan"}), 2);
    ASSERT_EQ(c.opened.size(), 2u);
    EXPECT_EQ(c.opened[0], c.folder.path("BASSandSTRING 2.dat"));
    EXPECT_EQ(test::namesOf(c.app.registry.Item(2)->rsmfimage()),
              (std::vector<std::string>{"BASS 1", "Strings", "EL.BASS", "bassoon", "STRING 2", "BASS 2", "STRINGS 3"}));
    EXPECT_EQ(c.opened[1], c.folder.path("Piandgan 4.dat")) << "the empty group took no number";
    bool announced = false;
    for (const auto& s : c.ui.statusHistory())
        announced = announced || s.text == "Please wait - processing search 2 of 3";
    EXPECT_TRUE(announced);
}

TEST(GroupPatches, MoveDeletesExactlyTheGroupedVoicesAndRestoreBringsThemBack)
{
    for (MsgAnswer restore : {MsgAnswer::No, MsgAnswer::Yes}) {
        Catalogue c(orchestra());
        const auto marks = c.rs().bookmarks();
        c.app.dialogs.groupMove = true;
        c.list->setCurrentVoice(10);
        c.ui.answer(restore);
        clsVoiceNames names;
        EXPECT_EQ(names.GroupPatches(*c.list, {"*BASS", "", "STRING*", ""}), 2);
        ASSERT_EQ(c.ui.messagesShown().size(), 1u);
        EXPECT_EQ(c.ui.messagesShown()[0].text,
                  " Search Complete - would you like to restore the deletions you have made from Strings.dat?");
        EXPECT_EQ(c.ui.messagesShown()[0].title, "Restore Deletions");
        if (restore == MsgAnswer::No) {
            EXPECT_EQ(c.names(), (std::vector<std::string>{"BASS 1", "bassoon", "Brass", "BASS 2", "Piano", "Organ"}));
            EXPECT_LE(c.list->CurrentVoice(), c.list->VoiceCount());
        } else {
            EXPECT_EQ(c.rs().bookmarks(), marks);
        }
    }
}

TEST(GroupPatches, MovedVoicesAreOfferedBackAlsoWhenTheLastGroupFindsNothing)
{
    Catalogue c(orchestra());
    const auto marks = c.rs().bookmarks();
    c.app.dialogs.groupMove = true;
    c.ui.answer(MsgAnswer::Yes);
    clsVoiceNames names;
    EXPECT_EQ(names.GroupPatches(*c.list, {"BASS*", "", "Nothing*", ""}), 1);
    EXPECT_EQ(c.titles(), (std::vector<std::string>{"Restore Deletions"}));
    EXPECT_EQ(c.rs().bookmarks(), marks);

    Catalogue copy(orchestra());
    clsVoiceNames copier;
    EXPECT_EQ(copier.GroupPatches(*copy.list, {"BASS*", ""}), 1);
    EXPECT_TRUE(copy.ui.messagesShown().empty()) << "nothing to restore after a copy";
}

TEST(GroupPatches, TheSelectionHoldsForEveryGroupOfTheRun)
{
    Catalogue c(orchestra());
    c.app.dialogs.groupMove = true;
    c.app.dialogs.groupSelection = true;
    c.list->ResetTracker();
    // Voices 1 (BASS 1), 2 (Strings) and 9 (STRINGS 3) are selected.
    for (int v : {1, 2, 9}) {
        c.list->selectionTracker().tr[static_cast<std::size_t>(v)] = true;
        ++c.list->selectionTracker().TotalSelections;
    }
    c.ui.answer(MsgAnswer::No);
    clsVoiceNames names;
    EXPECT_EQ(names.GroupPatches(*c.list, {"BASS*", "", "STRING*", "", "Organ", ""}), 2);
    EXPECT_EQ(test::namesOf(c.app.registry.Item(2)->rsmfimage()), (std::vector<std::string>{"BASS 1"}));
    EXPECT_EQ(test::namesOf(c.app.registry.Item(3)->rsmfimage()), (std::vector<std::string>{"Strings", "STRINGS 3"}))
        << "the second group still searches the selection, not the whole list";
    EXPECT_EQ(c.names(), (std::vector<std::string>{"EL.BASS", "bassoon", "STRING 2", "Brass", "BASS 2", "Piano", "Organ"}));
}

TEST(GroupPatches, AnUnusablePatternChangesNothing)
{
    struct Case {
        std::vector<std::string> patterns;
        std::int32_t result;
    };
    const Case cases[] = {
        {{"BASS*", "", "*STR*", "", "B*SS", ""}, -3},
        {{"BASS*", "O'BR*"}, -1},
        {{"Pi*", "", "", "**X"}, -2},
    };
    for (const auto& k : cases) {
        Catalogue c(orchestra());
        const auto marks = c.rs().bookmarks();
        c.app.dialogs.groupMove = true;
        clsVoiceNames names;
        EXPECT_EQ(names.GroupPatches(*c.list, k.patterns), k.result);
        EXPECT_EQ(c.rs().bookmarks(), marks);
        EXPECT_TRUE(c.opened.empty());
        EXPECT_TRUE(c.ui.messagesShown().empty());
        EXPECT_EQ(c.app.dialogs.runsBegun, 0);
    }
}

TEST(GroupPatches, ProgressWindowFromTheThousandAndTwentyFifthVoiceWithThreeGroups)
{
    for (int count : {1024, 1025}) {
        Catalogue c(test::distinctVoices(count));
        clsVoiceNames names;
        std::vector<std::pair<int, int>> events;
        names.GroupStatus = [&](std::int32_t g, std::int32_t last, bool&) { events.emplace_back(g, last); };
        EXPECT_EQ(names.GroupPatches(*c.list, {"V00*", "", "V01*", "", "V1*", ""}), 3);
        EXPECT_EQ(c.app.dialogs.groupProgressShown, count == 1025 ? 3 : 0);
        EXPECT_FALSE(c.app.dialogs.groupProgressVisible);
        EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{0, 2}, {0, 2}, {1, 2}, {1, 2}, {2, 2}, {2, 2}}));
    }
}

TEST(GroupPatches, StoppingInTheProgressWindowOffersTheRestoreOfMovedVoices)
{
    Catalogue c(test::distinctVoices(1100));
    const auto marks = c.rs().bookmarks();
    c.app.dialogs.groupMove = true;
    c.app.dialogs.cancelGroupAt = 1;
    c.ui.answer(MsgAnswer::Yes);
    clsVoiceNames names;
    EXPECT_EQ(names.GroupPatches(*c.list, {"V00*", "", "V01*", "", "V1*", ""}), 0);
    ASSERT_EQ(c.ui.messagesShown().size(), 1u);
    EXPECT_EQ(c.ui.messagesShown()[0].text, "Restore deletions fromStrings.dat ?");
    EXPECT_EQ(c.ui.messagesShown()[0].title, "Search Terminated");
    EXPECT_EQ(c.rs().bookmarks(), marks);
    EXPECT_EQ(c.opened.size(), 1u) << "the first group's file stays written";
    EXPECT_FALSE(c.app.dialogs.groupProgressVisible);
    EXPECT_FALSE(c.ui.busy());
}

TEST(GroupPatches, GroupFilesNeverReplaceExistingFilesNorLeaveTheDataFolder)
{
    Catalogue c(orchestra());
    test::writeBytes(c.folder.path("BASS 2.dat"), {9});
    clsVoiceNames names;
    EXPECT_EQ(names.GroupPatches(*c.list, {"BASS*", "", "../*", ""}), 1);
    EXPECT_EQ(test::readBytes(c.folder.path("BASS 2.dat")), (std::vector<std::uint8_t>{9}));
    ASSERT_EQ(c.opened.size(), 1u);
    EXPECT_EQ(c.opened[0], c.folder.path("BASS 3.dat"));

    Catalogue d({{"a/b", 1}, {"a/c", 2}});
    clsVoiceNames slash;
    EXPECT_EQ(slash.GroupPatches(*d.list, {"a/*", ""}), 1);
    ASSERT_EQ(d.opened.size(), 1u);
    EXPECT_EQ(d.opened[0], d.folder.path("a 2.dat"));
}

TEST(GroupPatches, AGroupWhoseFileCannotBeWrittenIsNotMoved)
{
    Catalogue c(orchestra());
    const auto marks = c.rs().bookmarks();
    c.app.dialogs.groupMove = true;
    platform::setWriteFaultInjector([](const std::string&) { return platform::FileError::NoSpace; });
    clsVoiceNames names;
    const std::int32_t written = names.GroupPatches(*c.list, {"BASS*", ""});
    platform::setWriteFaultInjector(nullptr);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(c.rs().bookmarks(), marks);
    EXPECT_TRUE(c.opened.empty());
}

TEST(GroupPatches, AnUnpackedSysexListGivesAnUnpackedFileWithoutWrappers)
{
    Catalogue c(orchestra(), FileType::UnpackedSysex);
    clsVoiceNames names;
    EXPECT_EQ(names.GroupPatches(*c.list, {"*ing*", ""}), 1);
    ASSERT_EQ(c.opened.size(), 1u);
    EXPECT_EQ(platform::fileSize(c.opened[0]), static_cast<std::int64_t>(3 * kUnpackedVoiceSize));
}

}  // namespace
}  // namespace banklib
