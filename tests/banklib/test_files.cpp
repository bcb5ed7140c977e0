// Brevane - reading and writing bank files.
#include "BankTestSupport.h"

#include "banklib/Crc32.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "platform/FileIO.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace banklib {
namespace {

using platform::testing::ScriptedServices;
using test::TempFolder;

TEST(GetFileByt, TooShortAndWrongWrapper)
{
    ScriptedServices ui;
    TempFolder dir;
    clsVoiceNames names;
    std::vector<std::uint8_t> out;
    std::int32_t crc = 0;

    const std::string small = dir.path("small.dat");
    test::writeBytes(small, std::vector<std::uint8_t>(127, 1));
    EXPECT_TRUE(names.GetFileByt(small, "small.dat", FileType::Packed, out, crc, true));
    EXPECT_EQ(crc, -1);
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Empty File");
    EXPECT_EQ(ui.messagesShown()[0].style, 16);
    EXPECT_EQ(ui.messagesShown()[0].text, "No voice data found in small.dat\r\nPlease select another file");

    const std::string one = dir.path("one.dat");
    test::writeBytes(one, test::packedVoices(1));
    EXPECT_FALSE(names.GetFileByt(one, "one.dat", FileType::Packed, out, crc, true));
    EXPECT_EQ(names.VoiceCount, 1);
    EXPECT_EQ(out.size(), 128u);

    // A bank-sized file whose format byte says "single voice".
    auto bank = test::packedVoices(32);
    clsVoiceNames wrapper;
    std::vector<std::uint8_t> wrapped;
    wrapper.AddWrappersByt(bank, wrapped, FileType::PackedSysex);
    wrapped[3] = 0x00;
    const std::string bad = dir.path("bad.syx");
    test::writeBytes(bad, wrapped);
    ui.clear();
    EXPECT_TRUE(names.GetFileByt(bad, "bad.syx", FileType::PackedSysex, out, crc, true));
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Invalid file type");
    EXPECT_EQ(ui.messagesShown()[0].text,
              "bad.syx cannot be loaded as it does not contain DX format voice data.\r\nPlease select another file");
    EXPECT_EQ(ui.statusText(), "");
}

TEST(GetFileByt, UnreadableFileSaysCouldNotOpen)
{
    ScriptedServices ui;
    TempFolder dir;
    clsVoiceNames names;
    std::vector<std::uint8_t> out;
    std::int32_t crc = 0;
    EXPECT_TRUE(names.GetFileByt(dir.path("gone.dat"), "gone.dat", FileType::Packed, out, crc, true));
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text,
              "Couldn't open gone.dat\r\n" + platform::readWholeFile(dir.path("gone.dat")).message);
    EXPECT_EQ(ui.messagesShown()[0].title, "File Access Error");
    EXPECT_FALSE(platform::fileExists(dir.path("gone.dat")));
}

TEST(GetFileByt, UnstrippedReadKeepsTheWrappersButDescribesTheVoices)
{
    ScriptedServices ui;
    TempFolder dir;
    clsVoiceNames names;
    const auto data = test::packedVoices(40);
    std::vector<std::uint8_t> wrapped;
    names.AddWrappersByt(data, wrapped, FileType::PackedSysex);
    const std::string path = dir.path("forty.syx");
    test::writeBytes(path, wrapped);

    std::vector<std::uint8_t> out;
    std::int32_t crc = 0;
    ASSERT_FALSE(names.GetFileByt(path, "forty.syx", FileType::PackedSysex, out, crc, false));
    EXPECT_EQ(out, wrapped);
    EXPECT_EQ(names.VoiceCount, 40);
    EXPECT_EQ(static_cast<std::uint32_t>(crc), crc32(data));
}

// Every layout, saved from the same voices, reads back as those voices.
TEST(BankFiles, SaveAndReadBackInEveryLayout)
{
    ScriptedServices ui;
    TempFolder dir;
    clsVoiceNames names;
    const auto packedData = test::packedVoices(40);
    std::vector<std::uint8_t> unpackedData = packedData;
    names.RestructureFileBufferByt(unpackedData, FileType::Packed, FileType::Unpacked);

    struct Case {
        FileType type;
        std::size_t fileSize;
    };
    for (const Case& c : {Case{FileType::Unpacked, 40 * 155}, Case{FileType::UnpackedSysex, 40 * 163},
                          Case{FileType::Packed, 40 * 128}, Case{FileType::PackedSysex, 5136}}) {
        const auto& data = isPackedLayout(c.type) ? packedData : unpackedData;
        const std::string path = dir.path("layout" + std::to_string(toCode(c.type)) + ".dat");
        ASSERT_FALSE(names.SaveVoiceDataToFileByt(data, path, c.type, true));
        EXPECT_EQ(platform::fileSize(path), static_cast<std::int64_t>(c.fileSize));

        clsVoiceLists lists;
        std::string name = path;
        FileType found = FileType::NotFound;
        ASSERT_EQ(lists.CheckFileIntegrity(name, found, false), FileCheck::Ok);
        EXPECT_EQ(found, c.type);

        platform::Recordset rs;
        const std::int32_t crc = names.OpenFileAsRecordsetByt(path, "x", found, rs);
        EXPECT_EQ(static_cast<std::uint32_t>(crc), crc32(data));
        ASSERT_EQ(rs.recordCount(), 40);
        rs.setAbsolutePosition(40);
        EXPECT_EQ(rs.text(VoiceListField::Names), "VOICE 0040");
        EXPECT_EQ(rs.text(VoiceListField::ID), "40");

        std::vector<std::uint8_t> image;
        EXPECT_EQ(names.RecordsetToByteArray(rs, image, found), crc) << "an unchanged list is unchanged";
        EXPECT_EQ(image, data);
    }
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST(BankFiles, SavingOverALongerFileLeavesExactlyTheNewLength)
{
    ScriptedServices ui;
    TempFolder dir;
    const std::string path = dir.path("bank.dat");
    test::writeBytes(path, std::vector<std::uint8_t>(20000, 0x55));
    clsVoiceNames names;
    const auto data = test::packedVoices(32);
    ASSERT_FALSE(names.SaveVoiceDataToFileByt(data, path, FileType::Packed, false));
    EXPECT_EQ(test::readBytes(path), data);
}

TEST(BankFiles, AFailedWriteLeavesTheOldFileAndReportsFailure)
{
    ScriptedServices ui;
    TempFolder dir;
    const std::string path = dir.path("keep.dat");
    const auto old = test::packedVoices(32, 1);
    test::writeBytes(path, old);
    platform::setWriteFaultInjector([](const std::string&) { return platform::FileError::NoSpace; });
    clsVoiceNames names;
    const bool failed = names.SaveVoiceDataToFileByt(test::packedVoices(64, 2), path, FileType::PackedSysex, true);
    platform::setWriteFaultInjector(nullptr);
    EXPECT_TRUE(failed);
    EXPECT_EQ(test::readBytes(path), old);
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "File Access Error");
    EXPECT_EQ(ui.messagesShown()[0].text.rfind("Couldn't save keep.dat\r\n", 0), 0u);
    // Only the target's own name is left in the folder.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.folder()))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST(BankFiles, WritingIntoAMissingFolderFails)
{
    ScriptedServices ui;
    TempFolder dir;
    clsVoiceNames names;
    EXPECT_TRUE(names.SaveVoiceDataToFileByt(test::packedVoices(1), dir.path("no/such/x.dat"), FileType::Packed,
                                             false));
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "Couldn't save x.dat\r\nFolder not found: " + dir.path("no/such"));
}

TEST(BankFiles, ARefusedSaveAndANameThatIsNoFileSayWhatTheyAre)
{
    // A pipe is refused for writing, said to be no file, as a folder is said to be one.
    ScriptedServices ui;
    TempFolder dir;
    const std::string pipe = dir.path("pipe.dat");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directory(dir.path("sub.dat"));
    clsVoiceNames names;
    EXPECT_TRUE(names.SaveVoiceDataToFileByt(test::packedVoices(1), pipe, FileType::Packed, false));
    EXPECT_TRUE(names.SaveVoiceDataToFileByt(test::packedVoices(1), dir.path("sub.dat"), FileType::Packed, false));
    ASSERT_EQ(ui.messagesShown().size(), 2u);
    EXPECT_EQ(ui.messagesShown()[0].text, "Couldn't save pipe.dat\r\npipe.dat is not a file");
    EXPECT_EQ(ui.messagesShown()[0].title, "File Access Error");
    EXPECT_EQ(ui.messagesShown()[1].text, "Couldn't save sub.dat\r\nThe name is a folder");
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));

    // Chosen to be opened, a folder or a pipe is named for what it is, not as missing.
    ui.clear();
    clsVoiceLists lists;
    for (const std::string& path : {dir.path("sub.dat"), pipe}) {
        std::string name = path;
        FileType type = FileType::Packed;
        EXPECT_EQ(lists.CheckFileIntegrity(name, type, false), FileCheck::NotFound);
        EXPECT_EQ(type, FileType::NotFound);
    }
    ASSERT_EQ(ui.messagesShown().size(), 2u);
    EXPECT_EQ(ui.messagesShown()[0].text, dir.path("sub.dat") + " is not a file");
    EXPECT_EQ(ui.messagesShown()[0].title, "Error Opening File");
    EXPECT_EQ(ui.messagesShown()[1].text, pipe + " is not a file");
}

TEST(BankFiles, StringDataAndItsEmptyCase)
{
    ScriptedServices ui;
    TempFolder dir;
    clsVoiceNames names;
    const std::string path = dir.path("dump.syx");
    EXPECT_TRUE(names.SaveVoiceDataToFileByt(std::string_view(), path, FileType::PackedSysex, false));
    EXPECT_FALSE(platform::fileExists(path));
    const std::string bytes = test::str(test::packedVoices(3));
    EXPECT_FALSE(names.SaveVoiceDataToFileByt(std::string_view(bytes), path, FileType::PackedSysex, false));
    EXPECT_EQ(test::str(test::readBytes(path)), bytes);
    // An empty byte array writes an empty file (saving an empty list).
    EXPECT_FALSE(names.SaveVoiceDataToFileByt(std::span<const std::uint8_t>(), path, FileType::Packed, false));
    EXPECT_EQ(platform::fileSize(path), 0);
    bool sawSaving = false;
    for (const auto& s : ui.statusHistory())
        sawSaving = sawSaving || s.text == "Please Wait - Saving dump.syx";
    EXPECT_TRUE(sawSaving);
}

TEST(OpenFileAsRecordset, RepairedNamesAreReported)
{
    ScriptedServices ui;
    TempFolder dir;
    auto data = test::packedVoices(2);
    data[118] = 0x00;        // first name byte of voice 1
    data[128 + 118 + 3] = '\'';  // an apostrophe in voice 2
    const std::string path = dir.path("names.dat");
    test::writeBytes(path, data);
    clsVoiceNames names;
    platform::Recordset rs;
    ASSERT_NE(names.OpenFileAsRecordsetByt(path, "names.dat", FileType::Packed, rs), -1);
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Invalid Voice Name Characters");
    EXPECT_EQ(ui.messagesShown()[0].style, 48);
    EXPECT_EQ(ui.messagesShown()[0].text,
              "Some of the voice names in names.dat contain invalid characters that cannot be displayed.\r\n\r\n"
              "\t\tThese have been replaced with spaces.\r\n\r\n"
              "If you do not want to make these changes permanent, close the file now without saving it");
    rs.moveFirst();
    EXPECT_EQ(rs.text(VoiceListField::Names), "OICE 0001 ");
    rs.moveNext();
    EXPECT_EQ(rs.text(VoiceListField::Names), "VOI E 0002");

    // A clean file opened afterwards reports nothing.
    ui.clear();
    test::writeBytes(path, test::packedVoices(2));
    ASSERT_NE(names.OpenFileAsRecordsetByt(path, "names.dat", FileType::Packed, rs), -1);
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST(OpenFileAsRecordset, FailureLeavesTheRecordsetAlone)
{
    ScriptedServices ui;
    TempFolder dir;
    clsVoiceNames names;
    platform::Recordset rs(voiceListFields());
    rs.appendRecord({std::string("1"), std::string("x"), std::string("KEEP ME")});
    EXPECT_EQ(names.OpenFileAsRecordsetByt(dir.path("none.dat"), "none.dat", FileType::Packed, rs), -1);
    ASSERT_EQ(rs.recordCount(), 1);
    rs.moveFirst();
    EXPECT_EQ(rs.text(VoiceListField::Names), "KEEP ME   ");
}

}  // namespace
}  // namespace banklib
