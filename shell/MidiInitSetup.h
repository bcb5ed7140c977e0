// Brevane - the main window's view of the program's clsMIDIInit.
#pragma once

#include "shell/MidiSetup.h"

#include <memory>

namespace midi {
class clsMIDIInit;
}
namespace platform {
class MidiBackend;
}

namespace shell {

// MidiSetup over the MIDI subsystem's settings object: the settings with that object's
// own checks and messages, its port flags, and the closing of the ports. The device
// set-up and synthesizer detection at start-up are not part of the MIDI subsystem yet,
// so available() is false and the program runs offline.
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
    bool available() const override { return false; }
    void InitialiseMIDI(bool, CommandLineSwitch) override {}
    void CloseMidiDevices(bool input, bool output) override;
    void announceOffline(CommandLineSwitch commandLine) override;

private:
    std::unique_ptr<platform::MidiBackend> m_backend;  // outlives m_own, which uses it
    std::unique_ptr<midi::clsMIDIInit> m_own;
    midi::clsMIDIInit& m_init;
};

}  // namespace shell
