// Brevane - System Exclusive wrappers and layout conversion of bank data.
#include "BankTestSupport.h"

#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

namespace banklib {
namespace {

using platform::testing::ScriptedServices;

TEST(AddWrapper, SingleVoiceCarriesTheDeviceNumberAndChecksum)
{
    ScriptedServices ui;
    testing::FakeAppState app;
    app.deviceNumber = 3;
    const auto voice = test::unpackedVoices(1);
    clsVoiceNames names;
    const std::string dump = names.AddWrapper(test::str(voice), FileType::UnpackedSysex);
    ASSERT_EQ(dump.size(), 163u);
    EXPECT_EQ(dump.substr(0, 6), std::string("\xF0\x43\x03\x00\x01\x1B", 6));
    EXPECT_EQ(dump.substr(6, 155), test::str(voice));
    EXPECT_EQ(static_cast<std::uint8_t>(dump[161]), DX7Checksum(voice));
    EXPECT_EQ(static_cast<std::uint8_t>(dump[162]), 0xF7);

    const auto bank = test::packedVoices(32);
    const std::string bulk = names.AddWrapper(test::str(bank), FileType::PackedSysex);
    ASSERT_EQ(bulk.size(), 4104u);
    EXPECT_EQ(bulk.substr(0, 6), std::string("\xF0\x43\x03\x09\x20\x00", 6));
    EXPECT_EQ(static_cast<std::uint8_t>(bulk[4102]), DX7Checksum(bank));
}

TEST(Wrappers, FortyPackedVoicesMakeABankAndAShortBank)
{
    ScriptedServices ui;
    const auto data = test::packedVoices(40);
    clsVoiceNames names;
    std::vector<std::uint8_t> wrapped;
    EXPECT_FALSE(names.AddWrappersByt(data, wrapped, FileType::PackedSysex));
    ASSERT_EQ(wrapped.size(), 5136u);
    for (std::size_t bank : {0u, 1u}) {
        const std::size_t at = bank * 4104;
        EXPECT_EQ(wrapped[at], 0xF0);
        EXPECT_EQ(wrapped[at + 3], 0x09);
        EXPECT_EQ(wrapped[at + 4], 0x20) << "a short bank keeps the full byte count";
        EXPECT_EQ(wrapped[at + 5], 0x00);
    }
    const std::span<const std::uint8_t> second(data.data() + 4096, 8 * 128);
    EXPECT_EQ(wrapped[5134], DX7Checksum(second));
    EXPECT_EQ(wrapped[5135], 0xF7);

    std::vector<std::uint8_t> stripped;
    EXPECT_FALSE(names.StripHeadersByt(wrapped, FileType::PackedSysex, stripped));
    EXPECT_EQ(stripped, data);
}

TEST(Wrappers, SingleVoiceFilesWrapAndStrip)
{
    ScriptedServices ui;
    const auto data = test::unpackedVoices(10);
    clsVoiceNames names;
    std::vector<std::uint8_t> wrapped;
    names.AddWrappersByt(data, wrapped, FileType::UnpackedSysex);
    ASSERT_EQ(wrapped.size(), 1630u);
    std::vector<std::uint8_t> stripped;
    names.StripHeadersByt(wrapped, FileType::UnpackedSysex, stripped);
    EXPECT_EQ(stripped.size(), 1550u);
    EXPECT_EQ(stripped, data);
    // Bare layouts are copied as they are.
    names.StripHeadersByt(data, FileType::Unpacked, stripped);
    EXPECT_EQ(stripped, data);
}

TEST(Wrappers, StrippingCutDataNeverReadsPastItsEnd)
{
    ScriptedServices ui;
    clsVoiceNames names;
    std::vector<std::uint8_t> wrapped;
    names.AddWrappersByt(test::packedVoices(64), wrapped, FileType::PackedSysex);
    struct Case {
        std::size_t size;
        std::size_t stripped;
    };
    const Case cases[] = {
        {4104 + 100, 4096 + 92},  // a cut second bank gives what it holds but its last 2 bytes
        {4104 + 5, 4096},         // a rest shorter than a header gives nothing
        {4104 + 8, 4096},
        {3000, 2992},
        {4, 0},
        {0, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> cut(wrapped.begin(), wrapped.begin() + static_cast<std::ptrdiff_t>(c.size));
        std::vector<std::uint8_t> out;
        names.StripHeadersByt(cut, FileType::PackedSysex, out);
        EXPECT_EQ(out.size(), c.stripped) << c.size;
    }
    std::vector<std::uint8_t> singles;
    names.AddWrappersByt(test::unpackedVoices(3), singles, FileType::UnpackedSysex);
    std::vector<std::uint8_t> out;
    singles.resize(2 * 163 + 100);  // the third unit more than half there
    names.StripHeadersByt(singles, FileType::UnpackedSysex, out);
    EXPECT_EQ(out.size(), 2 * 155 + 94u);
    singles.resize(2 * 163 + 20);  // less than half: dropped
    names.StripHeadersByt(singles, FileType::UnpackedSysex, out);
    EXPECT_EQ(out.size(), 2 * 155u);
}

TEST(Wrappers, StringFormHandlesAShortLastBank)
{
    ScriptedServices ui;
    clsVoiceNames names;
    const auto data = test::packedVoices(40);
    std::vector<std::uint8_t> wrapped;
    names.AddWrappersByt(data, wrapped, FileType::PackedSysex);
    FileType type = FileType::PackedSysex;
    EXPECT_EQ(names.stripheaders(test::str(wrapped), type, false), test::str(data));
    EXPECT_EQ(type, FileType::PackedSysex);
    EXPECT_EQ(names.stripheaders(test::str(wrapped), type, true), test::str(data));
    EXPECT_EQ(type, FileType::Packed);
    type = FileType::UnpackedSysex;
    (void)names.stripheaders(std::string(163, '\0'), type, true);
    EXPECT_EQ(type, FileType::Unpacked);
}

TEST(Restructure, ConvertsBetweenPackedAndUnpackedOnly)
{
    ScriptedServices ui;
    clsVoiceNames names;
    const auto unpacked = test::unpackedVoices(32);
    std::vector<std::uint8_t> buf = unpacked;
    names.RestructureFileBufferByt(buf, FileType::Unpacked, FileType::Packed);
    ASSERT_EQ(buf.size(), 4096u);
    clsVoiceData vd;
    for (std::size_t v = 0; v < 32; ++v) {
        std::vector<std::uint8_t> one;
        vd.PackByt(std::span<const std::uint8_t>(unpacked.data() + v * 155, 155), one);
        ASSERT_TRUE(std::equal(one.begin(), one.end(), buf.begin() + static_cast<std::ptrdiff_t>(v * 128)));
    }
    names.RestructureFileBufferByt(buf, FileType::PackedSysex, FileType::UnpackedSysex);
    EXPECT_EQ(buf, unpacked);

    for (auto [from, to] : {std::pair{FileType::UnpackedSysex, FileType::Unpacked},
                            std::pair{FileType::PackedSysex, FileType::Packed},
                            std::pair{FileType::Packed, FileType::NotFound}}) {
        std::vector<std::uint8_t> same = unpacked;
        names.RestructureFileBufferByt(same, from, to);
        EXPECT_EQ(same, unpacked);
    }
}

TEST(Restructure, ReportsBanksAndAFractionalTotal)
{
    ScriptedServices ui;
    clsVoiceNames names;
    std::vector<std::uint8_t> buf = test::unpackedVoices(10);
    names.RestructureFileBufferByt(buf, FileType::Unpacked, FileType::Packed);
    EXPECT_EQ(buf.size(), 1280u);
    bool seen = false;
    for (const auto& s : ui.statusHistory())
        seen = seen || s.text == "Please Wait - Converting Bank 1 of .3125";
    EXPECT_TRUE(seen);
    EXPECT_EQ(ui.statusText(), "");
    EXPECT_FALSE(ui.busy());
}

TEST(VoiceSizeForType, Sizes)
{
    std::int32_t size = 0;
    clsVoiceNames::VoiceSizeForType(FileType::UnpackedSysex, size);
    EXPECT_EQ(size, 155);
    clsVoiceNames::VoiceSizeForType(FileType::PackedSysex, size);
    EXPECT_EQ(size, 128);
    clsVoiceNames::VoiceSizeForType(FileType::Empty, size);
    EXPECT_EQ(size, -1);
}

}  // namespace
}  // namespace banklib
