// Brevane - the DX7 voice codec, checksums and CRC-32.
#include "BankTestSupport.h"

#include "banklib/Crc32.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"

#include <gtest/gtest.h>

namespace banklib {
namespace {

using test::randomVoice;

std::vector<std::uint8_t> packed(const std::array<std::uint8_t, kUnpackedVoiceSize>& v)
{
    clsVoiceData vd;
    std::vector<std::uint8_t> out;
    vd.PackByt(v, out);
    return out;
}

TEST(Codec, EveryParameterSurvivesPackAndUnpackAtEachOfItsValues)
{
    // Walk every parameter through all its legal values, one at a time, on a voice whose
    // other parameters sit at their maxima (so a spill into a neighbour would show).
    const auto max = test::parameterMaxima();
    clsVoiceData vd;
    for (std::size_t p = 0; p < kUnpackedVoiceSize; ++p) {
        for (int value = 0; value <= max[p]; ++value) {
            auto voice = max;
            voice[p] = static_cast<std::uint8_t>(value);
            std::vector<std::uint8_t> back;
            ASSERT_TRUE(vd.UnpackByt(packed(voice), back));
            ASSERT_EQ(back, std::vector<std::uint8_t>(voice.begin(), voice.end()))
                << "parameter offset " << p << " value " << value;
        }
    }
}

TEST(Codec, RandomVoicesRoundTripThroughBothForms)
{
    std::mt19937 rng(42);
    clsVoiceData vd;
    for (int i = 0; i < 500; ++i) {
        const auto v = randomVoice(rng);
        const std::string unpacked(v.begin(), v.end());
        const std::string p = vd.Pack(unpacked);
        ASSERT_EQ(p.size(), kPackedVoiceSize);
        EXPECT_EQ(test::str(packed(v)), p);
        EXPECT_EQ(vd.Unpack(p), unpacked);
    }
}

TEST(Codec, KnownBitPositions)
{
    std::array<std::uint8_t, kUnpackedVoiceSize> v{};
    v[UnpackedOp::kDetune] = 7;       // operator block 0 (operator 6)
    v[UnpackedOp::kRateScaling] = 3;
    v[Unpacked::kFeedback] = 5;
    v[Unpacked::kOscKeySync] = 1;
    v[Unpacked::kLfoKeySync] = 1;
    v[Unpacked::kLfoWave] = 4;
    v[Unpacked::kPitchModSens] = 7;
    v[unpackedOperatorOffset(1, UnpackedOp::kOscMode)] = 1;   // operator 1 is block 5
    v[unpackedOperatorOffset(1, UnpackedOp::kFreqCoarse)] = 31;
    const auto p = packed(v);
    EXPECT_EQ(p[12], 7 * 8 + 3);
    EXPECT_EQ(p[111], 5 | 8);
    EXPECT_EQ(p[116], 1 | (4 << 1) | (7 << 4));
    EXPECT_EQ(p[5 * 17 + 15], 1 | (31 << 1));
}

TEST(Codec, UnpackingIgnoresUncoveredBitsAndDoesNotClampTheWave)
{
    std::vector<std::uint8_t> p(kPackedVoiceSize, 0);
    p[111] = 0xFF;  // feedback 7, key sync 1, bits 4-7 unused
    p[116] = 0x7F;
    clsVoiceData vd;
    std::vector<std::uint8_t> u;
    ASSERT_TRUE(vd.UnpackByt(p, u));
    EXPECT_EQ(u[Unpacked::kFeedback], 7);
    EXPECT_EQ(u[Unpacked::kOscKeySync], 1);
    EXPECT_EQ(u[Unpacked::kLfoKeySync], 1);
    EXPECT_EQ(u[Unpacked::kLfoWave], 7);
    EXPECT_EQ(u[Unpacked::kPitchModSens], 7);
    std::vector<std::uint8_t> again;
    vd.PackByt(u, again);
    EXPECT_EQ(again[111], 0x0F) << "bits no field covers are cleared by packing";
}

TEST(Codec, OutOfRangeValuesAreMaskedToTheirField)
{
    // Real banks hold such values; they must not spill into the neighbouring field.
    std::array<std::uint8_t, kUnpackedVoiceSize> v{};
    v[UnpackedOp::kLeftCurve] = 0xFF;  // 2 bits wide
    v[UnpackedOp::kRightCurve] = 0;
    v[UnpackedOp::kRateScaling] = 9;  // 3 bits wide
    v[UnpackedOp::kDetune] = 0;
    v[Unpacked::kFeedback] = 15;  // 3 bits wide
    v[Unpacked::kOscKeySync] = 0;
    const auto p = packed(v);
    EXPECT_EQ(p[11], 0x03);
    EXPECT_EQ(p[12], 0x01);
    EXPECT_EQ(p[111], 0x07);
}

TEST(Codec, NameBytesPassUnchangedInBothDirections)
{
    std::array<std::uint8_t, kUnpackedVoiceSize> v{};
    const std::uint8_t name[kNameLength] = {0x00, 0x01, 0x1F, 0x7F, 0x80, 0xA5, 0xFF, 'A', '\'', ' '};
    std::copy(std::begin(name), std::end(name), v.begin() + Unpacked::kName);
    const auto p = packed(v);
    EXPECT_TRUE(std::equal(std::begin(name), std::end(name), p.begin() + 118));
    clsVoiceData vd;
    std::vector<std::uint8_t> u;
    ASSERT_TRUE(vd.UnpackByt(p, u));
    EXPECT_TRUE(std::equal(std::begin(name), std::end(name), u.begin() + Unpacked::kName));
}

TEST(Codec, WrongLengthsAreRefusedOrPadded)
{
    clsVoiceData vd;
    EXPECT_EQ(vd.Unpack(std::string(127, 'a')), "");
    EXPECT_EQ(vd.Unpack(std::string(129, 'a')), "");
    std::vector<std::uint8_t> out = {1, 2, 3};
    EXPECT_FALSE(vd.UnpackByt(std::vector<std::uint8_t>(127, 0), out));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3})) << "a refused input leaves the output alone";

    std::vector<std::uint8_t> big(500, 9);
    EXPECT_TRUE(vd.PackByt(std::vector<std::uint8_t>(155, 0), big));
    EXPECT_EQ(big.size(), kPackedVoiceSize);
    // A short voice packs with the missing positions read as 0, never past its end.
    const std::string shortPack = vd.Pack("\x63\x63");
    ASSERT_EQ(shortPack.size(), kPackedVoiceSize);
    EXPECT_EQ(static_cast<std::uint8_t>(shortPack[0]), 99);
    EXPECT_EQ(shortPack.substr(2), std::string(126, '\0'));
}

TEST(Codec, VoiceLengthPerLayout)
{
    EXPECT_EQ(clsVoiceData::GetVoiceLength(FileType::Unpacked), 155);
    EXPECT_EQ(clsVoiceData::GetVoiceLength(FileType::UnpackedSysex), 163);
    EXPECT_EQ(clsVoiceData::GetVoiceLength(FileType::Packed), 128);
    EXPECT_EQ(clsVoiceData::GetVoiceLength(FileType::PackedSysex), 128);
    EXPECT_EQ(clsVoiceData::GetVoiceLength(static_cast<FileType>(4)), -1);
    EXPECT_EQ(clsVoiceData::GetVoiceLength(FileType::NotFound), -1);
}

TEST(Checksum, Dx7Rule)
{
    EXPECT_EQ(clsVoiceData::CalcChecksum("abc", 1, 3), 90);
    EXPECT_EQ(clsVoiceData::CalcChecksum("", 1, 0), 0);
    EXPECT_EQ(DX7Checksum(std::vector<std::uint8_t>{100, 28}), 0) << "a sum that is a multiple of 128";
    clsVoiceNames names;
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::int32_t sum = 0;
    EXPECT_EQ(names.CalcChecksum("abc", first, last, true, sum), 90);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 3);
    EXPECT_EQ(sum, 294);
    first = 2;
    last = 99;
    EXPECT_EQ(names.CalcChecksum("abc", first, last, true, sum), (-(98 + 99)) & 127);
}

TEST(Crc32, StandardCheckValues)
{
    clsVoiceNames names;
    EXPECT_EQ(names.CalcCRC32("123456789", true), -873187034);
    EXPECT_EQ(static_cast<std::uint32_t>(names.CalcCRC32("123456789", true)), 0xCBF43926u);
    EXPECT_EQ(names.CalcCRC32("", true), 0);
    const std::string digits = "123456789";
    std::int32_t crc = 0;
    EXPECT_EQ(clsVoiceNames::CalcCRC32Byt(test::bytesOfString(digits), crc), -873187034);
    EXPECT_EQ(crc32(std::string("The quick brown fox jumps over the lazy dog")), 0x414FA339u);
}

TEST(Crc32, IncrementalEqualsWholeForEveryLength)
{
    std::mt19937 rng(3);
    std::vector<std::uint8_t> data(300);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng());
    for (std::size_t n = 0; n <= data.size(); ++n) {
        // Reference: the plain byte-at-a-time form.
        std::uint32_t ref = 0xFFFFFFFFu;
        for (std::size_t i = 0; i < n; ++i) {
            ref ^= data[i];
            for (int k = 0; k < 8; ++k)
                ref = (ref & 1u) ? (ref >> 1) ^ 0xEDB88320u : ref >> 1;
        }
        ref = ~ref;
        const std::span<const std::uint8_t> all(data.data(), n);
        ASSERT_EQ(crc32(all), ref) << n;
        Crc32 split;
        split.update(all.first(n / 3));
        split.update(all.subspan(n / 3));
        ASSERT_EQ(split.value(), ref) << n;
    }
}

}  // namespace
}  // namespace banklib
