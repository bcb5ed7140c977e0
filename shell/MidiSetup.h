// Brevane - what the main window uses of the MIDI settings object (objMIDIInit).
//
// The MIDI subsystem's clsMIDIInit keeps the [MIDI] settings, the two port-open flags and
// the device set-up. The main window reaches it only through this interface
// (midiui/MidiInitSetup is the real one, given by whoever builds the main window), so
// tests can stand in for the ports. Until one is given, NoMidiSetup stands in.
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
    // Ends the wait of a dump request at once: the user pressed Escape, or (exiting) the
    // program is closing. What has come of the answer is kept as a damaged dump and said.
    // False when no request waits.
    virtual bool endRequestWait(bool exiting)
    {
        (void)exiting;
        return false;
    }
    // The check marks of "&Midi Input On" and "Show Midi Ma&nager".
    [[nodiscard]] virtual bool inputRunning() const { return MidiInOpen(); }
    [[nodiscard]] virtual bool managerShown() const { return false; }
    // The "&Options..." submenu: 0 switches MIDI input off or on, 1 shows or hides the
    // MIDI Manager. False when this object does not handle the entry.
    virtual bool optionsCommand(int) { return false; }
};

// No MIDI system: the settings keep what they are given, no port ever opens and the MIDI
// commands find nothing to do.
class NoMidiSetup final : public MidiSetup {
public:
    std::string MidiInDeviceName() const override { return m_inDevice; }
    bool setMidiInDeviceName(const std::string& name) override { return set(m_inDevice, name); }
    std::string MidiOutDeviceName() const override { return m_outDevice; }
    bool setMidiOutDeviceName(const std::string& name) override { return set(m_outDevice, name); }
    std::int32_t MIDIInChannel() const override { return m_inChannel; }
    bool setMIDIInChannel(std::int32_t channel) override { return set(m_inChannel, channel); }
    std::int32_t MIDIOutChannel() const override { return m_outChannel; }
    bool setMIDIOutChannel(std::int32_t channel) override { return set(m_outChannel, channel); }
    std::int32_t MIDIDeviceNumber() const override { return m_deviceNumber; }
    bool setMIDIDeviceNumber(std::int32_t number) override { return set(m_deviceNumber, number); }
    bool SendToB() const override { return m_sendToB; }
    bool setSendToB(bool b) override { return set(m_sendToB, b); }
    bool GetFromB() const override { return m_getFromB; }
    bool setGetFromB(bool b) override { return set(m_getFromB, b); }
    std::int32_t MIDITimeout() const override { return m_timeout; }
    bool setMIDITimeout(std::int32_t ms) override { return set(m_timeout, ms); }
    bool SkipMIDIInit() const override { return m_skipInit; }
    bool setSkipMIDIInit(bool skip) override { return set(m_skipInit, skip); }

    bool MidiInOpen() const override { return false; }
    bool MidiOutOpen() const override { return false; }
    bool available() const override { return false; }
    void InitialiseMIDI(bool, CommandLineSwitch) override {}
    void CloseMidiDevices(bool, bool) override {}

private:
    template <class T>
    static bool set(T& field, const T& value)
    {
        field = value;
        return true;
    }

    std::string m_inDevice;
    std::string m_outDevice;
    std::int32_t m_inChannel = 0;
    std::int32_t m_outChannel = 0;
    std::int32_t m_deviceNumber = 0;
    bool m_sendToB = false;
    bool m_getFromB = false;
    std::int32_t m_timeout = 0;
    bool m_skipInit = false;
};

}  // namespace shell
