// The patch generator: ranges, variance, the base voice, packed and unpacked sources.
#include "tools/clsPatchGenerator.h"

#include "../banklib/BankTestSupport.h"

#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using banklib::Unpacked::kAlgorithm;
using tools::clsPatchGenerator;
using tools::GeneratorSource;
using tools::GroupPosition;
using tools::kBodySize;
using tools::kGroupCount;

constexpr int kDraws = 400;

GeneratorSource sourceOf(const tools::UnpackedVoiceBytes& voice, bool allGroups)
{
    GeneratorSource s;
    s.listKey = "L0001";
    s.voice = voice;
    s.groups.fill(allGroups);
    return s;
}

std::uint8_t at(const std::string& body, std::size_t p) { return static_cast<std::uint8_t>(body[p]); }

// The 0-based parameter of operator op (1..6) and its place in an operator block.
constexpr std::size_t op(int n, std::size_t param) { return banklib::unpackedOperatorOffset(n, param); }

TEST(PatchGeneratorTest, ParametersBelongToTheirGroups)
{
    // Operator 6 comes first in a voice and owns positions 31..36.
    EXPECT_EQ(GroupPosition(op(6, banklib::UnpackedOp::kEgRate1)), 31);
    EXPECT_EQ(GroupPosition(op(1, banklib::UnpackedOp::kEgLevel1 + 3)), 2);
    EXPECT_EQ(GroupPosition(op(1, banklib::UnpackedOp::kRightCurve)), 3);
    EXPECT_EQ(GroupPosition(op(1, banklib::UnpackedOp::kOutputLevel)), 4);
    EXPECT_EQ(GroupPosition(op(2, banklib::UnpackedOp::kKeyVelocitySens)), 11);
    EXPECT_EQ(GroupPosition(op(3, banklib::UnpackedOp::kDetune)), 18);
    EXPECT_EQ(GroupPosition(kAlgorithm), 37);
    EXPECT_EQ(GroupPosition(banklib::Unpacked::kPitchEgRate1), 38);
    EXPECT_EQ(GroupPosition(banklib::Unpacked::kPitchEgLevel1 + 3), 39);
    EXPECT_EQ(GroupPosition(banklib::Unpacked::kLfoWave), 40);
    EXPECT_EQ(GroupPosition(banklib::Unpacked::kPitchModSens), 40);
    EXPECT_EQ(GroupPosition(banklib::Unpacked::kFeedback), 41);
    EXPECT_EQ(GroupPosition(banklib::Unpacked::kOscKeySync), 42);
    EXPECT_EQ(GroupPosition(banklib::Unpacked::kTranspose), 43);
    EXPECT_EQ(GroupPosition(banklib::Unpacked::kName), 0);
    // Every group owns at least one parameter.
    std::set<int> used;
    for (std::size_t p = 0; p < kBodySize; ++p)
        used.insert(GroupPosition(p));
    EXPECT_EQ(used.size(), static_cast<std::size_t>(kGroupCount));
}

TEST(PatchGeneratorTest, NarrowingPullsTowardTheBaseAndRoundsHalvesToEven)
{
    EXPECT_EQ(clsPatchGenerator::NarrowRange(20, 20, 60, 50), std::make_pair(20, 40));
    EXPECT_EQ(clsPatchGenerator::NarrowRange(20, 20, 60, 100), std::make_pair(20, 60));
    EXPECT_EQ(clsPatchGenerator::NarrowRange(20, 20, 60, 0), std::make_pair(20, 20));
    EXPECT_EQ(clsPatchGenerator::NarrowRange(10, 50, 50, 50), std::make_pair(30, 30));
    // 2.5 rounds to 2, 3.5 to 4.
    EXPECT_EQ(clsPatchGenerator::NarrowRange(0, 0, 5, 50), std::make_pair(0, 2));
    EXPECT_EQ(clsPatchGenerator::NarrowRange(0, 0, 7, 50), std::make_pair(0, 4));
    // 30 % of a span of 10 is exactly 3, not 2.9999.
    EXPECT_EQ(clsPatchGenerator::NarrowRange(0, 0, 10, 30), std::make_pair(0, 3));
}

TEST(PatchGeneratorTest, NoSourceMakesNoVoice)
{
    clsPatchGenerator generator(1);
    EXPECT_EQ(generator.CreateNewPatch({}, 50), "");
}

TEST(PatchGeneratorTest, OneSourceAtNoVarianceIsCopied)
{
    std::mt19937 rng(3);
    const auto voice = banklib::test::randomVoice(rng);
    const std::vector<GeneratorSource> sources = {sourceOf(voice, true)};
    clsPatchGenerator generator(11);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(generator.CreateNewPatch(sources, 0), std::string(voice.begin(), voice.begin() + kBodySize));
}

TEST(PatchGeneratorTest, OneSourceAtFullVarianceRangesOverEveryValueItMayHold)
{
    std::mt19937 rng(5);
    const std::vector<GeneratorSource> sources = {sourceOf(banklib::test::randomVoice(rng), true)};
    clsPatchGenerator generator(12);
    std::array<int, kBodySize> lowest{};
    std::array<int, kBodySize> highest{};
    lowest.fill(255);
    // Enough draws that each end of a 0..99 range is met (seeded: the same every run).
    for (int d = 0; d < 3000; ++d) {
        const std::string body = generator.CreateNewPatch(sources, 100);
        ASSERT_EQ(body.size(), kBodySize);
        for (std::size_t p = 0; p < kBodySize; ++p) {
            ASSERT_LE(at(body, p), banklib::clsVoiceData::ParameterMaximum(p)) << "parameter " << p;
            lowest[p] = std::min<int>(lowest[p], at(body, p));
            highest[p] = std::max<int>(highest[p], at(body, p));
        }
    }
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(highest[op(n, banklib::UnpackedOp::kKeyVelocitySens)], 7) << "key velocity sensitivity tops at 7";
    for (std::size_t p = 0; p < kBodySize; ++p) {
        EXPECT_EQ(lowest[p], 0) << "parameter " << p;
        EXPECT_EQ(highest[p], banklib::clsVoiceData::ParameterMaximum(p)) << "parameter " << p;
    }
}

class TwoSourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tools::UnpackedVoiceBytes a{};
        tools::UnpackedVoiceBytes b{};
        a[kOutput] = 20;
        b[kOutput] = 60;
        a[kAlgorithm] = 10;
        b[kAlgorithm] = 20;
        sources = {sourceOf(a, false), sourceOf(b, false)};
    }
    std::set<int> valuesOf(std::size_t p, int percent)
    {
        std::set<int> seen;
        for (int d = 0; d < kDraws; ++d)
            seen.insert(at(generator.CreateNewPatch(sources, percent), p));
        return seen;
    }
    static constexpr std::size_t kOutput = op(1, banklib::UnpackedOp::kOutputLevel);
    std::vector<GeneratorSource> sources;
    clsPatchGenerator generator{21};
};

TEST_F(TwoSourcesTest, TheVoicesSpanTheRangeAndTheVariancePullsItTowardTheBase)
{
    sources[0].groups[GroupPosition(kOutput) - 1] = true;
    sources[1].groups[GroupPosition(kOutput) - 1] = true;
    const std::set<int> full = valuesOf(kOutput, 100);
    EXPECT_EQ(*full.begin(), 20);
    EXPECT_EQ(*full.rbegin(), 60);
    const std::set<int> half = valuesOf(kOutput, 50);
    EXPECT_EQ(*half.begin(), 20);
    EXPECT_EQ(*half.rbegin(), 40);
    EXPECT_EQ(valuesOf(kOutput, 0), std::set<int>{20});
}

TEST_F(TwoSourcesTest, AGroupTickedOnlyInTheSecondVoiceIsPulledFromItTowardTheBase)
{
    sources[1].voice[kAlgorithm] = 50;  // above the last algorithm: counts as 31
    sources[0].voice[kOutput] = 10;
    sources[1].voice[kOutput] = 50;
    sources[1].groups[GroupPosition(kOutput) - 1] = true;
    sources[1].groups[GroupPosition(kAlgorithm) - 1] = true;
    EXPECT_EQ(valuesOf(kOutput, 50), std::set<int>{30});
    // 10 + (31 - 10) / 2 = 20.5, a half: the even 20.
    EXPECT_EQ(valuesOf(kAlgorithm, 50), std::set<int>{20});
}

TEST_F(TwoSourcesTest, AGroupTickedNowhereKeepsTheBaseVoice)
{
    // Every group of the second voice is ticked, none of the first's; the output level of
    // operator 1 is ticked nowhere.
    sources[1].groups.fill(true);
    sources[1].groups[GroupPosition(kOutput) - 1] = false;
    for (int d = 0; d < 50; ++d)
        EXPECT_EQ(at(generator.CreateNewPatch(sources, 100), kOutput), 20);
}

TEST(PatchGeneratorTest, ValuesAboveTheTableCountAsItsMaximum)
{
    tools::UnpackedVoiceBytes voice{};
    const std::size_t kvs = op(4, banklib::UnpackedOp::kKeyVelocitySens);
    voice[kvs] = 99;
    voice[kAlgorithm] = 127;
    const std::vector<GeneratorSource> sources = {sourceOf(voice, true), sourceOf(voice, true)};
    clsPatchGenerator generator(4);
    const std::string body = generator.CreateNewPatch(sources, 100);
    EXPECT_EQ(at(body, kvs), 7);
    EXPECT_EQ(at(body, kAlgorithm), 31);
    // Untouched groups too: the new voice loads without a range warning.
    const std::vector<GeneratorSource> untouched = {sourceOf(voice, false)};
    EXPECT_EQ(at(generator.CreateNewPatch(untouched, 100), kvs), 7);
}

TEST(PatchGeneratorTest, PackedAndUnpackedListsGiveTheSameSourceVoice)
{
    const std::vector<std::uint8_t> packed = banklib::test::packedVoices(3, 17);
    banklib::clsVoiceNames names;
    platform::Recordset packedList;
    platform::Recordset unpackedList;
    bool repaired = false;
    ASSERT_FALSE(names.BuildRecordsetFromBytes(banklib::FileType::Packed, "p.dat", packedList, packed, repaired));
    std::vector<std::uint8_t> unpacked = packed;
    ASSERT_FALSE(names.RestructureFileBufferByt(unpacked, banklib::FileType::Packed, banklib::FileType::Unpacked));
    ASSERT_FALSE(names.BuildRecordsetFromBytes(banklib::FileType::Unpacked, "u.dat", unpackedList, unpacked, repaired));

    packedList.setAbsolutePosition(2);
    unpackedList.setAbsolutePosition(2);
    tools::UnpackedVoiceBytes fromPacked{};
    tools::UnpackedVoiceBytes fromUnpacked{};
    ASSERT_TRUE(tools::ReadSourceVoice(packedList, packedList.bookmark(), fromPacked));
    ASSERT_TRUE(tools::ReadSourceVoice(unpackedList, unpackedList.bookmark(), fromUnpacked));
    EXPECT_EQ(fromPacked, fromUnpacked);
    EXPECT_EQ(std::string(fromPacked.begin() + banklib::Unpacked::kName, fromPacked.end()), "VOICE 0002");

    clsPatchGenerator a(9);
    clsPatchGenerator b(9);
    const std::vector<GeneratorSource> p = {sourceOf(fromPacked, true)};
    const std::vector<GeneratorSource> u = {sourceOf(fromUnpacked, true)};
    EXPECT_EQ(a.CreateNewPatch(p, 60), b.CreateNewPatch(u, 60));

    // A record that has gone is no source.
    const platform::Bookmark gone = packedList.bookmark();
    packedList.deleteCurrent();
    EXPECT_FALSE(tools::ReadSourceVoice(packedList, gone, fromPacked));
}

}  // namespace
