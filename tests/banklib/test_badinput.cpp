// Brevane - odd and damaged files: each either loads or is refused with a message, none
// crashes, hangs or is written to.
#include "BankTestSupport.h"

#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "platform/FileIO.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace banklib {
namespace {

using platform::MsgAnswer;
using platform::testing::ScriptedServices;
namespace fs = std::filesystem;

// The titles of every message the open path may show.
const std::set<std::string> kOpenMessageTitles = {
    "Error Opening File", "Unrecognised File Type", "Empty File", "Invalid file type",
    "File Access Error",  "Invalid Voice Name Characters",
};

struct OpenOutcome {
    bool loaded = false;
    FileType type = FileType::NotFound;
    std::vector<std::string> names;
};

// Opens a file the way the program does: check it, then read it into a voice list.
OpenOutcome openFile(const std::string& path)
{
    OpenOutcome outcome;
    clsVoiceLists lists;
    std::string name = path;
    if (lists.CheckFileIntegrity(name, outcome.type, false) != FileCheck::Ok)
        return outcome;
    clsVoiceNames names;
    platform::Recordset rs;
    if (names.OpenFileAsRecordsetByt(path, clsVoiceLists::GetFileTitle(path), outcome.type, rs) == -1)
        return outcome;
    outcome.loaded = true;
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext())
        outcome.names.push_back(rs.text(VoiceListField::Names));
    return outcome;
}

void expectPrintableNames(const OpenOutcome& o, const std::string& what)
{
    EXPECT_FALSE(o.names.empty()) << what;
    for (const std::string& n : o.names) {
        ASSERT_EQ(n.size(), kNameLength) << what;
        for (char c : n)
            ASSERT_TRUE(c >= 0x20 && c < 0x7F && c != '\'') << what << ": " << n;
    }
}

struct Malformed {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

std::vector<Malformed> malformedCorpus()
{
    std::mt19937 rng(2024);
    const auto random = [&](std::size_t n) {
        std::vector<std::uint8_t> b(n);
        for (auto& x : b)
            x = static_cast<std::uint8_t>(rng());
        return b;
    };
    clsVoiceNames names;
    std::vector<std::uint8_t> bulk;
    names.AddWrappersByt(test::packedVoices(64), bulk, FileType::PackedSysex);
    std::vector<std::uint8_t> singles;
    names.AddWrappersByt(test::unpackedVoices(5), singles, FileType::UnpackedSysex);

    std::vector<Malformed> c;
    c.push_back({"empty", {}});
    c.push_back({"one byte", {0xF0}});
    c.push_back({"127 bytes", random(127)});
    c.push_back({"8 bytes: a bank with no voices", {0xF0, 0x43, 0, 9, 0x20, 0, 0, 0xF7}});
    c.push_back({"136 bytes of noise", random(136)});
    c.push_back({"128 random bytes", random(128)});
    c.push_back({"4096 bytes of FF", std::vector<std::uint8_t>(4096, 0xFF)});
    auto wrongFormat = std::vector<std::uint8_t>(bulk.begin(), bulk.begin() + 4104);
    wrongFormat[3] = 0x00;
    c.push_back({"bulk dump that says single voice", wrongFormat});
    auto wrongMaker = std::vector<std::uint8_t>(bulk.begin(), bulk.begin() + 4104);
    wrongMaker[1] = 0x41;
    c.push_back({"bulk dump of another maker", wrongMaker});
    c.push_back({"bulk dump cut short", std::vector<std::uint8_t>(bulk.begin(), bulk.begin() + 4000)});
    c.push_back({"two banks, second cut", std::vector<std::uint8_t>(bulk.begin(), bulk.begin() + 4104 + 2000)});
    auto brokenSecond = bulk;
    brokenSecond[4104] = 0x00;
    c.push_back({"two banks, second header broken", brokenSecond});
    auto brokenSingle = singles;
    brokenSingle[163 * 2 + 3] = 0x09;
    c.push_back({"single dumps, one header broken", brokenSingle});
    c.push_back({"single dumps cut short", std::vector<std::uint8_t>(singles.begin(), singles.end() - 40)});
    c.push_back({"wrapped header on a 163-byte run of noise", [&] {
                     auto b = random(163);
                     b[0] = 0xF0;
                     b[1] = 0x43;
                     b[2] = 0x00;
                     b[3] = 0x00;
                     return b;
                 }()});
    auto sy = std::vector<std::uint8_t>(5000, 0);
    sy[1] = 0x43;
    const std::string block = "LM  8101VC";
    std::copy(block.begin(), block.end(), sy.begin() + 6);
    sy[32] = 200;
    c.push_back({"SY header with an index past the table", sy});
    c.push_back({"bank-sized noise", random(4096)});
    c.push_back({"19840 bytes of noise", random(19840)});
    c.push_back({"one megabyte of noise", random(1 << 20)});
    c.push_back({"4112 bytes: bank and empty bank", [&] {
                     auto b = std::vector<std::uint8_t>(bulk.begin(), bulk.begin() + 4104);
                     const std::uint8_t tail[] = {0xF0, 0x43, 0, 9, 0x20, 0, 0, 0xF7};
                     b.insert(b.end(), std::begin(tail), std::end(tail));
                     return b;
                 }()});
    return c;
}

TEST(BadInput, MalformedFilesLoadOrAreRefusedWithAMessage)
{
    test::TempFolder dir;
    for (MsgAnswer answer : {MsgAnswer::Yes, MsgAnswer::No}) {
        for (const Malformed& m : malformedCorpus()) {
            ScriptedServices ui;
            ui.answer(answer);  // to "continue loading the file anyway ?", when asked
            const std::string path = dir.path("case.bin");
            test::writeBytes(path, m.bytes);
            const auto mtime = fs::last_write_time(path);

            const OpenOutcome o = openFile(path);
            if (o.loaded)
                expectPrintableNames(o, m.name);
            else
                EXPECT_FALSE(ui.messagesShown().empty()) << m.name << ": a refusal is explained";
            for (const auto& shown : ui.messagesShown())
                EXPECT_TRUE(kOpenMessageTitles.count(shown.title) == 1) << m.name << ": " << shown.title;
            EXPECT_EQ(test::readBytes(path), m.bytes) << m.name << " was changed";
            EXPECT_EQ(fs::last_write_time(path), mtime) << m.name << " was written";
            EXPECT_FALSE(ui.busy()) << m.name;
        }
    }
}

TEST(BadInput, MalformedBuffersAreRecognisedSafely)
{
    for (const Malformed& m : malformedCorpus()) {
        ScriptedServices ui;
        clsVoiceLists lists;
        std::string name;
        FileType type = FileType::NotFound;
        const std::string buffer = test::str(m.bytes);
        const FileCheck result = lists.CheckFileIntegrity(name, type, true, buffer);
        if (result != FileCheck::Ok)
            continue;
        clsVoiceNames names;
        FileType stripped = type;
        const std::string data = names.stripheaders(buffer, stripped, true);
        platform::Recordset rs;
        bool repaired = false;
        ASSERT_FALSE(names.BuildRecordsetFromBytes(stripped, "buffer", rs, test::bytesOfString(data), repaired));
        EXPECT_LE(data.size(), buffer.size()) << m.name;
    }
}

TEST(BadInput, SharedRealWorldBanks)
{
    const fs::path folder = BREVANE_REAL_BANKS;
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        GTEST_SKIP() << "no real-world banks at " << folder;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = entry.path().string();
        std::string lower = entry.path().filename().string();
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return std::tolower(ch); });
        if (lower.rfind("readme", 0) == 0)
            continue;
        ++files;
        ScriptedServices ui;
        ui.answer(MsgAnswer::No);  // do not force files of unrecognised size
        const auto before = test::readBytes(path);
        const auto mtime = fs::last_write_time(entry.path());
        const OpenOutcome o = openFile(path);
        if (o.loaded) {
            expectPrintableNames(o, path);
            EXPECT_EQ(static_cast<std::size_t>(o.names.size()),
                      [&] {
                          clsVoiceNames n;
                          std::vector<std::uint8_t> stripped;
                          n.StripHeadersByt(before, o.type, stripped);
                          return (stripped.size() + voiceSizeOf(o.type) - 1) / voiceSizeOf(o.type);
                      }())
                << path;
        } else {
            EXPECT_FALSE(ui.messagesShown().empty()) << path;
        }
        for (const auto& shown : ui.messagesShown())
            EXPECT_TRUE(kOpenMessageTitles.count(shown.title) == 1) << path << ": " << shown.title;
        EXPECT_EQ(test::readBytes(path), before) << path;
        EXPECT_EQ(fs::last_write_time(entry.path()), mtime) << path;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace banklib
