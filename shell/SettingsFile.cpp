// Brevane - reading and writing "Brevane.ini".
#include "shell/SettingsFile.h"

#include "inifile/ClassFactory.h"
#include "inifile/INIFile.h"
#include "platform/Services.h"
#include "shell/MidiSettingsBag.h"

#include <filesystem>
#include <system_error>

namespace shell {
namespace {

constexpr const char* kErrorTitle = "IniFile Error";

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

}  // namespace

SettingsLoadResult SettingsFile::load(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi,
                                      RecentFileSlots& recent) const
{
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
        return result;
    }
    result.outcome = SettingsLoad::Read;

    const tavisco::Ref<tavisco::Sections> sections = ini->Sections();
    auto apply = [&](const char* name, auto&& use) {
        tavisco::Result<tavisco::Ref<tavisco::Section>> section = sections->Item(name);
        if (section.failed() || !section.value) {
            ++result.missingSections;
            reportMissingSection(section.error, name);
            return;
        }
        use(*section.value);
    };
    apply(kStartUpSection, [&](tavisco::Section& s) { s.SaveToObject(startUp); });
    apply(kMidiSection, [&](tavisco::Section& s) { s.SaveToObject(midi); });
    apply(kRecentFilesSection, [&](tavisco::Section& s) {
        std::array<tavisco::Value, kRecentFileSlots> values;
        s.SaveToArray(values, kRecentFileKeyPrefix);
        for (std::size_t i = 0; i < kRecentFileSlots; ++i)
            recent[i] = values[i].toText();
    });
    return result;
}

bool SettingsFile::save(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi, const RecentFileSlots& recent,
                        std::string* error) const
{
    auto fail = [error](std::string text) {
        if (error)
            *error = std::move(text);
        return false;
    };
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
