// Brevane - what the main window uses of the MIDI settings object (objMIDIInit).
//
// The MIDI subsystem's clsMIDIInit keeps the [MIDI] settings, the two port-open flags and
// the device set-up. The main window reaches it only through this interface
// (MidiInitSetup is the real one), so tests can stand in for the ports.
#pragma once

#include "shell/CommandLine.h"

#include <cstdint>
#include <string>

namespace shell {

class MidiSetup {
public:
    virtual ~MidiSetup() = default;

    // ---- the [MIDI] settings. A setter returns false when the property refused the value;
    // it has then shown its own message and kept its old value.
    [[nodiscard]] virtual std::string MidiInDeviceName() const = 0;
    virtual bool setMidiInDeviceName(const std::string& name) = 0;
    [[nodiscard]] virtual std::string MidiOutDeviceName() const = 0;
    virtual bool setMidiOutDeviceName(const std::string& name) = 0;
    // Channels 0..15.
    [[nodiscard]] virtual std::int32_t MIDIInChannel() const = 0;
    virtual bool setMIDIInChannel(std::int32_t channel) = 0;
    [[nodiscard]] virtual std::int32_t MIDIOutChannel() const = 0;
    virtual bool setMIDIOutChannel(std::int32_t channel) = 0;
    // System Exclusive device number 0..15.
    [[nodiscard]] virtual std::int32_t MIDIDeviceNumber() const = 0;
    virtual bool setMIDIDeviceNumber(std::int32_t number) = 0;
    // Second-series synthesizers: send to / get from bank half B.
    [[nodiscard]] virtual bool SendToB() const = 0;
    virtual bool setSendToB(bool b) = 0;
    [[nodiscard]] virtual bool GetFromB() const = 0;
    virtual bool setGetFromB(bool b) = 0;
    // Reply time-out in milliseconds; 0 means the synthesizer family's default.
    [[nodiscard]] virtual std::int32_t MIDITimeout() const = 0;
    virtual bool setMIDITimeout(std::int32_t ms) = 0;
    [[nodiscard]] virtual bool SkipMIDIInit() const = 0;
    virtual bool setSkipMIDIInit(bool skip) = 0;

    // ---- ports
    [[nodiscard]] virtual bool MidiInOpen() const = 0;
    [[nodiscard]] virtual bool MidiOutOpen() const = 0;
    // True when a MIDI system is built in, so the MIDI commands can work.
    [[nodiscard]] virtual bool available() const = 0;
    // Start-up (showDeviceDialog false) or the device set-up from the menu (true).
    virtual void InitialiseMIDI(bool showDeviceDialog, CommandLineSwitch commandLine) = 0;
    // Closes the input and/or the output when open.
    virtual void CloseMidiDevices(bool input, bool output) = 0;
    // Start-up without the device set-up: tells the user in the status bar when the
    // program works off-line because there is no MIDI system or no device.
    virtual void announceOffline(CommandLineSwitch) {}

    // ---- the MIDI windows
    // Connects the MIDI Manager and the set-up windows to the main window (once, when
    // the main window makes this object).
    virtual void attachMainWindow(class frmStartup&) {}
    // The device set-up runs: MIDI Devices and every Receive command wait for its end.
    [[nodiscard]] virtual bool setupRunning() const { return false; }
    // A dump request waits for its reply: MIDI Devices waits for its end.
    [[nodiscard]] virtual bool requestWaiting() const { return false; }
    // The check marks of "&Midi Input On" and "Show Midi Ma&nager".
    [[nodiscard]] virtual bool inputRunning() const { return MidiInOpen(); }
    [[nodiscard]] virtual bool managerShown() const { return false; }
    // The "&Options..." submenu: 0 switches MIDI input off or on, 1 shows or hides the
    // MIDI Manager. False when this object does not handle the entry.
    virtual bool optionsCommand(int) { return false; }
};

}  // namespace shell
