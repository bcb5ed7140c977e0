// Opening bank files into voice lists, the recent files, saving with its questions and
// layouts, and closing, against in-memory windows and scripted dialogs.
#include "BankTestSupport.h"

#include "banklib/InitVoice.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "platform/FileIO.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace banklib {
namespace {

using platform::MsgAnswer;
using platform::testing::ScriptedServices;
using testing::FakeAppState;
using testing::FakeVoiceList;
using ListOpen = clsVoiceNames::ListOpen;

// A bank file of n voices in a layout, written by our own writer.
std::string writeBank(const test::TempFolder& folder, const std::string& name, std::size_t n, FileType type)
{
    const std::string path = folder.path(name);
    clsVoiceNames writer;
    const auto data = isPackedLayout(type) ? test::packedVoices(n) : test::unpackedVoices(n);
    EXPECT_FALSE(writer.SaveVoiceDataToFileByt(data, path, type, true));
    return path;
}

std::int32_t crcOf(const std::vector<std::uint8_t>& bytes)
{
    std::int32_t crc = 0;
    clsVoiceNames::CalcCRC32Byt(bytes, crc);
    return crc;
}

struct Fixture {
    ScriptedServices ui;
    FakeAppState app;
    test::TempFolder folder;
    Fixture() { app.dataDirectory = folder.folder(); }

    FakeVoiceList* open(const std::string& path, bool temporary = false, bool recent = true)
    {
        clsVoiceNames names;
        VoiceListView* window = nullptr;
        if (names.CreateVoiceListandFileImage(path, window, temporary, recent) != ListOpen::Opened)
            return nullptr;
        app.active.list = window;
        return dynamic_cast<FakeVoiceList*>(window);
    }
};

TEST(OpenList, EveryLayoutOpensWithItsTypeCountAndFingerprint)
{
    struct Row {
        FileType type;
        std::size_t voices;
        const char* name;
    };
    for (const Row& row : {Row{FileType::Unpacked, 3, "three.dat"}, Row{FileType::UnpackedSysex, 40, "forty.syx"},
                           Row{FileType::Packed, 64, "two banks.dx7"}, Row{FileType::PackedSysex, 33, "rom.32"}}) {
        SCOPED_TRACE(row.name);
        Fixture f;
        const std::string path = writeBank(f.folder, row.name, row.voices, row.type);
        FakeVoiceList* list = f.open(path);
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->shown());
        EXPECT_EQ(list->ListID(), "L0001");
        EXPECT_EQ(list->fileType(), row.type);
        EXPECT_EQ(list->VoiceCount(), static_cast<std::int32_t>(row.voices));
        EXPECT_EQ(list->rsmfimage().recordCount(), static_cast<std::int32_t>(row.voices));
        EXPECT_EQ(list->FileName(), path);
        EXPECT_EQ(list->FileTitle(), row.name);
        EXPECT_EQ(list->FilePath(), f.folder.folder());
        const auto bare = isPackedLayout(row.type) ? test::packedVoices(row.voices) : test::unpackedVoices(row.voices);
        EXPECT_EQ(list->SavedCRC(), crcOf(bare));
        EXPECT_EQ(f.app.recentFiles, std::vector<std::string>{path});
        EXPECT_TRUE(f.ui.messagesShown().empty());
    }
}

TEST(OpenList, ATemporaryListIsMarkedAndStaysOffTheRecentFiles)
{
    Fixture f;
    const std::string path = writeBank(f.folder, "received.syx", 32, FileType::PackedSysex);
    FakeVoiceList* list = f.open(path, true, false);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->SavedCRC(), kSavedCrcTemporary);
    EXPECT_TRUE(f.app.recentFiles.empty());
}

TEST(OpenList, AFileThatCannotBeUsedLeavesNoWindowBehind)
{
    Fixture f;
    // Empty: refused by the check. A bulk-dump size without a bulk-dump header: refused
    // by the reader after the registry made the window, which goes again. A bank-sized
    // file too large to read (sparse, so it costs nothing): said to be too large, in the
    // words Send File and the print preview use.
    test::writeBytes(f.folder.path("empty.syx"), {});
    test::writeBytes(f.folder.path("fake.syx"), std::vector<std::uint8_t>(4104, 0x20));
    const std::string huge = f.folder.path("sparse1g.syx");
    test::writeBytes(huge, {});
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 30);
    EXPECT_EQ(f.open(f.folder.path("empty.syx")), nullptr);
    EXPECT_EQ(f.open(f.folder.path("fake.syx")), nullptr);
    EXPECT_EQ(f.open(f.folder.path("missing.dat")), nullptr);
    EXPECT_EQ(f.open(huge), nullptr);
    EXPECT_EQ(f.app.registry.count(), 0);
    EXPECT_EQ(f.app.registry.deleted, (std::vector<std::string>{"L0001", "L0002"}));
    ASSERT_EQ(f.ui.messagesShown().size(), 4u);
    EXPECT_EQ(f.ui.messagesShown()[0].title, "Error Opening File");
    EXPECT_EQ(f.ui.messagesShown()[1].title, "Invalid file type");
    EXPECT_EQ(f.ui.messagesShown()[2].text, "Can't find " + f.folder.path("missing.dat"));
    EXPECT_EQ(f.ui.messagesShown()[3].title, "File Access Error");
    EXPECT_EQ(f.ui.messagesShown()[3].text, "Couldn't open sparse1g.syx\r\nFile too large: " + huge);
    EXPECT_TRUE(f.app.recentFiles.empty());
}

TEST(RecentFiles, KeepTheirOrderAndDropTheOldestOfSix)
{
    Fixture f;
    std::vector<std::string> paths;
    for (int i = 1; i <= 7; ++i)
        paths.push_back(writeBank(f.folder, "b" + std::to_string(i) + ".dat", 1, FileType::Unpacked));
    for (int i = 0; i < 6; ++i)
        ASSERT_NE(f.open(paths[static_cast<std::size_t>(i)]), nullptr);
    EXPECT_EQ(f.app.recentFiles, std::vector<std::string>(paths.begin(), paths.begin() + 6));
    // Already listed (here by another path to the same file): the list stays as it is.
    ASSERT_NE(f.open(f.folder.folder() + "./b3.dat"), nullptr);
    EXPECT_EQ(f.app.recentFiles, std::vector<std::string>(paths.begin(), paths.begin() + 6));
    ASSERT_NE(f.open(paths[6]), nullptr);
    EXPECT_EQ(f.app.recentFiles, std::vector<std::string>(paths.begin() + 1, paths.end()));
}

TEST(OpenMultipleFiles, OpensEveryChosenFileInOrderAndMovesTheDataFolder)
{
    Fixture f;
    std::filesystem::create_directories(f.folder.path("banks"));
    const std::string a = writeBank(f.folder, "banks/a.dat", 2, FileType::Unpacked);
    const std::string b = writeBank(f.folder, "banks/b.syx", 32, FileType::PackedSysex);
    const std::string c = writeBank(f.folder, "banks/c.32", 5, FileType::Packed);
    f.ui.answerFileDialog({true, {a, b, c}, 1});
    clsVoiceNames names;
    names.OpenMultipleFiles();
    ASSERT_EQ(f.app.registry.count(), 3);
    EXPECT_EQ(f.app.registry.Item(1)->FileName(), a);
    EXPECT_EQ(f.app.registry.Item(3)->FileTitle(), "c.32");
    EXPECT_EQ(f.app.recentFiles, (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(f.app.dataDirectory, f.folder.path("banks") + "/");

    const auto& request = f.ui.fileDialogsShown().at(0);
    EXPECT_EQ(request.title, "Open DX7 Voice Data File");
    EXPECT_TRUE(request.multiSelect);
    EXPECT_EQ(request.initialFolder, f.folder.folder());
    EXPECT_EQ(request.defaultExtension, "dat");
    EXPECT_EQ(request.helpTopic, "MDIMain.htm#FileOpen");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].second, "*.dat;*.syx;*.dx7;*.32");

    // Cancelled: nothing opens and the data folder stays.
    names.OpenMultipleFiles();
    EXPECT_EQ(f.app.registry.count(), 3);
    EXPECT_EQ(f.app.dataDirectory, f.folder.path("banks") + "/");
}

TEST(GetFileName, HelpTopicsFollowTheActionExtensionAndTitle)
{
    struct Row {
        std::int32_t action;
        const char* ext;
        const char* title;
        const char* topic;
    };
    for (const Row& r : {Row{0, "mid", "x", "MidiFilePlayer.htm"}, Row{0, "rtf", "x", "MDIMain.htm#PrintPreview"},
                         Row{0, "dat", "Choose a file to send to MIDI", "MDIMain.htm#MIDIMenu"},
                         Row{0, "syx", "Load Sysex File", "MIDIManager.htm"},
                         Row{0, "dat", "Open DX7 Voice Data File", "MDIMain.htm#FileOpen"},
                         Row{1, "rtf", "Save Sysex Bank", "MDIMain.htm#PrintPreview"},
                         Row{1, "syx", "Save Sysex Bank", "MidiManager.htm"},
                         Row{1, "dat", "Save DX7 Voice Data File ", "MDIMain.htm#FileSaveAs"}})
        EXPECT_EQ(clsVoiceNames::FileDialogHelpTopic(r.action, r.ext, r.title), r.topic) << r.title;
}

TEST(GetFileName, AGivenFolderComesBackAndTheDataFolderStays)
{
    Fixture f;
    ScriptedServices& ui = f.ui;
    ui.answerFile("/music/midi/song.mid");
    clsVoiceNames names;
    std::string name;
    std::string title;
    std::string dir = "/music/";
    EXPECT_FALSE(names.GetFileName(name, title, 0, "Open MIDI File", nullptr, {{"MIDI (*.mid)", "*.mid"}}, "mid", dir));
    EXPECT_EQ(name, "/music/midi/song.mid");
    EXPECT_EQ(title, "song.mid");
    EXPECT_EQ(dir, "/music/midi/");
    EXPECT_EQ(f.app.dataDirectory, f.folder.folder());
    EXPECT_EQ(ui.fileDialogsShown().at(0).initialFolder, "/music/");
    // A cancelled dialog empties the name.
    name = "kept?";
    EXPECT_TRUE(names.GetFileName(name, title, 1, "Save", nullptr, {}, "", dir));
    EXPECT_TRUE(name.empty());
}

TEST(FindSubDirs, FindsAFolderWhateverItsCaseButNotAFile)
{
    test::TempFolder folder;
    std::filesystem::create_directories(folder.path("Data"));
    test::writeBytes(folder.path("Help"), {1});
    EXPECT_TRUE(clsVoiceNames::FindSubDirs(folder.folder(), "data"));
    EXPECT_FALSE(clsVoiceNames::FindSubDirs(folder.folder(), "help"));
    EXPECT_FALSE(clsVoiceNames::FindSubDirs(folder.folder(), "."));
    EXPECT_FALSE(clsVoiceNames::FindSubDirs(folder.path("nowhere"), "Data"));
}

TEST(InitPatchView, TheDetectionBankTakesTheFirstFreeSetupNameAndJoinsTheRecentFiles)
{
    Fixture f;
    std::vector<std::uint8_t> dump;
    clsVoiceNames names;
    names.AddWrappersByt(test::packedVoices(32), dump, FileType::PackedSysex);
    test::writeBytes(f.folder.path("DX Setup  2.dat"), {9, 9, 9});
    VoiceListView* list = names.InitPatchView(dump, 2);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->FileTitle(), "DX Setup  3.dat");
    EXPECT_EQ(list->fileType(), FileType::PackedSysex);
    EXPECT_EQ(test::readBytes(f.folder.path("DX Setup  3.dat")), dump);
    EXPECT_EQ(test::readBytes(f.folder.path("DX Setup  2.dat")), (std::vector<std::uint8_t>{9, 9, 9}));
    EXPECT_EQ(f.app.recentFiles, std::vector<std::string>{f.folder.path("DX Setup  3.dat")});
    EXPECT_NE(list->SavedCRC(), kSavedCrcTemporary);
}

// ---- saving

struct SaveFixture : Fixture {
    std::string path;
    FakeVoiceList* list = nullptr;
    explicit SaveFixture(FileType type = FileType::Packed, std::size_t n = 40, bool temporary = false)
    {
        path = writeBank(folder, temporary ? "Received.syx" : "bank.dat", n, type);
        list = open(path, temporary, !temporary);
    }
    void rename(std::int32_t voice, const std::string& name)
    {
        platform::Recordset& rs = list->rsmfimage();
        rs.setAbsolutePosition(voice);
        rs.setValue(VoiceListField::Names, name);
        rs.moveFirst();
    }
};

TEST(FileSave, AnUnchangedListIsNotWrittenBySaveButAlwaysBySaveAs)
{
    SaveFixture f;
    const auto before = std::filesystem::last_write_time(f.path);
    clsVoiceNames names;
    EXPECT_FALSE(names.FileSave(false, false, nullptr));
    EXPECT_TRUE(f.ui.messagesShown().empty());
    EXPECT_TRUE(f.ui.fileDialogsShown().empty());
    // Closing an unchanged list asks nothing either.
    EXPECT_FALSE(names.FileSave(false, true, f.list));
    EXPECT_TRUE(f.ui.messagesShown().empty());
    EXPECT_EQ(std::filesystem::last_write_time(f.path), before);

    const std::string copy = f.folder.path("copy.syx");
    f.ui.answerFile(copy);
    f.app.dialogs.saveFormats.push_back(FileType::PackedSysex);
    EXPECT_FALSE(names.FileSave(true, false, nullptr));
    const auto& request = f.ui.fileDialogsShown().at(0);
    EXPECT_EQ(request.title, "Save DX7 Voice Data File ");
    EXPECT_EQ(request.fileName, f.path);
    EXPECT_TRUE(request.promptOverwrite);
    EXPECT_EQ(f.app.dialogs.formatAskedWith, std::vector<FileType>{FileType::Packed});
    EXPECT_EQ(std::filesystem::file_size(copy), 4104u + 8u + 8u * 128u);
    EXPECT_EQ(f.list->FileName(), copy);
    EXPECT_EQ(f.list->FileTitle(), "copy.syx");
    EXPECT_EQ(f.list->fileType(), FileType::PackedSysex);
    EXPECT_EQ(f.list->SavedCRC(), crcOf(test::packedVoices(40)));
}

TEST(FileSave, TheClosingQuestionAndItsThreeAnswers)
{
    SaveFixture f;
    f.rename(3, "NEW NAME  ");
    clsVoiceNames names;
    const auto original = test::readBytes(f.path);

    f.ui.answer(MsgAnswer::Cancel);
    EXPECT_TRUE(names.FileSave(false, true, f.list));
    ASSERT_EQ(f.ui.messagesShown().size(), 1u);
    EXPECT_EQ(f.ui.messagesShown()[0].text, "bank.dat has changed\r\nOK to save ?");
    EXPECT_EQ(f.ui.messagesShown()[0].style, 3);
    EXPECT_EQ(f.ui.messagesShown()[0].title, "Save File");

    f.ui.answer(MsgAnswer::No);
    EXPECT_FALSE(names.FileSave(false, true, f.list));
    EXPECT_EQ(test::readBytes(f.path), original);

    f.ui.answer(MsgAnswer::Yes);
    f.ui.answerFile(f.path);
    EXPECT_FALSE(names.FileSave(false, true, f.list));
    EXPECT_NE(test::readBytes(f.path), original);
    clsVoiceNames reader;
    platform::Recordset rs;
    ASSERT_NE(reader.OpenFileAsRecordsetByt(f.path, "bank.dat", FileType::Packed, rs), kCrcNoVoices);
    rs.setAbsolutePosition(3);
    EXPECT_EQ(rs.text(VoiceListField::Names), "NEW NAME  ");
    EXPECT_EQ(f.list->fileType(), FileType::Packed);
}

TEST(FileSave, ACancelledOrFailedSaveKeepsTheWindowAndItsEdits)
{
    SaveFixture f;
    f.rename(1, "EDITED    ");
    const auto original = test::readBytes(f.path);
    const std::int32_t savedCrc = f.list->SavedCRC();
    clsVoiceNames names;

    // Cancel in the save dialog, then Cancel in the layout dialog.
    f.ui.answer(MsgAnswer::Yes);
    EXPECT_TRUE(names.FileSave(false, true, f.list));
    f.ui.answer(MsgAnswer::Yes);
    f.ui.answerFile(f.path);
    f.app.dialogs.saveFormats.push_back(std::nullopt);
    EXPECT_TRUE(names.FileSave(false, true, f.list));

    // A writer that fails: reported, the old file intact, the list as it was.
    platform::setWriteFaultInjector([](const std::string&) { return platform::FileError::NoSpace; });
    f.ui.answer(MsgAnswer::Yes);
    f.ui.answerFile(f.folder.path("elsewhere.syx"));
    f.app.dialogs.saveFormats.push_back(FileType::PackedSysex);
    EXPECT_TRUE(names.FileSave(false, true, f.list));
    platform::setWriteFaultInjector(nullptr);
    EXPECT_EQ(f.ui.messagesShown().back().title, "File Access Error");
    EXPECT_FALSE(std::filesystem::exists(f.folder.path("elsewhere.syx")));

    // Save As onto what cannot take the file: said not to be saved, with the reason; the
    // target stays as it was, and so do the list and its own file.
    const std::string pipe = f.folder.path("pipe.dat");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string loop = f.folder.path("loop.dat");
    std::filesystem::create_symlink("loop.dat", loop);
    struct Row {
        std::string target;
        std::string text;
    };
    const Row rows[] = {
        // Said to be no file, as File > Open says it.
        {pipe, "Couldn't save pipe.dat\r\npipe.dat is not a file"},
        {loop, "Couldn't save loop.dat\r\nSymbolic link loop: " + loop},
        {f.folder.path("no/such/x.dat"), "Couldn't save x.dat\r\nFolder not found: " + f.folder.path("no/such")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.target);
        f.ui.answerFile(row.target);
        f.app.dialogs.saveFormats.push_back(FileType::Packed);
        EXPECT_TRUE(names.FileSave(true, false, f.list));
        EXPECT_EQ(f.ui.messagesShown().back().title, "File Access Error");
        EXPECT_EQ(f.ui.messagesShown().back().text, row.text);
        EXPECT_EQ(test::readBytes(f.path), original);
        EXPECT_EQ(f.list->FileName(), f.path);
        EXPECT_EQ(f.list->fileType(), FileType::Packed);
        EXPECT_EQ(f.list->SavedCRC(), savedCrc);
        f.list->rsmfimage().setAbsolutePosition(1);
        EXPECT_EQ(f.list->rsmfimage().text(VoiceListField::Names), "EDITED    ");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_TRUE(std::filesystem::is_symlink(loop));
    EXPECT_FALSE(std::filesystem::exists(f.folder.path("no")));
}

TEST(FileSave, ATemporaryListMustTakeANewNameAndItsOldFileGoesOnlyOnceWritten)
{
    SaveFixture f(FileType::PackedSysex, 32, true);
    ASSERT_NE(f.list, nullptr);
    clsVoiceNames names;
    const std::string target = f.folder.path("Kept.dat");

    // A failed write keeps the received file.
    platform::setWriteFaultInjector([](const std::string&) { return platform::FileError::WriteFailed; });
    f.ui.answerFile(target);
    EXPECT_TRUE(names.FileSave(false, false, nullptr));
    platform::setWriteFaultInjector(nullptr);
    EXPECT_TRUE(std::filesystem::exists(f.path));
    EXPECT_EQ(f.list->SavedCRC(), kSavedCrcTemporary);

    // Its own name is refused, then the new one is written in the chosen layout.
    f.ui.clear();
    f.ui.answerFile(f.path);
    f.ui.answerFile(target);
    f.app.dialogs.saveFormats.push_back(FileType::Unpacked);
    const platform::Bookmark third = f.list->rsmfimage().bookmarks().at(2);
    EXPECT_FALSE(names.FileSave(false, false, nullptr));
    ASSERT_EQ(f.ui.fileDialogsShown().size(), 2u);
    EXPECT_EQ(f.ui.fileDialogsShown()[0].fileName, "");
    EXPECT_EQ(f.ui.fileDialogsShown()[1].fileName, "");
    ASSERT_EQ(f.ui.messagesShown().size(), 1u);
    EXPECT_EQ(f.ui.messagesShown()[0].text, "Please save Received.syx under a different name ");
    EXPECT_EQ(f.ui.messagesShown()[0].style, 16);
    EXPECT_EQ(f.ui.messagesShown()[0].title, "Invalid File Name");
    EXPECT_FALSE(std::filesystem::exists(f.path));
    EXPECT_EQ(std::filesystem::file_size(target), 32u * 155u);
    EXPECT_EQ(f.list->fileType(), FileType::Unpacked);
    EXPECT_EQ(f.list->FileTitle(), "Kept.dat");
    EXPECT_EQ(f.list->SavedCRC(), crcOf(test::readBytes(target)));
    // The voices were converted where they stand: bookmarks still find them.
    EXPECT_EQ(f.list->rsmfimage().valueAt(third, VoiceListField::Data).index(), 4u);
    EXPECT_EQ(std::get<std::string>(f.list->rsmfimage().valueAt(third, VoiceListField::Data)).size(),
              kUnpackedDataSize);
    EXPECT_EQ(f.list->listBoxPage(), 1);
}

TEST(FileSave, ClosingAnEmptyListAsksFirst)
{
    SaveFixture f(FileType::Unpacked, 2);
    f.list->rsmfimage().clear();
    clsVoiceNames names;
    f.ui.answer(MsgAnswer::Cancel);
    EXPECT_TRUE(names.FileSave(false, true, f.list));
    EXPECT_EQ(f.ui.messagesShown().at(0).text, "bank.dat contains no patches.\r\nDo you want to save it as an empty file ?");
    EXPECT_EQ(f.ui.messagesShown().at(0).style, 51);
    EXPECT_EQ(f.ui.messagesShown().at(0).title, "Empty File");
    f.ui.answer(MsgAnswer::No);
    EXPECT_FALSE(names.FileSave(false, true, f.list));
    EXPECT_EQ(std::filesystem::file_size(f.path), 2u * 155u);
}

TEST(FileSave, WithoutAnActiveListNothingIsSaved)
{
    Fixture f;
    clsVoiceNames names;
    EXPECT_TRUE(names.FileSave(false, false, nullptr));
    ASSERT_EQ(f.ui.messagesShown().size(), 1u);
    EXPECT_EQ(f.ui.messagesShown()[0].text, "Please select a voice list ");
    EXPECT_EQ(f.ui.messagesShown()[0].title, "No voice list selection");
}

TEST(FileSave, SavingOverAnotherOpenListClosesItOnYes)
{
    Fixture f;
    const std::string a = writeBank(f.folder, "a.dat", 2, FileType::Unpacked);
    const std::string b = writeBank(f.folder, "b.dat", 3, FileType::Unpacked);
    FakeVoiceList* first = f.open(a);
    FakeVoiceList* second = f.open(b);
    ASSERT_TRUE(first && second);
    std::filesystem::create_symlink(b, f.folder.path("link-to-b.dat"));
    f.app.active.list = first;
    clsVoiceNames names;

    // Reached through a link it is the same file: "File Open"; No keeps everything.
    f.ui.answerFile(f.folder.path("link-to-b.dat"));
    f.ui.answer(MsgAnswer::No);
    EXPECT_TRUE(names.FileSave(true, false, nullptr));
    EXPECT_EQ(f.ui.messagesShown().at(0).title, "File Open");
    EXPECT_EQ(f.ui.messagesShown().at(0).text, "You already have a file open with the name " +
                                                    f.folder.path("link-to-b.dat") +
                                                    "\r\nAre you sure you want to replace link-to-b.dat ?");
    EXPECT_FALSE(second->unloaded());

    // Changed since it was saved: "Unsaved Changes"; Yes closes it without asking.
    second->rsmfimage().setAbsolutePosition(1);
    second->rsmfimage().setValue(VoiceListField::Names, "CHANGED   ");
    f.ui.answerFile(b);
    f.ui.answer(MsgAnswer::Yes);
    EXPECT_FALSE(names.FileSave(true, false, nullptr));
    EXPECT_EQ(f.ui.messagesShown().at(1).title, "Unsaved Changes");
    EXPECT_TRUE(second->unloaded());
    EXPECT_EQ(std::filesystem::file_size(b), 2u * 155u);
    EXPECT_EQ(first->FileName(), b);
}

TEST(FileClose, ATemporaryListsFileGoesButDXInitStays)
{
    Fixture f;
    const std::string received = writeBank(f.folder, "recv.syx", 32, FileType::PackedSysex);
    const std::string init = writeBank(f.folder, kInitBankFileName, 32, FileType::Packed);
    const std::string plain = writeBank(f.folder, "plain.dat", 1, FileType::Unpacked);
    FakeVoiceList* a = f.open(received, true, false);
    FakeVoiceList* b = f.open(init, true, false);
    FakeVoiceList* c = f.open(plain);
    ASSERT_TRUE(a && b && c);
    clsVoiceNames names;
    EXPECT_FALSE(names.FileClose(*a));
    EXPECT_FALSE(names.FileClose(*b));
    EXPECT_FALSE(names.FileClose(*c));
    EXPECT_FALSE(std::filesystem::exists(received));
    EXPECT_TRUE(std::filesystem::exists(init));
    EXPECT_TRUE(std::filesystem::exists(plain));
    EXPECT_EQ(f.app.registry.count(), 0);
    EXPECT_EQ(f.app.dialogs.duplicatesUnloaded, 3);
}

}  // namespace
}  // namespace banklib
