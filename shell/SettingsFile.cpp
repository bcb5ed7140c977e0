// Brevane - reading and writing "Brevane.ini".
#include "shell/SettingsFile.h"

#include "inifile/ClassFactory.h"
#include "inifile/INIFile.h"
#include "platform/FileIO.h"
#include "platform/Services.h"
#include "shell/MidiSettingsBag.h"
#include "shell/PropertyValues.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

namespace shell {
namespace {

constexpr const char* kErrorTitle = "IniFile Error";
// Names tried for the copy of a file that did not load: "<name>.bad", then "<name>.bad.1" onwards.
constexpr int kCopyNames = 1000;

void report(const std::string& text)
{
    (void)platform::messages().messageBox(text, platform::MsgStyle::OkOnly | platform::MsgStyle::Exclamation,
                                          kErrorTitle);
}

// A failed section lookup, with the section named so the user can mend the file.
void reportMissingSection(const tavisco::Error& error, const char* section)
{
    report(error.description + "\r\nSection [" + section + "] not found.");
}

// True when something (a file, folder or link) holds the name, or when that cannot be told.
bool nameTaken(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
    return status.type() != std::filesystem::file_type::not_found;
}

// Copies the file at path to path + ".bad" (or ".bad.N" when an earlier, different copy
// holds the name); an earlier copy with the same bytes is used as it is. The copy's path,
// or an empty text with the reason in error.
std::string keepCopyOf(const std::string& path, std::string& error)
{
    const platform::ReadResult original = platform::readWholeFile(path);
    if (original.error != platform::FileError::None) {
        error = original.message;
        return {};
    }
    const auto size = static_cast<std::int64_t>(original.bytes.size());
    for (int n = 0; n < kCopyNames; ++n) {
        const std::string copy = path + ".bad" + (n == 0 ? std::string() : "." + std::to_string(n));
        if (!nameTaken(copy)) {
            std::string message;
            if (platform::writeFileAtomic(copy, original.bytes, &message) != platform::FileError::None) {
                error = message;
                return {};
            }
            return copy;
        }
        if (platform::fileSize(copy) != size)
            continue;
        const platform::ReadResult earlier = platform::readWholeFile(copy);
        if (earlier.error == platform::FileError::None && earlier.bytes == original.bytes)
            return copy;
    }
    error = "every name from " + path + ".bad to " + path + ".bad." + std::to_string(kCopyNames - 1) +
            " is taken";
    return {};
}

// The MkI DX7 (SynthID 0) has one number for its notes channel and its System Exclusive
// device number. A file holding two different ones for it is read as the device number,
// the one the instrument answered on; a series instrument keeps its two numbers.
void oneNumberForTheMkI(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi)
{
    const std::optional<tavisco::Value> synth = startUp.readProperty("SynthID");
    if (!synth || toInt32(*synth) != 0)
        return;
    const std::optional<tavisco::Value> device = midi.readProperty("MIDIDeviceNumber");
    const std::optional<tavisco::Value> channel = midi.readProperty("MIDIOutChannel");
    if (!device || !channel || toInt32(*device) == toInt32(*channel))
        return;
    (void)midi.writeProperty("MIDIOutChannel", *device);
}

}  // namespace

SettingsLoadResult SettingsFile::load(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi,
                                      RecentFileSlots& recent)
{
    m_keepBeforeSaving = false;
    m_keptCopy.clear();
    // Loading ended in an error with the file there: unless it is empty (nothing to keep),
    // it is kept before this session's settings replace it.
    auto unusable = [this](SettingsLoadResult& r) {
        r.unusable = platform::fileSize(m_path) != 0;
        m_keepBeforeSaving = r.unusable;
    };

    SettingsLoadResult result;
    tavisco::Ref<tavisco::INIFile> ini = tavisco::Create<tavisco::INIFile>();
    if (!ini) {
        result.outcome = SettingsLoad::Unreadable;
        report("Unable to load file " + m_path + ": the settings library is not available");
        return result;
    }
    const tavisco::Error loaded = ini->Load(m_path);
    if (loaded.is(tavisco::ErrorNumber::FileNotFound)) {
        result.outcome = SettingsLoad::FileMissing;
        return result;
    }
    if (loaded.failed()) {
        result.outcome = SettingsLoad::Unreadable;
        report(loaded.description);
        unusable(result);
        return result;
    }

    // The sections in order; the first one missing is reported and ends loading, what was
    // applied before it staying applied.
    const tavisco::Ref<tavisco::Sections> sections = ini->Sections();
    auto apply = [&](const char* name, auto&& use) {
        tavisco::Result<tavisco::Ref<tavisco::Section>> section = sections->Item(name);
        if (section.failed() || !section.value) {
            result.outcome = SettingsLoad::SectionMissing;
            reportMissingSection(section.error, name);
            unusable(result);
            return false;
        }
        use(*section.value);
        return true;
    };
    if (!apply(kStartUpSection, [&](tavisco::Section& s) { s.SaveToObject(startUp); }))
        return result;
    // [MIDI] is applied key by key in the file's order; the MkI's one number is settled
    // once the whole section (and SynthID, in [StartUp]) is in.
    if (!apply(kMidiSection, [&](tavisco::Section& s) {
            s.SaveToObject(midi);
            oneNumberForTheMkI(startUp, midi);
        }))
        return result;
    if (!apply(kRecentFilesSection, [&](tavisco::Section& s) {
            std::array<tavisco::Value, kRecentFileSlots> values;
            s.SaveToArray(values, kRecentFileKeyPrefix);
            for (std::size_t i = 0; i < kRecentFileSlots; ++i)
                recent[i] = values[i].toText();
        }))
        return result;
    result.outcome = SettingsLoad::Read;
    return result;
}

bool SettingsFile::save(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi, const RecentFileSlots& recent,
                        std::string* error)
{
    auto fail = [error](std::string text) {
        if (error)
            *error = std::move(text);
        return false;
    };
    // A file that went, or was emptied, since it was read leaves nothing to keep.
    if (m_keepBeforeSaving && (!nameTaken(m_path) || platform::fileSize(m_path) == 0))
        m_keepBeforeSaving = false;
    if (m_keepBeforeSaving) {
        std::string why;
        const std::string copy = keepCopyOf(m_path, why);
        if (copy.empty())
            return fail("The file could not be loaded whole when Brevane started, and no copy of it could be kept (" +
                        why + "). It has been left as it was, so the settings of this session are not saved.");
        m_keepBeforeSaving = false;
        m_keptCopy = copy;
        (void)platform::messages().messageBox(
            "The settings file " + m_path + " could not be loaded whole when Brevane started. Before this session's "
            "settings are saved in its place, it has been kept as " + copy + ".",
            platform::MsgStyle::OkOnly | platform::MsgStyle::Information, kErrorTitle);
    }
    tavisco::Ref<tavisco::INIFile> ini = tavisco::Create<tavisco::INIFile>();
    if (!ini)
        return fail("the settings library is not available");
    const tavisco::Ref<tavisco::Sections> sections = ini->Sections();

    auto added = sections->Add(kStartUpSection, "MDI initialisation");
    if (added.failed())
        return fail(added.error.description);
    added.value->LoadFromObject(startUp, kStartUpKeys);

    added = sections->Add(kRecentFilesSection, "Recent Files List");
    if (added.failed())
        return fail(added.error.description);
    std::array<tavisco::Value, kRecentFileSlots> values;
    for (std::size_t i = 0; i < kRecentFileSlots; ++i)
        values[i] = tavisco::Value(recent[i]);
    if (const tavisco::Error e = added.value->LoadFromArray(values, kRecentFileKeyPrefix, false); e.failed())
        return fail(e.description);

    added = sections->Add(kMidiSection, "ModInit Initialisation");
    if (added.failed())
        return fail(added.error.description);
    added.value->LoadFromObject(midi, kMidiSettingKeys);

    const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
    }
    if (const tavisco::Error e = ini->Save(m_path); e.failed())
        return fail(e.description);
    return true;
}

}  // namespace shell
