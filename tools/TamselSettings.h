// Brevane - the settings file of the external Tamsel conversion utility and its exit codes.
//
// The utility takes everything from "Tamsel.ini" in its working folder: five data lines
// (output mode, source layout, source and output file as DOS paths, the exit code) and an
// explanation for people who edit the file by hand. It writes its exit code over line 5,
// which Brevane writes as code 6 ("could not be located or loaded"), so a run in which
// the utility never starts reads back as 6.
#pragma once

#include "banklib/VoiceFormat.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tools {

// The one name of the settings file, for writing and for reading back.
inline constexpr const char* kTamselSettingsFile = "Tamsel.ini";

// 0: all voice sets in one output file; 1: one output file per 64-voice set.
enum class OutputMode : std::int32_t { OneFile = 0, FilePerSet = 1 };

// The utility's exit codes (line 5 of the settings file). The values are pinned.
enum class TamselExit : std::int32_t {
    Succeeded = 0,
    NoSettingsFile = 1,
    NoFileNames = 2,
    NoSyinit = 3,
    CannotOpenFile = 4,
    ConversionError = 5,
    NotLoaded = 6,
};

// The settings file as Brevane writes it: 36 lines, each ended by CR LF. sourcePath and
// outputPath are DOS paths ("C:\SOURCE.DAT"), written without quotes.
[[nodiscard]] std::string tamselSettingsText(OutputMode mode, banklib::FileType sourceType,
                                             std::string_view sourcePath, std::string_view outputPath);

// "succeeded - all voices converted", "failed - couldn't find or open tamsel.ini", ...
// for the codes 0 to 6; "" for anything else.
[[nodiscard]] std::string exitCodeText(std::int32_t code);

// What line 5 of the settings file says after a run.
struct ExitCodeReading {
    enum class Kind {
        Code,     // a whole number 0 to 6
        Invalid,  // something after "=" that is not one of them (text holds it)
        Unknown,  // fewer than five lines, or no "=" in line 5
    };
    Kind kind = Kind::Unknown;
    std::int32_t code = -1;  // valid for Kind::Code
    std::string value;       // the text after "=" (blanks trimmed)

    [[nodiscard]] bool succeeded() const { return kind == Kind::Code && code == 0; }
    // "succeeded - all voices converted", "failed - invalid exit code (9)",
    // "failed - unknown error".
    [[nodiscard]] std::string text() const;
    // The text of the "Tamsel Conversion Failed" box: "Conversion " and text().
    [[nodiscard]] std::string failureMessage() const;
};

// Reads the exit code from the settings file's bytes. Lines may end in CR LF or LF alone
// (the utility may rewrite the file either way). Only a whole number counts: "=" followed
// by nothing, by "0.5" or by "x" is an invalid code, not a success.
[[nodiscard]] ExitCodeReading readTamselExitCode(std::string_view settings);

// The name of numbered output file n: title with trailing blanks removed, less its last
// three letters, then n as three digits ("bank.sy7", 1 -> "bank.001").
[[nodiscard]] std::string numberedOutputName(std::string_view title, std::int32_t n);

// Bytes of one 32-voice bank in a layout: 4960, 5216, 4096 or 4104; 0 for no layout.
[[nodiscard]] std::int64_t bankBytes(banklib::FileType type);

// Number of 64-voice sets in a source file of length bytes, less one: the number of the
// last numbered output file. 15,500 bytes of unpacked voices (100 voices) give 1.
// -1 for an empty file or no layout.
[[nodiscard]] std::int32_t lastSetNumber(std::int64_t length, banklib::FileType type);

}  // namespace tools
