// Brevane - the real MIDI system on the ALSA sequencer, through RtMidi. (JACK has a backend
// of its own, JackMidiBackend.h.)
//
// Without a MIDI system (no /dev/snd/seq) it lists no devices and every
// open fails; nothing is printed and nothing throws. RtMidi's own messages go to its
// error callback: a warning during a send makes that send fail.
//
// Device names are the port names without the ALSA client:port numbers, which change from
// run to run; a port is looked up again by that name when it is opened. Two ports with the
// same name are told apart by " (2)", " (3)"... in listing order.
//
// Input: RtMidi calls back on its own thread; the adapter only joins System Exclusive
// pieces, drops timing clock and active sensing, and posts each message to the receiver.
//
// The MIDI Mapper (output kMidiMapperId) is a client of its own named after this one
// ("Brevane MIDI Mapper") with one virtual output port, which opens at first use and stays
// for the run; it is listed wherever the MIDI system is, opens with the first listing so
// that other programs can connect to it before anything plays, and its own port is left
// out of the input list.
//
// Output: System Exclusive messages leave in pieces paced to the wire speed of DIN MIDI by
// default (SysexPacer.h), so that interfaces which drop bytes when flooded get every byte.
#pragma once

#include "platform/midi/MidiBackend.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class RtMidiBackend final : public MidiBackend {
public:
    explicit RtMidiBackend(std::string clientName = "Brevane");
    ~RtMidiBackend() override;
    RtMidiBackend(const RtMidiBackend&) = delete;
    RtMidiBackend& operator=(const RtMidiBackend&) = delete;

    // Bytes per second at which System Exclusive data is paced (at least 100).
    void setSysexRate(int bytesPerSecond);
    // Whether the MIDI system can be used now.
    [[nodiscard]] bool systemPresent() const;

    // Ports that other programs connect to (the simulated instrument's process uses them).
    [[nodiscard]] MidiResult openVirtualInput(const std::string& portName, MidiEventReceiver& receiver);
    [[nodiscard]] MidiResult openVirtualOutput(const std::string& portName);

    // Whether the ALSA sequencer device can be opened.
    [[nodiscard]] static bool alsaSequencerPresent();
    // A port name as listed: "Client:Port 24:0" becomes "Client:Port".
    [[nodiscard]] static std::string cleanPortName(std::string_view name);

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
    [[nodiscard]] MidiResult openOutput(int id) override;
    void closeOutput() override;
    [[nodiscard]] bool outputIsOpen() const override;
    // "<client name> MIDI Mapper": a client of its own with one virtual output port.
    [[nodiscard]] MidiMapperPort* mapper() override;

protected:
    [[nodiscard]] MidiResult writeSysex(std::span<const std::uint8_t> message) override;
    [[nodiscard]] MidiResult writeShort(std::span<const std::uint8_t> message) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
