// Feeds arbitrary bytes to the INI parser: parse, build, parse again.
//
// The first input byte picks the section and remark characters the first parse uses (so
// one-character, equal and empty settings are covered); the rest is the text. Checks that
// nothing crashes and every object is released. The first build may still change when read
// back (other characters, dropped text after a header); from the second build on the text
// must build back to itself, unless it holds a section with an empty name, which is written
// as a bare "[]" line that reads back as a key.
#include "FuzzSeeds.h"
#include "inifile/ClassFactory.h"
#include "inifile/INIFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kSectionChars[] = {"[]", "", "|", "||", "<>", "[", "]["};
constexpr std::string_view kRemarkChars[] = {";", "", "#;", "[", "="};

bool hasUnnamedSection(const tavisco::Ref<tavisco::INIFile>& ini)
{
    for (const auto& section : ini->Sections()->NewEnum()) {
        if (section->Name().empty())
            return true;
    }
    return false;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The program's settings file, and texts with other section and remark characters.
std::vector<fuzzseeds::Seed> seeds()
{
    const std::string settings =
        ";MDI initialisation\r\n[StartUp]\r\nLeft=1200\r\nTop=900\r\nDataDirectory=/home/user/Data/\r\n"
        "MIDIFileDirectory\r\nShowSplash=True\r\n\r\n;Recent Files List\r\n[Recent Files]\r\n"
        "File 0=/home/user/Data/DX Bank 1.syx\r\nFile 1\r\n\r\n;MIDI\r\n[MIDI]\r\nMIDIOutChannel=0\r\n"
        "MIDITimeout=5000\r\n";
    return {
        fuzzseeds::seedOf(std::string(1, '\0') + settings),
        fuzzseeds::seedOf(std::string(1, '\x09') + "#remark\n|One|\nkey=value ;not a remark\n||\n=x\n"),
        fuzzseeds::seedOf(std::string(1, '\x10') + "<Section> ; inline\r\nA=1\r\nA=2\r\n[]\r\n[\r\n]["),
    };
}

}  // namespace

BREVANE_FUZZ_SEEDS(seeds)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t selector = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    {
        auto first = tavisco::Create<tavisco::INIFile>();
        check(static_cast<bool>(first));
        first->setSectionChars(kSectionChars[selector % std::size(kSectionChars)]);
        first->setRemarkChars(kRemarkChars[(selector / std::size(kSectionChars)) % std::size(kRemarkChars)]);
        first->setText(text);
        const std::string built = first->Text();

        auto second = tavisco::Create<tavisco::INIFile>();
        second->setText(built);
        const std::string rebuilt = second->Text();
        if (!hasUnnamedSection(second)) {
            auto third = tavisco::Create<tavisco::INIFile>();
            third->setText(rebuilt);
            check(third->Text() == rebuilt);
        }
    }
    check(DllCanUnloadNow() == tavisco::Status::Ok);
    return 0;
}
