// Brevane - the settings file of the external Tamsel conversion utility and its exit codes.
#include "tools/TamselSettings.h"

#include "platform/Latin1.h"
#include "platform/VbText.h"

#include <array>
#include <charconv>
#include <vector>

namespace tools {
namespace {

using platform::kCrLf;

// Lines 6 to 36: an explanation for people who edit the file by hand.
constexpr std::array<const char*, 31> kExplanation = {
    "",
    "Note: the following information explains the above settings",
    "",
    "You can edit the settings if you are using Tamsel as a standalone application",
    "but you are strongly advised to backup important files before editing the settings",
    "",
    "Format of Tamsel.ini file",
    "",
    "Output file type : 0 for single file output,1 for multiple. ",
    "Input file type : this specifies the type of voice data contained in the DX7 format file :",
    "",
    "  0: voices are unpacked - without headers   :155 bytes per voice , 4960 bytes per bank of 32 voices",
    "  1: voices are unpacked -    with headers   :163 bytes per voice , 5216 bytes per bank of 32 voices",
    "  2: voices are packed   -  without headers  :128 bytes per voice , 4096 bytes per bank of 32 voices",
    "  3: voices are packed   -      with header  :128 bytes per voice , 4104 bytes per bank of 32 voices (128*32)+ 8",
    "",
    "  Tamsel recognises type 0-2  DX7 files that have any number of voices, but will only recognise",
    "  type 3 files that contain an exact multiple of 32 voices, ie 4104 bytes.",
    "",
    "Input File Name : the full filename in 8.3 format - no quotes.",
    "Output File Name : the full filename in 8.3 format - no quotes.",
    "",
    "Exit codes are set when Tamsel completes as follows :",
    "0  Tamsel completed with no errors",
    "1  Tamsel couldn't find or open tamsel.ini",
    "2  Tamsel couldn't get the source or output filename from tamsel.ini",
    "3  Tamsel couldn't find syinit.dat file",
    "4  Tamsel couldn't open source or dest file",
    "5  An error occured whilst Tamsel was converting voices",
    "The following code indicates Calvine could not locate or load Tamsel :",
    "6  Error locating or loading Tamsel.com",
};

constexpr std::array<const char*, 7> kExitTexts = {
    "succeeded - all voices converted",
    "failed - couldn't find or open tamsel.ini",
    "failed - couldn't get source or output filename from tamsel.ini",
    "failed - couldn't find syinit.dat file",
    "failed - couldn't open source or destination file",
    "failed - an error occured whilst converting voices",
    "failed - Tamsel couldn't be located or loaded",
};

constexpr const char* kUnknownError = "Conversion failed - unknown error";

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The first five lines at most, each without its line end.
std::vector<std::string_view> firstLines(std::string_view text, std::size_t count)
{
    std::vector<std::string_view> lines;
    while (!text.empty() && lines.size() < count) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

std::string tamselSettingsText(OutputMode mode, banklib::FileType sourceType, std::string_view sourcePath,
                               std::string_view outputPath)
{
    std::string text;
    text += "output file type=";
    text += static_cast<char>('0' + static_cast<int>(mode));
    text += kCrLf;
    text += "input file type=";
    text += static_cast<char>('0' + static_cast<int>(sourceType));
    text += kCrLf;
    text += "input file name=";
    text += sourcePath;
    text += kCrLf;
    text += "output file name=";
    text += outputPath;
    text += kCrLf;
    text += "last exit code=6";
    text += kCrLf;
    for (const char* line : kExplanation) {
        text += line;
        text += kCrLf;
    }
    return text;
}

std::string exitCodeText(std::int32_t code)
{
    if (code < 0 || code >= static_cast<std::int32_t>(kExitTexts.size()))
        return {};
    return kExitTexts[static_cast<std::size_t>(code)];
}

std::string ExitCodeReading::text() const
{
    switch (kind) {
    case Kind::Code: return exitCodeText(code);
    case Kind::Invalid: return "failed - invalid exit code (" + value + ")";
    case Kind::Unknown: break;
    }
    return "failed - unknown error";
}

std::string ExitCodeReading::failureMessage() const
{
    if (kind == Kind::Unknown)
        return kUnknownError;
    return "Conversion " + text();
}

ExitCodeReading readTamselExitCode(std::string_view settings)
{
    ExitCodeReading reading;
    const std::vector<std::string_view> lines = firstLines(settings, 5);
    if (lines.size() < 5)
        return reading;
    const std::string_view line = lines[4];
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return reading;
    const std::string_view value = trimBlanks(line.substr(eq + 1));
    reading.value = std::string(value);
    reading.kind = ExitCodeReading::Kind::Invalid;
    // A whole number: an optional sign, then digits only.
    std::string_view digits = value;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return reading;
    std::int32_t number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (value.front() == '-')
        number = -number;
    if (number < 0 || number >= static_cast<std::int32_t>(kExitTexts.size()))
        return reading;
    reading.kind = ExitCodeReading::Kind::Code;
    reading.code = number;
    return reading;
}

std::string numberedOutputName(std::string_view title, std::int32_t n)
{
    while (!title.empty() && title.back() == ' ')
        title.remove_suffix(1);
    const std::size_t letters = platform::letterCount(title);
    return platform::leftLetters(title, letters > 3 ? letters - 3 : 0) + platform::Format(n, "000");
}

std::int64_t bankBytes(banklib::FileType type)
{
    switch (type) {
    case banklib::FileType::Unpacked: return 4960;
    case banklib::FileType::UnpackedSysex: return 5216;
    case banklib::FileType::Packed: return 4096;
    case banklib::FileType::PackedSysex: return 4104;
    default: break;
    }
    return 0;
}

std::int32_t lastSetNumber(std::int64_t length, banklib::FileType type)
{
    const std::int64_t set = 2 * bankBytes(type);
    if (set == 0 || length <= 0)
        return -1;
    return static_cast<std::int32_t>((length + set - 1) / set - 1);
}

}  // namespace tools
