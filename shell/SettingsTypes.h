// Brevane - the settings file's sections, keys and recent-file slots.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace shell {

constexpr std::size_t kRecentFileSlots = 6;

// Recent files: slot 0 is listed first; an empty slot holds no file.
using RecentFileSlots = std::array<std::string, kRecentFileSlots>;

// The keys of the [StartUp] section, in the order they are written.
inline const std::array<std::string, 8> kStartUpKeys = {
    "Left", "Top", "Width", "Height", "DataDirectory", "MIDIFileDirectory", "ShowSplash", "SynthID"};

inline constexpr const char* kStartUpSection = "StartUp";
inline constexpr const char* kRecentFilesSection = "Recent Files";
inline constexpr const char* kMidiSection = "MIDI";
inline constexpr const char* kRecentFileKeyPrefix = "File ";

enum class SettingsLoad : int {
    Read = 0,            // the file was read and its three sections applied
    FileMissing = 1,     // there is no settings file: nothing applied, nothing shown
    Unreadable = 2,      // the file is there but could not be read: reported, nothing applied
    SectionMissing = 3,  // a section is missing: reported, the sections before it stay applied
};

struct SettingsLoadResult {
    SettingsLoad outcome = SettingsLoad::FileMissing;
    // The file is there and not empty, but its loading ended in an error (it could not be
    // read, or a section is missing): it is kept beside itself before it is saved over.
    bool unusable = false;
};

}  // namespace shell
