// Brevane - the check a received voice dump passes before it is trusted.
//
// A System Exclusive message that begins F0 43 0n 00 (one voice) or F0 43 0n 09 (a bank
// of 32 voices) is a voice dump, for any device number n. It is whole when it is exactly
// as long as its kind (163 or 4104 bytes), its header gives the byte count of that kind
// (01 1B or 20 00), it ends with F7 and the byte before is the 7-bit checksum of its data.
// Anything else that begins so is damaged: a full buffer, a loose cable or a busy
// interface has cut, lengthened or spoiled it; so is one cut before its F7 by a status
// byte, or whose end the MIDI system lost (ended when nothing more came). Other messages
// are not dumps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace midi {

// The result of the check. The values are pinned.
enum class DumpCheck : std::int8_t {
    NotADump = 0,
    Whole = 1,
    Incomplete = 2,     // shorter than its kind
    TooLong = 3,        // longer than its kind
    WrongHeader = 4,    // the right length, but the byte count or the closing F7 is wrong
    WrongChecksum = 5,  // all else right, but the checksum does not match the data
};

[[nodiscard]] DumpCheck CheckReceivedDump(std::span<const std::uint8_t> message);
// The check of a System Exclusive message cut before its F7: when its first four bytes are
// those of a dump, Incomplete while shorter than a whole dump of its kind, else TooLong.
[[nodiscard]] DumpCheck CheckCutDump(std::span<const std::uint8_t> message);

[[nodiscard]] constexpr bool isDamaged(DumpCheck check)
{
    return check != DumpCheck::NotADump && check != DumpCheck::Whole;
}

// Whether the message is a dump of one voice (false: of a bank); meaningful for dumps only.
[[nodiscard]] bool isSingleVoiceDump(std::span<const std::uint8_t> message);
// The length of a whole dump of the message's kind: 163 or 4104.
[[nodiscard]] std::size_t wholeDumpSize(std::span<const std::uint8_t> message);

// What is wrong with a damaged dump, to follow "The dump received ": "is incomplete (2001
// of 4104 bytes)", "is too long (4200 of 4104 bytes)", "has a wrong header", "has a wrong
// checksum"; "" for a whole dump or a message that is no dump.
[[nodiscard]] std::string DumpDamage(DumpCheck check, std::span<const std::uint8_t> message);

}  // namespace midi
