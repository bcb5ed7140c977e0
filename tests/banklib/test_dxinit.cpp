// Brevane - the program's own bank of initial voices.
#include "banklib/InitVoice.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "platform/FileIO.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

namespace banklib {
namespace {

void expectInitVoice(const std::vector<std::uint8_t>& v)
{
    ASSERT_EQ(v.size(), kUnpackedVoiceSize);
    for (int op = 1; op <= 6; ++op) {
        const auto at = [op, &v](std::size_t p) { return v[unpackedOperatorOffset(op, p)]; };
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(at(UnpackedOp::kEgRate1 + i), 99) << "op " << op;
        EXPECT_EQ(at(UnpackedOp::kEgLevel1 + 0), 99);
        EXPECT_EQ(at(UnpackedOp::kEgLevel1 + 1), 99);
        EXPECT_EQ(at(UnpackedOp::kEgLevel1 + 2), 99);
        EXPECT_EQ(at(UnpackedOp::kEgLevel1 + 3), 0);
        EXPECT_EQ(at(UnpackedOp::kBreakPoint), 39);
        EXPECT_EQ(at(UnpackedOp::kLeftDepth), 0);
        EXPECT_EQ(at(UnpackedOp::kRightDepth), 0);
        EXPECT_EQ(at(UnpackedOp::kOutputLevel), op == 1 ? 99 : 0) << "op " << op;
        EXPECT_EQ(at(UnpackedOp::kOscMode), 0);
        EXPECT_EQ(at(UnpackedOp::kFreqCoarse), 1);
        EXPECT_EQ(at(UnpackedOp::kFreqFine), 0);
        EXPECT_EQ(at(UnpackedOp::kDetune), 7);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(v[Unpacked::kPitchEgRate1 + i], 99);
        EXPECT_EQ(v[Unpacked::kPitchEgLevel1 + i], 50);
    }
    EXPECT_EQ(v[Unpacked::kAlgorithm], 0);
    EXPECT_EQ(v[Unpacked::kFeedback], 0);
    EXPECT_EQ(v[Unpacked::kOscKeySync], 1);
    EXPECT_EQ(v[Unpacked::kLfoSpeed], 35);
    EXPECT_EQ(v[Unpacked::kLfoDelay], 0);
    EXPECT_EQ(v[Unpacked::kPitchModSens], 3);
    EXPECT_EQ(v[Unpacked::kTranspose], 24);
    EXPECT_EQ(std::string(v.begin() + Unpacked::kName, v.end()), "INIT VOICE");
}

TEST(InitBank, GeneratedFileBesideTheProgramDecodesToTheInitialVoice)
{
    platform::testing::ScriptedServices ui;
    const std::string path = BREVANE_DXINIT_DAT;
    ASSERT_EQ(clsVoiceLists::GetFileTitle(path), "DXInit.dat");
    const platform::ReadResult read = platform::readWholeFile(path);
    ASSERT_EQ(read.error, platform::FileError::None) << read.message;
    ASSERT_EQ(read.bytes.size(), 4096u);
    EXPECT_EQ(read.bytes, InitBank());

    clsVoiceLists lists;
    std::string name = path;
    FileType type = FileType::NotFound;
    ASSERT_EQ(lists.CheckFileIntegrity(name, type, false), FileCheck::Ok);
    EXPECT_EQ(type, FileType::Packed);
    clsVoiceNames names;
    platform::Recordset rs;
    ASSERT_NE(names.OpenFileAsRecordsetByt(path, "DXInit.dat", type, rs), -1);
    ASSERT_EQ(rs.recordCount(), 32);
    clsVoiceData vd;
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
        EXPECT_EQ(rs.text(VoiceListField::Names), "INIT VOICE");
        std::vector<std::uint8_t> unpacked;
        const std::string voice = rs.text(VoiceListField::Data) + rs.text(VoiceListField::Names);
        ASSERT_TRUE(vd.UnpackByt(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(voice.data()),
                                                               voice.size()),
                                 unpacked));
        expectInitVoice(unpacked);
    }
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST(InitBank, InitialVoiceValues)
{
    const auto v = InitVoice();
    expectInitVoice(std::vector<std::uint8_t>(v.begin(), v.end()));
}

}  // namespace
}  // namespace banklib
