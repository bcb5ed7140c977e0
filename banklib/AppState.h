// Brevane - what the voice bank library uses of the main window (frmStartup).
//
// The main window is the program's shared state: the data folder, the recent files, the
// registry of open voice lists, the active child window, the MIDI device number written
// into wrappers. The shell installs its implementation with installAppState(); tests
// install banklib::testing::FakeAppState. Until something is installed a headless state
// is used: no windows, an empty data folder, device number 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace banklib {

class CatalogueDialogs;
class GeneratorView;
class VoiceEditorView;
class VoiceListRegistry;
class VoiceListView;

// The main window's active child: a voice editor (with the list it belongs to), a voice
// list, or neither.
struct ActiveWindow {
    VoiceListView* list = nullptr;
    VoiceEditorView* editor = nullptr;
};

class AppState {
public:
    virtual ~AppState() = default;

    // Folder of bank files, ending in a separator.
    [[nodiscard]] virtual std::string DataDirectory() const = 0;
    virtual void setDataDirectory(const std::string& folder) = 0;
    // Folder of the program, ending in a separator.
    [[nodiscard]] virtual std::string ProgramFolder() const = 0;
    // Layout index last chosen in the "Save File" dialog.
    [[nodiscard]] virtual std::int32_t SaveFileFormat() const = 0;
    virtual void setSaveFileFormat(std::int32_t layout) = 0;
    // The recent-file list, oldest first, at most six paths; setting it rebuilds the menu.
    [[nodiscard]] virtual std::vector<std::string> RecentFiles() const = 0;
    virtual void setRecentFiles(const std::vector<std::string>& paths) = 0;
    // MIDI device number 0..15 written into System Exclusive wrappers.
    [[nodiscard]] virtual std::int32_t MIDIDeviceNumber() const = 0;

    [[nodiscard]] virtual VoiceListRegistry& colVoiceLists() = 0;
    [[nodiscard]] virtual ActiveWindow activeWindow() = 0;
    [[nodiscard]] virtual GeneratorView& frmRandomiseVoices() = 0;
    [[nodiscard]] virtual CatalogueDialogs& catalogueDialogs() = 0;
};

// The installed main-window state (a headless one until something is installed).
[[nodiscard]] AppState& appState();
// Installs a state; nullptr restores the headless one. The caller keeps ownership.
void installAppState(AppState* state);

}  // namespace banklib
