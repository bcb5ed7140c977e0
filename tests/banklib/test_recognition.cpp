// Brevane - recognising bank files and received dumps.
#include "BankTestSupport.h"

#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "platform/FileIO.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

namespace banklib {
namespace {

using platform::MsgAnswer;
using platform::testing::ScriptedServices;
using test::TempFolder;

TEST(GetFileType, SizesAndTheirOrder)
{
    struct Case {
        std::int64_t size;
        FileType type;
    };
    const Case cases[] = {
        {155, FileType::Unpacked},          {163, FileType::UnpackedSysex},
        {4096, FileType::Packed},           {4104, FileType::PackedSysex},
        {136, FileType::PackedSysex},       {4104 + 8, FileType::PackedSysex},
        {4104 + 8 + 31 * 128, FileType::PackedSysex},
        {4105, FileType::Unrecognised},     {4104 + 7, FileType::Unrecognised},
        {19840, FileType::Unpacked},        // 128 x 155: the unpacked test comes first
        {20864, FileType::Packed},          // 128 x 163: the packed test comes before 163
        {0, FileType::Unpacked},            {1630, FileType::UnpackedSysex},
        {131328, FileType::Packed},         // 32 bulk dumps: by size alone, packed
        {1, FileType::Unrecognised},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clsVoiceLists::GetFileType(c.size), c.type) << c.size;
}

std::vector<std::uint8_t> bulkDumps(std::size_t banks, std::uint8_t device = 0)
{
    clsVoiceNames names;
    std::vector<std::uint8_t> out;
    names.AddWrappersByt(test::packedVoices(banks * 32), out, FileType::PackedSysex);
    for (std::size_t b = 0; b < banks; ++b)
        out[b * kBulkVoiceDumpSize + 2] = device;
    return out;
}

std::vector<std::uint8_t> singleDumps(std::size_t voices)
{
    clsVoiceNames names;
    std::vector<std::uint8_t> out;
    names.AddWrappersByt(test::unpackedVoices(voices), out, FileType::UnpackedSysex);
    return out;
}

TEST(WrappedRecognition, ThirtyTwoBulkDumpsAreAWrappedFileNotPackedVoices)
{
    ScriptedServices ui;
    TempFolder dir;
    const std::string path = dir.path("32 banks.syx");
    test::writeBytes(path, bulkDumps(32, 0x0F));
    ASSERT_EQ(platform::fileSize(path), 131328);

    clsVoiceLists lists;
    std::string name = path;
    FileType type = FileType::NotFound;
    EXPECT_EQ(lists.CheckFileIntegrity(name, type, false), FileCheck::Ok);
    EXPECT_EQ(type, FileType::PackedSysex);

    // The same size without the headers keeps the size rule.
    auto bare = bulkDumps(32);
    bare[5 * kBulkVoiceDumpSize] = 0x00;
    test::writeBytes(path, bare);
    EXPECT_EQ(lists.CheckFileIntegrity(name, type, false), FileCheck::Ok);
    EXPECT_EQ(type, FileType::Packed);
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST(WrappedRecognition, SingleDumpsThatAlsoFitTheUnpackedSize)
{
    // 155 single-voice dumps are 155 x 163 bytes, also a multiple of 155.
    const auto data = singleDumps(155);
    ASSERT_EQ(clsVoiceLists::GetFileType(static_cast<std::int64_t>(data.size())), FileType::Unpacked);
    EXPECT_EQ(clsVoiceLists::PreferWrappedLayout(data, FileType::Unpacked), FileType::UnpackedSysex);

    auto broken = data;
    broken[100 * kSingleVoiceDumpSize + 5] = 0x1C;  // one unit with a wrong byte count
    EXPECT_EQ(clsVoiceLists::PreferWrappedLayout(broken, FileType::Unpacked), FileType::Unpacked);
    auto otherStatus = data;
    otherStatus[2] = 0x10;  // a parameter-change status, not a dump of device n
    EXPECT_EQ(clsVoiceLists::PreferWrappedLayout(otherStatus, FileType::Unpacked), FileType::Unpacked);
}

TEST(WrappedRecognition, BulkDumpsWithAShortLastBank)
{
    clsVoiceNames names;
    std::vector<std::uint8_t> data;
    // 15 whole banks and a short one of 5 voices: 15 x 4104 + 8 + 5 x 128 = 486 x 128
    // bytes, which the size rule alone takes for 486 packed voices.
    names.AddWrappersByt(test::packedVoices(15 * 32 + 5), data, FileType::PackedSysex);
    ASSERT_EQ(data.size(), 486u * 128u);
    ASSERT_EQ(clsVoiceLists::GetFileType(static_cast<std::int64_t>(data.size())), FileType::Packed);
    EXPECT_EQ(clsVoiceLists::PreferWrappedLayout(data, FileType::Packed), FileType::PackedSysex);
    // Received buffers are recognised the same way.
    clsVoiceLists lists;
    std::string empty;
    FileType type = FileType::NotFound;
    EXPECT_EQ(lists.CheckFileIntegrity(empty, type, true, test::str(data)), FileCheck::Ok);
    EXPECT_EQ(type, FileType::PackedSysex);
}

struct MissingCase {
    std::string title;
    std::string expected;
};

TEST(CheckFileIntegrity, MissingFiles)
{
    TempFolder dir;
    for (const MissingCase& c : {MissingCase{"nothing.dat", "Can't find " + dir.path("nothing.dat")},
                                 MissingCase{"DXInit.dat", "The source file DXInit.dat can't be found"}}) {
        ScriptedServices ui;
        clsVoiceLists lists;
        std::string name = dir.path(c.title);
        FileType type = FileType::Packed;
        EXPECT_EQ(lists.CheckFileIntegrity(name, type, false), FileCheck::NotFound);
        EXPECT_EQ(type, FileType::NotFound);
        ASSERT_EQ(ui.messagesShown().size(), 1u);
        EXPECT_EQ(ui.messagesShown()[0].text, c.expected);
        EXPECT_EQ(ui.messagesShown()[0].title, "Error Opening File");
        EXPECT_EQ(ui.messagesShown()[0].style, 49);
        EXPECT_FALSE(platform::fileExists(name)) << "a check never creates the file";
    }
}

TEST(CheckFileIntegrity, QuietSuppressesTheClosingMessage)
{
    ScriptedServices ui;
    TempFolder dir;
    const std::string path = dir.path("empty.dat");
    test::writeBytes(path, {});
    clsVoiceLists lists;
    std::string name = path;
    FileType type = FileType::Packed;
    EXPECT_EQ(lists.CheckFileIntegrity(name, type, true), FileCheck::Empty);
    EXPECT_EQ(type, FileType::Empty);
    EXPECT_TRUE(ui.messagesShown().empty());
    EXPECT_EQ(lists.CheckFileIntegrity(name, type, false), FileCheck::Empty);
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, path + " is empty");
}

TEST(CheckFileIntegrity, UnrecognisedSizeAsksEvenWhenQuiet)
{
    TempFolder dir;
    struct Case {
        std::size_t size;
        MsgAnswer answer;
        FileCheck result;
        FileType type;
    };
    const Case cases[] = {
        {4105, MsgAnswer::No, FileCheck::NotFound, FileType::NotFound},
        {4105, MsgAnswer::Cancel, FileCheck::NotFound, FileType::NotFound},
        {4105, MsgAnswer::Yes, FileCheck::Ok, FileType::Packed},
        {1000, MsgAnswer::Yes, FileCheck::Ok, FileType::Unpacked},
    };
    for (const Case& c : cases) {
        ScriptedServices ui;
        ui.answer(c.answer);
        const std::string path = dir.path("odd.bin");
        test::writeBytes(path, std::vector<std::uint8_t>(c.size, 1));
        clsVoiceLists lists;
        std::string name = path;
        FileType type = FileType::Packed;
        EXPECT_EQ(lists.CheckFileIntegrity(name, type, true), c.result);
        EXPECT_EQ(type, c.type);
        ASSERT_EQ(ui.messagesShown().size(), 1u) << "no second message after the question";
        const auto& m = ui.messagesShown()[0];
        EXPECT_EQ(m.title, "Unrecognised File Type");
        EXPECT_EQ(m.style, 51);
        const std::string head = path + " is not in a recognisable DX7 data format as the file is " +
                                 std::to_string(c.size) + " bytes long.\r\n\r\nPatch files must be either:\r\n\r\n\t";
        EXPECT_EQ(m.text.substr(0, head.size()), head);
        EXPECT_NE(m.text.find("\r\nOr\r\n\tmultiples of 4104 0r 4096 bytes if the data is packed .\r\n"),
                  std::string::npos);
        EXPECT_NE(m.text.find(path + " does not appear to fit any of these categories.\r\n\r\n"
                                     "Would you like to continue loading the file anyway ?"),
                  std::string::npos);
    }
}

TEST(CheckFileIntegrity, Buffers)
{
    ScriptedServices ui;
    clsVoiceLists lists;
    std::string name;
    FileType type = FileType::Packed;
    EXPECT_EQ(lists.CheckFileIntegrity(name, type, false, ""), FileCheck::Empty);
    EXPECT_EQ(name, "The buffer ");
    EXPECT_EQ(type, FileType::Empty);
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "The buffer  is empty");

    std::string none;
    EXPECT_EQ(lists.CheckFileIntegrity(none, type, false, "12345"), FileCheck::Unrecognised);
    EXPECT_EQ(type, FileType::Unrecognised);
    ASSERT_EQ(ui.messagesShown().size(), 2u);
    EXPECT_EQ(ui.messagesShown()[1].text, "Unrecognised sysex message received ( 5) bytes.");

    EXPECT_EQ(lists.CheckFileIntegrity(none, type, false, std::string(163, '\x01')), FileCheck::Ok);
    EXPECT_EQ(type, FileType::UnpackedSysex);
}

// An SY-series file: first block header "LM  8101VC", next block at the offset that the
// table gives for byte 32.
std::vector<std::uint8_t> syFile(std::uint8_t sizeIndex, std::size_t nextOffset, const std::string& nextName,
                                 std::size_t length = 4104)
{
    std::vector<std::uint8_t> f(length, 0);
    f[0] = 0xF0;
    f[1] = 0x43;
    const std::string first = "LM  8101VC";
    std::copy(first.begin(), first.end(), f.begin() + 6);
    f[32] = sizeIndex;
    if (nextOffset + 16 <= f.size())
        std::copy(nextName.begin(), nextName.end(), f.begin() + static_cast<std::ptrdiff_t>(nextOffset + 6));
    return f;
}

TEST(CheckFileIntegrity, SySeriesFilesAreRefused)
{
    TempFolder dir;
    struct Case {
        std::vector<std::uint8_t> bytes;
        SyCheck sy;
    };
    const Case cases[] = {
        {syFile(2, 1564, "LM  0040VC"), SyCheck::SyVoiceFile},
        {syFile(43, 44, "LM  0040VC"), SyCheck::SyVoiceFile},
        {syFile(2, 1564, "SOMETHING "), SyCheck::SyFile},
        {syFile(25, 0, ""), SyCheck::SyFile},   // an index without an entry
        {syFile(255, 0, ""), SyCheck::SyFile},  // beyond the table
        {syFile(2, 1564, "LM  0040VC", 200), SyCheck::SyFile},  // the voice block lies past the end
    };
    for (const Case& c : cases) {
        FileType syType = FileType::NotFound;
        clsVoiceLists lists;
        EXPECT_EQ(lists.CheckSYFormat(c.bytes, syType), c.sy);

        ScriptedServices ui;
        const std::string path = dir.path("voices.all");
        test::writeBytes(path, c.bytes);
        std::string name = path;
        FileType type = FileType::Packed;
        EXPECT_EQ(lists.CheckFileIntegrity(name, type, false), FileCheck::SyFormat);
        EXPECT_EQ(type, FileType::SyFormat);
        ASSERT_EQ(ui.messagesShown().size(), 1u);
        EXPECT_EQ(ui.messagesShown()[0].text, path + " is a SY format file ");
    }
    FileType t = FileType::NotFound;
    clsVoiceLists lists;
    auto notSy = syFile(2, 1564, "LM  0040VC");
    notSy[1] = 0x44;
    EXPECT_EQ(lists.CheckSYFormat(notSy, t), SyCheck::WrongDevice);
    notSy[1] = 0x43;
    notSy[7] = 'X';
    EXPECT_EQ(lists.CheckSYFormat(notSy, t), SyCheck::WrongBlockName);
    EXPECT_EQ(t, FileType::Unpacked);
}

TEST(GetFileTitle, TakesTheTextAfterTheLastSeparator)
{
    EXPECT_EQ(clsVoiceLists::GetFileTitle("/home/me/banks/Rom1A.syx"), "Rom1A.syx");
    EXPECT_EQ(clsVoiceLists::GetFileTitle("C:\\DX\\Brass.32"), "Brass.32");
    EXPECT_EQ(clsVoiceLists::GetFileTitle("plain.dat"), "plain.dat");
    EXPECT_EQ(clsVoiceLists::GetFileTitle("/folder/"), "");
}

}  // namespace
}  // namespace banklib
