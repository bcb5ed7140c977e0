// Brevane - DX7 voice and bank byte layouts.
//
// A voice exists in two layouts: unpacked (155 bytes, one byte per parameter, the
// single-voice dump order) and packed (128 bytes, the 32-voice bulk dump order where
// several small parameters share a byte). Bank files hold one of four layouts, the
// FileType codes below; two of them wrap the data in System Exclusive messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace banklib {

// ---- sizes in bytes
constexpr std::size_t kUnpackedVoiceSize = 155;
constexpr std::size_t kPackedVoiceSize = 128;
constexpr std::size_t kNameLength = 10;
constexpr std::size_t kUnpackedDataSize = kUnpackedVoiceSize - kNameLength;  // 145
constexpr std::size_t kPackedDataSize = kPackedVoiceSize - kNameLength;      // 118
constexpr std::size_t kVoicesPerBank = 32;
constexpr std::size_t kBankDataSize = kVoicesPerBank * kPackedVoiceSize;  // 4096

// ---- System Exclusive wrappers
constexpr std::size_t kSysexHeaderSize = 6;   // F0 43 0n ff hh ll
constexpr std::size_t kSysexTrailerSize = 2;  // checksum, F7
constexpr std::size_t kSysexOverhead = kSysexHeaderSize + kSysexTrailerSize;
constexpr std::size_t kSingleVoiceDumpSize = kUnpackedVoiceSize + kSysexOverhead;  // 163
constexpr std::size_t kBulkVoiceDumpSize = kBankDataSize + kSysexOverhead;         // 4104

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kYamahaId = 0x43;
constexpr std::uint8_t kFormatSingleVoice = 0x00;
constexpr std::uint8_t kFormatBulkVoices = 0x09;
// Byte count of the data, high and low 7 bits: 155 = 01h·128 + 1Bh, 4096 = 20h·128 + 00h.
constexpr std::uint8_t kSingleCountHigh = 0x01;
constexpr std::uint8_t kSingleCountLow = 0x1B;
constexpr std::uint8_t kBulkCountHigh = 0x20;
constexpr std::uint8_t kBulkCountLow = 0x00;

// Offsets inside a wrapper header.
constexpr std::size_t kSysexOffsetManufacturer = 1;
constexpr std::size_t kSysexOffsetDevice = 2;  // sub-status 0 in the high nibble, device n low
constexpr std::size_t kSysexOffsetFormat = 3;
constexpr std::size_t kSysexOffsetCountHigh = 4;
constexpr std::size_t kSysexOffsetCountLow = 5;

// ---- offsets of an unpacked voice
// Six operator blocks of 21 bytes; block b (0..5) holds operator 6 - b.
constexpr std::size_t kOperatorCount = 6;
constexpr std::size_t kUnpackedOperatorSize = 21;
namespace UnpackedOp {
constexpr std::size_t kEgRate1 = 0;  // rates 1..4 at 0..3
constexpr std::size_t kEgLevel1 = 4;  // levels 1..4 at 4..7
constexpr std::size_t kBreakPoint = 8;
constexpr std::size_t kLeftDepth = 9;
constexpr std::size_t kRightDepth = 10;
constexpr std::size_t kLeftCurve = 11;
constexpr std::size_t kRightCurve = 12;
constexpr std::size_t kRateScaling = 13;
constexpr std::size_t kAmpModSens = 14;
constexpr std::size_t kKeyVelocitySens = 15;
constexpr std::size_t kOutputLevel = 16;
constexpr std::size_t kOscMode = 17;
constexpr std::size_t kFreqCoarse = 18;
constexpr std::size_t kFreqFine = 19;
constexpr std::size_t kDetune = 20;
}  // namespace UnpackedOp
namespace Unpacked {
constexpr std::size_t kPitchEgRate1 = 126;  // rates 126..129
constexpr std::size_t kPitchEgLevel1 = 130;  // levels 130..133
constexpr std::size_t kAlgorithm = 134;
constexpr std::size_t kFeedback = 135;
constexpr std::size_t kOscKeySync = 136;
constexpr std::size_t kLfoSpeed = 137;
constexpr std::size_t kLfoDelay = 138;
constexpr std::size_t kLfoPitchModDepth = 139;
constexpr std::size_t kLfoAmpModDepth = 140;
constexpr std::size_t kLfoKeySync = 141;
constexpr std::size_t kLfoWave = 142;
constexpr std::size_t kPitchModSens = 143;
constexpr std::size_t kTranspose = 144;
constexpr std::size_t kName = 145;
}  // namespace Unpacked

// Offset of a parameter of operator op (1..6) in an unpacked voice.
constexpr std::size_t unpackedOperatorOffset(int op, std::size_t param)
{
    return static_cast<std::size_t>(6 - op) * kUnpackedOperatorSize + param;
}

// ---- layouts of a bank file or dump
// The codes are pinned: they are stored in windows, passed to MIDI code and chosen by
// index in the save dialog. The negative values are the failure codes of the file check,
// which hands them back in the same variable.
enum class FileType : std::int32_t {
    NotFound = -1,      // also: the user declined a file of unrecognised size
    Empty = -2,
    Unrecognised = -3,  // the size fits no layout
    SyFormat = -5,      // an SY-series voice file
    Unpacked = 0,       // 155 bytes per voice
    UnpackedSysex = 1,  // 163 bytes per voice, each a single-voice dump
    Packed = 2,         // 128 bytes per voice, 4096 per bank
    PackedSysex = 3,    // 4104 bytes per bank, each a bulk dump; the last bank may be short
};

constexpr bool isVoiceLayout(FileType t)
{
    return t == FileType::Unpacked || t == FileType::UnpackedSysex || t == FileType::Packed ||
           t == FileType::PackedSysex;
}
constexpr bool isPackedLayout(FileType t)
{
    return t == FileType::Packed || t == FileType::PackedSysex;
}
constexpr bool isUnpackedLayout(FileType t)
{
    return t == FileType::Unpacked || t == FileType::UnpackedSysex;
}
constexpr bool isWrappedLayout(FileType t)
{
    return t == FileType::UnpackedSysex || t == FileType::PackedSysex;
}
constexpr std::int32_t toCode(FileType t) { return static_cast<std::int32_t>(t); }

// Bytes of one voice record in the stripped data of a layout: 155 or 128, 0 for a failure code.
constexpr std::size_t voiceSizeOf(FileType t)
{
    return isUnpackedLayout(t) ? kUnpackedVoiceSize : isPackedLayout(t) ? kPackedVoiceSize : 0;
}

// The 7-bit checksum a DX7 dump carries: the negated sum of the data bytes, masked to 7 bits.
constexpr std::uint8_t DX7Checksum(std::span<const std::uint8_t> data)
{
    std::uint32_t sum = 0;
    for (std::uint8_t b : data)
        sum += b;
    return static_cast<std::uint8_t>((0u - sum) & 0x7Fu);
}

}  // namespace banklib
