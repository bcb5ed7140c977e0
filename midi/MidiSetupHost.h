// Brevane - what the MIDI start-up needs of the windows.
//
// InitialiseMIDI (clsMIDIInit) lists the devices, asks the user through five small
// windows and detects the synthesizer; it reaches the main window's synthesizer type
// and interruption flag and those windows only through this interface. The shell
// implements it with Qt dialogs and installs it with installSetupHost(); until then a
// headless stand-in keeps the two values and answers every dialog with Cancel.
#pragma once

#include <cstdint>
#include <optional>

namespace midi {

class clsMIDIInit;
struct DeviceChoiceLists;

class MidiSetupHost {
public:
    virtual ~MidiSetupHost() = default;

    // ---- the main window's state
    // 0 MkI DX7, 1 first series, 2 second series; empty while no type was chosen.
    [[nodiscard]] virtual std::optional<std::int32_t> SynthID() const = 0;
    virtual void setSynthID(std::optional<std::int32_t> id) = 0;
    // Set by the progress window's Cancel button; the next unanswered probe asks whether
    // to stop.
    [[nodiscard]] virtual bool InitInterrupted() const = 0;
    virtual void setInitInterrupted(bool interrupted) = 0;
    // The set-up runs (true) or has ended: meanwhile MIDI Devices and every Receive
    // command are disabled, all else stays reachable.
    virtual void setupRunning(bool running) = 0;

    // ---- the set-up windows; each returns when it has closed
    // The device choice (modal), over the lists as FillDeviceLists filled them: OK writes
    // the choice into init (applyDeviceChoice), Cancel sets init.InitCancelled.
    virtual void showDeviceDialog(clsMIDIInit& init, const DeviceChoiceLists& lists) = 0;
    // The synthesizer type (modal): applySynthType, or Cancel.
    virtual void showSynthTypeDialog(clsMIDIInit& init) = 0;
    // The MkI's manual dump instructions (modal): applyMkIButton.
    virtual void showMkIInstructions(clsMIDIInit& init) = 0;
    // The detection failure dialog (the rest of the program is blocked while it is open):
    // applyFailureButton sets init.FailureAnswer.
    virtual void showFailureDialog(clsMIDIInit& init) = 0;

    // ---- the detection progress window (modeless)
    virtual void showProgress() = 0;
    // percent 0..100.
    virtual void setProgress(float percent) = 0;
    // Closing it clears InitInterrupted.
    virtual void hideProgress() = 0;
};

// The installed host (the headless stand-in until one is installed).
[[nodiscard]] MidiSetupHost& setupHost();
// Installs a host; nullptr restores the stand-in. The caller keeps ownership.
void installSetupHost(MidiSetupHost* host);

}  // namespace midi
