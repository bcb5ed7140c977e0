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
    // next key is applied. The first error ends loading with one message box titled
    // "IniFile Error": an unreadable file applies nothing, a missing section leaves the
    // sections before it applied and the ones after it unread. A missing file is no error.
    // A file whose loading ended in an error (see SettingsLoadResult::unusable) is kept
    // before the first save over it. For the MkI DX7 (SynthID 0) a MIDIOutChannel that
    // differs from MIDIDeviceNumber takes the device number.
    [[nodiscard]] SettingsLoadResult load(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi,
                                          RecentFileSlots& recent);

    // Writes [StartUp], [Recent Files] (all six keys, empty slots as bare keys) and [MIDI],
    // replacing the file atomically; the folder is created when missing. False when the
    // file could not be written (the old file is then left as it was).
    // The first save after a load that ended in an error first copies the file to
    // "<name>.bad" beside it ("<name>.bad.1", ... when an earlier, different copy holds
    // that name; an earlier copy with the same bytes is kept as the copy) and says where
    // in a message box. When no copy can be made the file is left as it was and false
    // returned.
    [[nodiscard]] bool save(tavisco::PropertyBag& startUp, tavisco::PropertyBag& midi,
                            const RecentFileSlots& recent, std::string* error = nullptr);

    // Where the file that did not load was kept; empty until a save has kept it.
    [[nodiscard]] const std::string& keptCopy() const { return m_keptCopy; }

private:
    std::string m_path;
    bool m_keepBeforeSaving = false;
    std::string m_keptCopy;
};

}  // namespace shell
