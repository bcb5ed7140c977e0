// Brevane - reading and writing "Brevane.ini" through the Tavisco library.
//
// The file has three sections: [StartUp] applied to the main window, [MIDI] applied to
// the MIDI settings object (both by property name), and [Recent Files] with the six
// recent-file slots. It is read once at start-up and written whole at shut-down.
#pragma once

#include "inifile/PropertyBag.h"
#include "shell/SettingsTypes.h"

#include <string>

namespace shell {

class SettingsFile {
public:
    explicit SettingsFile(std::string path) : m_path(std::move(path)) {}

    [[nodiscard]] const std::string& path() const { return m_path; }

    // Reads the file and applies [StartUp] to startUp, [MIDI] to midi and [Recent Files]
    // to recent, in that order. A property that refuses a value keeps its old one and the
    // next key is applied. A section missing from the file is reported in a message box
    // titled "IniFile Error" and loading goes on with the next one; an unreadable file is
    // reported the same way and nothing is applied.
    [[nodiscard]] SettingsLoadResult load(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi,
                                          RecentFileSlots& recent) const;

    // Writes [StartUp], [Recent Files] (all six keys, empty slots as bare keys) and [MIDI],
    // replacing the file atomically; the folder is created when missing. False when the
    // file could not be written (the old file is then left as it was).
    [[nodiscard]] bool save(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi,
                            const RecentFileSlots& recent, std::string* error = nullptr) const;

private:
    std::string m_path;
};

}  // namespace shell
