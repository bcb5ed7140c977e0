// Brevane - the main window's view of the program's clsMIDIInit.
#pragma once

#include "midi/MidiSetupHost.h"
#include "shell/MidiSetup.h"

#include <memory>

namespace midi {
class clsMIDIInit;
}
namespace platform {
class MidiBackend;
}

namespace shell {

class QtMidiWindows;

// MidiSetup over the MIDI subsystem's settings object: the settings with that object's
// own checks and messages, its port flags, the device set-up and synthesizer detection
// (available with a MIDI backend), the MIDI Manager window and the closing of the ports.
class MidiInitSetup : public MidiSetup {
public:
    // The program's own settings object, without a MIDI backend: made here and installed
    // as midi::objMIDIInit() for the lifetime of this object.
    MidiInitSetup();
    // The program's own settings object over a device layer it keeps for the whole run
    // (the system's MIDI, or nullptr to work off-line).
    explicit MidiInitSetup(std::unique_ptr<platform::MidiBackend> backend);
    // An object someone else keeps.
    explicit MidiInitSetup(midi::clsMIDIInit& init);
    ~MidiInitSetup() override;
    MidiInitSetup(const MidiInitSetup&) = delete;
    MidiInitSetup& operator=(const MidiInitSetup&) = delete;

    [[nodiscard]] midi::clsMIDIInit& object() { return m_init; }

    std::string MidiInDeviceName() const override;
    bool setMidiInDeviceName(const std::string& name) override;
    std::string MidiOutDeviceName() const override;
    bool setMidiOutDeviceName(const std::string& name) override;
    std::int32_t MIDIInChannel() const override;
    bool setMIDIInChannel(std::int32_t channel) override;
    std::int32_t MIDIOutChannel() const override;
    bool setMIDIOutChannel(std::int32_t channel) override;
    std::int32_t MIDIDeviceNumber() const override;
    bool setMIDIDeviceNumber(std::int32_t number) override;
    bool SendToB() const override;
    bool setSendToB(bool b) override;
    bool GetFromB() const override;
    bool setGetFromB(bool b) override;
    std::int32_t MIDITimeout() const override;
    bool setMIDITimeout(std::int32_t ms) override;
    bool SkipMIDIInit() const override;
    bool setSkipMIDIInit(bool skip) override;

    bool MidiInOpen() const override;
    bool MidiOutOpen() const override;
    bool available() const override;
    void InitialiseMIDI(bool showDeviceDialog, CommandLineSwitch commandLine) override;
    void CloseMidiDevices(bool input, bool output) override;
    void announceOffline(CommandLineSwitch commandLine) override;

    void attachMainWindow(frmStartup& main) override;
    bool setupRunning() const override;
    bool requestWaiting() const override;
    bool endRequestWait(bool exiting) override;
    bool inputRunning() const override;
    bool managerShown() const override;
    bool optionsCommand(int index) override;

    // Answers the set-up windows instead of the Qt dialogs (tests); before attachMainWindow.
    void setSetupHost(std::unique_ptr<midi::MidiSetupHost> host) { m_host = std::move(host); }
    // Answers every set-up window with Cancel, without showing it (tests that start the
    // program over a MIDI backend); before attachMainWindow.
    void useHeadlessSetup() { m_headlessSetup = true; }
    // The MIDI windows, once attached to the main window.
    [[nodiscard]] QtMidiWindows* midiWindows() const { return m_windows.get(); }

private:
    std::unique_ptr<platform::MidiBackend> m_backend;  // outlives m_own, which uses it
    std::unique_ptr<midi::clsMIDIInit> m_own;
    midi::clsMIDIInit& m_init;
    std::unique_ptr<QtMidiWindows> m_windows;
    std::unique_ptr<midi::MidiSetupHost> m_host;
    bool m_headlessSetup = false;
};

}  // namespace shell
