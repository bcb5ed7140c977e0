// Brevane - recognising voice bank files and received dumps.
//
// The program's registry of open voice lists (the main window's colVoiceLists, see
// VoiceListRegistry.h) relies on these checks; any code that only needs a check makes
// its own clsVoiceLists for the call.
#pragma once

#include "banklib/VoiceFormat.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace banklib {

// Result of CheckFileIntegrity. The values are pinned: they are also handed back as the
// FileType of a file that cannot be used.
enum class FileCheck : std::int32_t {
    Ok = 0,
    NotFound = -1,      // also: the user declined a file of unrecognised size
    Empty = -2,
    Unrecognised = -3,  // received data whose size fits no layout
    SyFormat = -5,      // an SY-series voice file
};

// Result of the SY-series test of one file.
enum class SyCheck : std::int16_t {
    NoFile = 0,          // the file could not be read: not an SY file
    EmptyFile = -1,
    WrongDevice = -2,    // byte 1 is not 43h
    WrongBlockName = -3, // bytes 6-15 are not "LM  8101VC"
    SyFile = 1,          // first block found; the voice block is not where expected
    SyVoiceFile = 2,     // first block followed by the voice block "LM  0040VC"
};

class clsVoiceLists {
public:
    // The layout a byte count implies, testing in this order: multiples of 155 (type 0),
    // 128 (2), 163 (1), and 4104 (3; also whole banks followed by one short bank of
    // 8 + 128·m bytes); FileType::Unrecognised otherwise.
    [[nodiscard]] static FileType GetFileType(std::int64_t lngLength);

    // Whether the data is wrapped as a whole number of single-voice dumps (type 1) or of
    // bulk dumps with an optional short last bank (type 3): every unit must start with
    // its wrapper header, F0 43 0n 00 01 1B or F0 43 0n 09 (any device number n). Returns
    // the wrapped layout, or bySize unchanged when the headers are not all there.
    [[nodiscard]] static FileType PreferWrappedLayout(std::span<const std::uint8_t> data, FileType bySize);

    // Checks a file (fname a full path; strbuf ignored) or received data (fname empty,
    // strbuf the bytes). Returns Ok with fileType 0..3, or the failure code, which is
    // also stored in fileType. Unless blnQuiet, a failure is explained in an "Error
    // Opening File" box; a file of unrecognised size always asks whether to load it
    // anyway. An empty buffer sets fname to "The buffer ". Files are only read.
    [[nodiscard]] FileCheck CheckFileIntegrity(std::string& fname, FileType& fileType, bool blnQuiet,
                                               std::string_view strbuf = {});

    // The text after the last folder separator of a path.
    [[nodiscard]] static std::string GetFileTitle(std::string_view path);

    // The SY-series test on the first bytes of a file (at least the first 4096 bytes
    // when the file has them; bytes beyond the end of a shorter file read as 0).
    // fileType becomes 0, or 1 / 2 for an SY file.
    [[nodiscard]] SyCheck CheckSYFormat(std::span<const std::uint8_t> head, FileType& fileType);

private:
    void InitSYBlockSizes();

    // Offset from the start of an SY file of the block that follows its first block,
    // indexed by byte 32 of the first block header; 0 for indexes without an entry.
    std::array<std::int16_t, 256> m_SYBlockSize{};
};

}  // namespace banklib
