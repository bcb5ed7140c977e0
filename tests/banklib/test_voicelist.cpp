// Brevane - the voice-list recordset, fingerprint columns and the selection tracker.
#include "BankTestSupport.h"

#include "banklib/Crc32.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceNames.h"
#include "platform/VbText.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

namespace banklib {
namespace {

using platform::testing::ScriptedServices;

TEST(BuildRecordset, OneRecordPerVoiceInFileOrder)
{
    ScriptedServices ui;
    clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = true;
    ASSERT_FALSE(names.BuildRecordsetFromBytes(FileType::Packed, "bank.dat", rs, test::packedVoices(32), repaired));
    EXPECT_FALSE(repaired);
    EXPECT_EQ(names.VoiceCount, 32);
    ASSERT_EQ(rs.recordCount(), 32);
    EXPECT_EQ(rs.absolutePosition(), 1);
    int n = 0;
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
        ++n;
        EXPECT_EQ(rs.text(VoiceListField::ID), std::to_string(n));
        EXPECT_EQ(rs.text(VoiceListField::Data).size(), 118u);
        EXPECT_EQ(platform::Trim(rs.text(VoiceListField::CRCAll)), "") << "fingerprints stay empty";
        EXPECT_FALSE(rs.boolean(VoiceListField::DelSelected));
    }
    EXPECT_FALSE(ui.busy());
    EXPECT_EQ(ui.statusText(), "");
    bool announced = false;
    for (const auto& s : ui.statusHistory())
        announced = announced || s.text == "Setting up database for bank 1";
    EXPECT_TRUE(announced);
}

TEST(BuildRecordset, BinaryDataSurvivesAndAShortLastVoiceIsPadded)
{
    ScriptedServices ui;
    std::vector<std::uint8_t> data(155 + 60);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>((i * 37) & 0xFF);
    for (std::size_t i = 145; i < 155; ++i)
        data[i] = 'A';
    clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    ASSERT_FALSE(names.BuildRecordsetFromBytes(FileType::Unpacked, "t", rs, data, repaired));
    ASSERT_EQ(rs.recordCount(), 2);
    rs.moveFirst();
    EXPECT_EQ(rs.text(VoiceListField::Data), test::str(std::vector<std::uint8_t>(data.begin(), data.begin() + 145)));
    rs.moveNext();
    std::string second(data.begin() + 155, data.end());
    second.resize(145, '\0');
    EXPECT_EQ(rs.text(VoiceListField::Data), second);
    EXPECT_EQ(rs.text(VoiceListField::Names), std::string(10, ' ')) << "a missing name is zeros, shown as blanks";
    EXPECT_TRUE(repaired);
}

TEST(BuildRecordset, RefusesAnUnknownLayout)
{
    clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    EXPECT_TRUE(names.BuildRecordsetFromBytes(FileType::Unrecognised, "t", rs, test::packedVoices(1), repaired));
    EXPECT_EQ(rs.fieldCount(), 0);
}

TEST(CleanVoiceName, Repairs)
{
    struct Case {
        std::string in;
        std::string out;
        bool repaired;
    };
    const Case cases[] = {
        {"BRASS   1 ", "BRASS   1 ", false},
        {std::string("\0PIANO 123", 10), "PIANO 123", true},
        {"O'BRIEN 99", "O BRIEN 99", true},
        {"TAB\tBELL\x7F!", "TAB BELL !", true},
        {std::string("HI\x80\xFFTHERE!", 10), "HI  THERE!", true},
    };
    for (const Case& c : cases) {
        bool repaired = false;
        EXPECT_EQ(clsVoiceNames::CleanVoiceName(test::bytesOfString(c.in), repaired), c.out) << c.in;
        EXPECT_EQ(repaired, c.repaired) << c.in;
    }
}

TEST(FingerprintColumns, CrcAndChecksumOfDataWithAndWithoutName)
{
    ScriptedServices ui;
    clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    const auto data = test::packedVoices(3);
    ASSERT_FALSE(names.BuildRecordsetFromBytes(FileType::Packed, "t", rs, data, repaired));
    names.CalcCRCColumns(rs, false);
    names.CalcCRCColumns(rs, true);
    names.CalcChecksumColumns(rs, false);
    names.CalcChecksumColumns(rs, true);
    rs.moveFirst();
    for (std::size_t v = 0; v < 3; ++v, rs.moveNext()) {
        const std::span<const std::uint8_t> all(data.data() + v * 128, 128);
        const auto crcText = [](std::uint32_t c) { return platform::Str(static_cast<std::int32_t>(c)); };
        EXPECT_EQ(platform::Trim(rs.text(VoiceListField::CRCAll)), platform::Trim(crcText(crc32(all))));
        EXPECT_EQ(platform::RTrim(rs.text(VoiceListField::CRCExName)), crcText(crc32(all.first(118))));
        EXPECT_EQ(platform::RTrim(rs.text(VoiceListField::ChecksumAll)), platform::Str(DX7Checksum(all)));
        EXPECT_EQ(platform::RTrim(rs.text(VoiceListField::ChecksumExName)), platform::Str(DX7Checksum(all.first(118))));
    }
    // Equal voices are found through an equality filter on a fingerprint.
    rs.moveFirst();
    const std::string key = rs.text(VoiceListField::CRCAll);
    rs.setFilter(std::vector<platform::Equals>{{VoiceListField::CRCAll, key}});
    EXPECT_EQ(rs.recordCount(), 1);
    rs.clearFilter();
    EXPECT_EQ(ui.statusText(), "");
}

TEST(FingerprintColumns, FilledWhileBuildingOrInOnePassEqualsTheColumnPasses)
{
    ScriptedServices ui;
    clsVoiceNames names;
    auto data = test::packedVoices(70);
    data[5 * 128 + 118] = 0x01;  // a name that gets repaired: fingerprints cover the stored name
    bool repaired = false;
    platform::Recordset byColumns;
    platform::Recordset whileBuilding;
    platform::Recordset onePass;
    ASSERT_FALSE(names.BuildRecordsetFromBytes(FileType::Packed, "t", byColumns, data, repaired));
    ASSERT_FALSE(names.BuildRecordsetFromBytes(FileType::Packed, "t", whileBuilding, data, repaired,
                                               Fingerprints::Fill));
    ASSERT_FALSE(names.BuildRecordsetFromBytes(FileType::Packed, "t", onePass, data, repaired));
    names.CalcCRCColumns(byColumns, false);
    names.CalcCRCColumns(byColumns, true);
    names.CalcChecksumColumns(byColumns, false);
    names.CalcChecksumColumns(byColumns, true);
    names.CalcFingerprintColumns(onePass);
    const auto rows = [](platform::Recordset& rs) {
        std::vector<std::vector<std::string>> out;
        for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
            out.emplace_back();
            for (int f = 0; f < VoiceListField::Count; ++f)
                out.back().push_back(rs.text(f));
        }
        return out;
    };
    const auto expected = rows(byColumns);
    EXPECT_EQ(rows(whileBuilding), expected);
    EXPECT_EQ(rows(onePass), expected);
    EXPECT_NE(platform::Trim(expected[5][VoiceListField::CRCAll]), "");
}

TEST(RecordsetToByteArray, LayoutAndTheEmptyList)
{
    ScriptedServices ui;
    clsVoiceNames names;
    platform::Recordset rs(voiceListFields());
    std::vector<std::uint8_t> out = {9};
    EXPECT_EQ(names.RecordsetToByteArray(rs, out, FileType::Packed), -1);
    EXPECT_EQ(out, std::vector<std::uint8_t>{9});

    // Rows that are too short or too long are laid out at the layout's exact size.
    rs.appendRecord({std::string("1"), std::string(118, 'd'), std::string("SHORT")});
    rs.appendRecord({std::string("2"), std::string(5, 'e'), std::string("LONGNAME99")});
    rs.appendRecord({std::string("3"), std::string(200, 'f'), std::string("X")});
    const std::int32_t crc = names.RecordsetToByteArray(rs, out, FileType::PackedSysex);
    ASSERT_EQ(out.size(), 3u * 128u);
    EXPECT_EQ(static_cast<std::uint32_t>(crc), crc32(out));
    EXPECT_EQ(test::str(out).substr(118, 10), "SHORT     ");
    EXPECT_EQ(test::str(out).substr(128, 118), std::string(5, 'e') + std::string(113, '\0'));
    EXPECT_EQ(test::str(out).substr(256, 118), std::string(118, 'f'));
}

TEST(SelectionTracker, ResetAndAdd)
{
    clsVoiceNames names;
    std::vector<bool> tr;
    std::int32_t count = 99;
    EXPECT_TRUE(names.TrReset(-1, 32, tr, count));
    EXPECT_EQ(count, 99);
    EXPECT_FALSE(names.TrReset(3, 32, tr, count));
    ASSERT_EQ(tr.size(), 33u);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(std::count(tr.begin(), tr.end(), true), 1);
    EXPECT_TRUE(tr[3]);

    std::int32_t end = 40;
    EXPECT_FALSE(names.TrAdd(5, end, 32, tr, count));
    EXPECT_EQ(end, 32);
    EXPECT_EQ(count, 1 + 28);
    // Adding a range that overlaps the selection counts only the new voices.
    end = 6;
    EXPECT_FALSE(names.TrAdd(1, end, 32, tr, count));
    EXPECT_EQ(count, 29 + 3);  // 1, 2 and 4 are new; 3, 5 and 6 were selected
    EXPECT_EQ(count, std::count(tr.begin(), tr.end(), true));
    end = 0;
    EXPECT_FALSE(names.TrAdd(2, end, 32, tr, count));
    EXPECT_EQ(count, 32);

    EXPECT_TRUE(names.TrAdd(33, end, 32, tr, count));
    EXPECT_TRUE(names.TrAdd(0, end, 32, tr, count));
    EXPECT_TRUE(names.TrAdd(-4, end, 32, tr, count));

    EXPECT_FALSE(names.TrReset(0, 32, tr, count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(names.TrReset(50, 32, tr, count));
    EXPECT_EQ(count, 0) << "no voice is selected, so the count says so";
    EXPECT_EQ(std::count(tr.begin(), tr.end(), true), 0);
}

TEST(SelectionTracker, AddOnATrackerSmallerThanTheListGrowsIt)
{
    clsVoiceNames names;
    std::vector<bool> tr(3, false);
    std::int32_t count = 0;
    std::int32_t end = 10;
    EXPECT_FALSE(names.TrAdd(1, end, 10, tr, count));
    EXPECT_EQ(tr.size(), 11u);
    EXPECT_EQ(count, 10);
}

}  // namespace
}  // namespace banklib
