// Brevane - the real MIDI system on a JACK server, through the program's own JACK clients
// (JackMidiClient.h) on plain libjack.
//
// Without a server (none answers under JACK_DEFAULT_SERVER; none is ever started) it lists
// no devices and every open fails; nothing is printed and nothing throws.
//
// Clients and ports: "<client name> In" holds the input port "<client name> Input" while
// the input is open, "<client name> Out" the output port "<client name> Output"; they are
// made at the first listing. Devices are the other clients' MIDI ports by their full names
// ("client:port"), in the server's order; a port is looked up again by name when opened,
// and two same names would be told apart by " (2)", " (3)"... The program's own ports are
// not listed.
//
// Input: the events are joined into whole messages (JackMidiEventJoiner.h) on the input
// client's reader thread; timing clock and active sensing are dropped; every message goes
// to the receiver. A loss of events (JackMidiClient.h) is judged by the message it falls
// into. Inside a System Exclusive message it says nothing: the message goes on joining and
// its end decides (whole, or broken, or a dump whose length and checksum tell). Between
// messages, the sender's word that it lost one event is taken back when the next period
// begins with a status byte (the event sent again); any other loss there is one
// MidiEventKind::InputLost, with the count, for each run of losses in consecutive periods.
// A System Exclusive message that receives nothing for the quiet limit
// (setSysexQuietLimit) is ended as cut there, as is one endArrivingSysex() ends; data
// bytes that come of it afterwards are passed over.
//
// The MIDI Mapper (output kMidiMapperId) is a client of its own, "<client name> MIDI
// Mapper", with one output port "out". It opens with the first listing, so that other
// programs can connect to it before anything plays, and stays for the run.
//
// Output: System Exclusive messages leave in pieces paced to the wire speed of DIN MIDI
// by default (SysexPacer.h); of one cut part-way, what reached the server's buffers is
// counted as gone out.
//
// An open input or output stays connected with the port it was opened on until that
// port's client leaves; opening it again connects it anew (inputConnected()).
//
// When the server goes away everything is offline: sends fail, nothing arrives, the
// system receiver is told once (JackLossWatch.h), however many of the program's clients
// see it, and systemGone() says so from the moment the first of them learns it. The next
// listing closes the dead clients and, when a server runs again under the same name,
// lists its ports at once; the Mapper gets a new client there too, even while the file
// player holds it.
#pragma once

#include "platform/midi/MidiBackend.h"

#include <memory>
#include <string>

namespace platform {

class JackMidiBackend final : public MidiBackend {
public:
    explicit JackMidiBackend(std::string clientName = "Brevane");
    ~JackMidiBackend() override;
    JackMidiBackend(const JackMidiBackend&) = delete;
    JackMidiBackend& operator=(const JackMidiBackend&) = delete;

    // Bytes per second at which System Exclusive data is paced (at least 100).
    void setSysexRate(int bytesPerSecond);
    // Whether a JACK server answers now.
    [[nodiscard]] bool systemPresent() const;
    // Whether a JACK server answers (JACK_DEFAULT_SERVER names it); asks without starting
    // one and without printing.
    [[nodiscard]] static bool serverRunning();

    // Ports that other programs connect to, named "<client name> In:<portName>" and
    // "<client name> Out:<portName>" (the simulated instrument's process uses them).
    [[nodiscard]] MidiResult openVirtualInput(const std::string& portName, MidiEventReceiver& receiver);
    [[nodiscard]] MidiResult openVirtualOutput(const std::string& portName);

    // ---- MidiBackend
    [[nodiscard]] std::string systemName() const override;
    void refreshDevices() override;
    [[nodiscard]] int inputCount() const override;
    [[nodiscard]] int outputCount() const override;
    [[nodiscard]] std::optional<MidiDeviceCaps> inputCaps(int id) const override;
    [[nodiscard]] std::optional<MidiDeviceCaps> outputCaps(int id) const override;
    [[nodiscard]] MidiResult openInput(int id, MidiEventReceiver& receiver) override;
    [[nodiscard]] MidiResult startInput() override;
    [[nodiscard]] MidiResult stopInput() override;
    void closeInput() override;
    [[nodiscard]] bool inputIsOpen() const override;
    [[nodiscard]] bool inputConnected() const override;
    [[nodiscard]] MidiResult openOutput(int id) override;
    void closeOutput() override;
    [[nodiscard]] bool outputIsOpen() const override;
    [[nodiscard]] bool outputConnected() const override;
    [[nodiscard]] MidiMapperPort* mapper() override;
    void setSystemReceiver(MidiEventReceiver* receiver) override;
    [[nodiscard]] bool systemGone() const override;
    [[nodiscard]] ArrivingSysex endArrivingSysex(const std::function<bool(std::span<const std::uint8_t>)>& ends,
                                                 std::chrono::milliseconds quiet) override;
    void setSysexQuietLimit(std::chrono::milliseconds limit) override;

protected:
    [[nodiscard]] MidiResult writeSysex(std::span<const std::uint8_t> message) override;
    [[nodiscard]] MidiResult writeShort(std::span<const std::uint8_t> message) override;
    [[nodiscard]] std::size_t sysexBytesOut() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
