// Brevane - what the main window uses of the MIDI settings object (objMIDIInit).
//
// The MIDI subsystem's clsMIDIInit keeps the [MIDI] settings, the two port-open flags and
// the device set-up. The main window reaches it only through this interface, so it works
// the same with the real object and with OfflineMidiSetup, which keeps the settings
// without any MIDI system (the program then runs offline).
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
};

// The settings without a MIDI system: the properties keep and check their values as the
// real object does, both ports stay closed and the device set-up does nothing.
class OfflineMidiSetup : public MidiSetup {
public:
    std::string MidiInDeviceName() const override { return m_inName; }
    bool setMidiInDeviceName(const std::string& name) override;
    std::string MidiOutDeviceName() const override { return m_outName; }
    bool setMidiOutDeviceName(const std::string& name) override;
    std::int32_t MIDIInChannel() const override { return m_inChannel; }
    bool setMIDIInChannel(std::int32_t channel) override;
    std::int32_t MIDIOutChannel() const override { return m_outChannel; }
    bool setMIDIOutChannel(std::int32_t channel) override;
    std::int32_t MIDIDeviceNumber() const override { return m_deviceNumber; }
    bool setMIDIDeviceNumber(std::int32_t number) override;
    bool SendToB() const override { return m_sendToB; }
    bool setSendToB(bool b) override;
    bool GetFromB() const override { return m_getFromB; }
    bool setGetFromB(bool b) override;
    std::int32_t MIDITimeout() const override { return m_timeoutMs; }
    bool setMIDITimeout(std::int32_t ms) override;
    bool SkipMIDIInit() const override { return m_skipInit; }
    bool setSkipMIDIInit(bool skip) override;

    bool MidiInOpen() const override { return false; }
    bool MidiOutOpen() const override { return false; }
    bool available() const override { return false; }
    void InitialiseMIDI(bool, CommandLineSwitch) override {}
    void CloseMidiDevices(bool, bool) override {}

private:
    std::string m_inName;
    std::string m_outName;
    std::int32_t m_inChannel = 0;
    std::int32_t m_outChannel = 0;
    std::int32_t m_deviceNumber = 0;
    bool m_sendToB = false;
    bool m_getFromB = false;
    std::int32_t m_timeoutMs = 0;
    bool m_skipInit = false;
};

}  // namespace shell
