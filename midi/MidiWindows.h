// Brevane - what the MIDI code needs of the windows.
//
// The MIDI Manager window (frmMIDIManager) shows the one clsMidiManagerData that keeps the
// monitor log and the System Exclusive bank slots; both live for the whole run, whether
// the window is shown or not, and MIDI input is handled all the while. The main window
// carries the MIDI menu and toolbar entries that follow the state of the ports. The
// windows implement this interface and install it with installMidiWindows(); until then
// a headless stand-in keeps the log and the slots and does nothing else.
#pragma once

#include <string>

namespace midi {

class clsMidiManagerData;

class MidiWindows {
public:
    virtual ~MidiWindows() = default;

    // ---- the MIDI Manager window
    // Loads the window (not shown) unless it is loaded.
    virtual void loadManager() = 0;
    // Unloads the window: it is hidden; its data object (log and slots) stays.
    virtual void unloadManager() = 0;
    [[nodiscard]] virtual bool managerLoaded() const = 0;
    // Shows the loaded window minimised, modeless.
    virtual void showManagerMinimised() = 0;
    virtual void setManagerCaption(const std::string& caption) = 0;
    // Enables or disables a toolbar button by its key ("Send", "Receive", "Save",
    // "Delete", "Load", "Save And Load", "Edit") or by its 1-based index.
    virtual void setManagerButtonEnabled(const std::string& key, bool enabled) = 0;
    virtual void setManagerButtonEnabled(int index, bool enabled) = 0;
    // The window's data object: monitor log and bank slots, created on first use and kept
    // for the run.
    [[nodiscard]] virtual clsMidiManagerData& managerData() = 0;

    // ---- the main window
    // Input opened (true): enable the MIDI menu entries "&Receive" and "&Options...",
    // enable and tick "&Midi Input On", enable the toolbar button "Receive Bank".
    // Input closed (false): disable "Receive Bank" and the receive entries, untick
    // "&Midi Input On".
    virtual void setInputCommands(bool inputOpen) = 0;
    // Output opened (true): enable the MIDI menu entries "&Send" and "&Options...", the
    // toolbar button "Send Bank" and the voice generator's "&Continuous " option.
    // Output closed (false): disable "Send Bank", the send entries and that option.
    virtual void setOutputCommands(bool outputOpen) = 0;
    // A dump request began (true) or ended (false) its wait for the reply: the commands
    // that must not run meanwhile (MIDI Devices) follow.
    virtual void setRequestWaiting(bool) {}
    // Whether the program is shutting down (closing ports then reports nothing).
    [[nodiscard]] virtual bool appClosing() const = 0;
};

// Windows that show nothing: what they would show of the MIDI Manager and the main window's
// commands is dropped. What is left to give is the data object and whether the window
// counts as loaded.
class SilentMidiWindows : public MidiWindows {
public:
    void showManagerMinimised() override {}
    void setManagerCaption(const std::string&) override {}
    void setManagerButtonEnabled(const std::string&, bool) override {}
    void setManagerButtonEnabled(int, bool) override {}
    void setInputCommands(bool) override {}
    void setOutputCommands(bool) override {}
    [[nodiscard]] bool appClosing() const override { return false; }
};

// The installed windows (the headless stand-in until something is installed).
[[nodiscard]] MidiWindows& windows();
// Installs windows; nullptr restores the headless stand-in. The caller keeps ownership.
void installMidiWindows(MidiWindows* w);

}  // namespace midi
