// Brevane - the check a received voice dump passes before it is trusted.
#include "midi/ReceivedDump.h"

#include "banklib/VoiceFormat.h"

namespace midi {
namespace {

namespace bl = banklib;

// F0 43, then sub-status 0 with any device number: the first four bytes of a voice dump.
constexpr std::size_t kDumpIntroBytes = bl::kSysexOffsetFormat + 1;

bool beginsAsDump(std::span<const std::uint8_t> message)
{
    if (message.size() < kDumpIntroBytes || message[0] != bl::kSysexStart ||
        message[bl::kSysexOffsetManufacturer] != bl::kYamahaId || (message[bl::kSysexOffsetDevice] & 0xF0) != 0)
        return false;
    const std::uint8_t format = message[bl::kSysexOffsetFormat];
    return format == bl::kFormatSingleVoice || format == bl::kFormatBulkVoices;
}

}  // namespace

bool isSingleVoiceDump(std::span<const std::uint8_t> message)
{
    return message.size() > bl::kSysexOffsetFormat && message[bl::kSysexOffsetFormat] == bl::kFormatSingleVoice;
}

std::size_t wholeDumpSize(std::span<const std::uint8_t> message)
{
    return isSingleVoiceDump(message) ? bl::kSingleVoiceDumpSize : bl::kBulkVoiceDumpSize;
}

DumpCheck CheckReceivedDump(std::span<const std::uint8_t> message)
{
    if (!beginsAsDump(message))
        return DumpCheck::NotADump;
    const bool single = isSingleVoiceDump(message);
    const std::size_t size = wholeDumpSize(message);
    if (message.size() < size)
        return DumpCheck::Incomplete;
    if (message.size() > size)
        return DumpCheck::TooLong;
    const std::uint8_t countHigh = single ? bl::kSingleCountHigh : bl::kBulkCountHigh;
    const std::uint8_t countLow = single ? bl::kSingleCountLow : bl::kBulkCountLow;
    if (message[bl::kSysexOffsetCountHigh] != countHigh || message[bl::kSysexOffsetCountLow] != countLow ||
        message[size - 1] != bl::kSysexEnd)
        return DumpCheck::WrongHeader;
    const auto data = message.subspan(bl::kSysexHeaderSize, size - bl::kSysexOverhead);
    if (message[size - bl::kSysexTrailerSize] != bl::DX7Checksum(data))
        return DumpCheck::WrongChecksum;
    return DumpCheck::Whole;
}

DumpCheck CheckCutDump(std::span<const std::uint8_t> message)
{
    if (!beginsAsDump(message))
        return DumpCheck::NotADump;
    // Without its F7 a message as long as a whole dump already holds a byte too many.
    return message.size() < wholeDumpSize(message) ? DumpCheck::Incomplete : DumpCheck::TooLong;
}

std::string DumpDamage(DumpCheck check, std::span<const std::uint8_t> message)
{
    const auto counted = [&](const char* what) {
        return std::string(what) + " (" + std::to_string(message.size()) + " of " +
               std::to_string(wholeDumpSize(message)) + " bytes)";
    };
    switch (check) {
    case DumpCheck::Incomplete: return counted("is incomplete");
    case DumpCheck::TooLong: return counted("is too long");
    case DumpCheck::WrongHeader: return "has a wrong header";
    case DumpCheck::WrongChecksum: return "has a wrong checksum";
    case DumpCheck::NotADump:
    case DumpCheck::Whole: break;
    }
    return {};
}

}  // namespace midi
