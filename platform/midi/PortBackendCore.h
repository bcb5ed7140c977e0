// Brevane - what the two backends on a real MIDI system share: RtMidiBackend.h (the ALSA
// sequencer) and JackMidiBackend.h (a JACK server).
//
// The device lists as the program sees them, the open flags with the MIDI Mapper as an
// output, the delivery of input (shared with the system's input thread) and the pacing of
// System Exclusive data. Each backend's own state derives from it and adds its clients and
// ports.
#pragma once

#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiMapperPort.h"
#include "platform/midi/SysexPacer.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Device names as listed: two same names are told apart by " (2)", " (3)"... in listing
// order. An empty name (a device whose name could not be read) stays empty.
[[nodiscard]] std::vector<std::string> distinctDeviceNames(std::vector<std::string> names);

class PortBackendCore {
public:
    using Clock = std::chrono::steady_clock;

    PortBackendCore() = default;
    virtual ~PortBackendCore() = default;
    PortBackendCore(const PortBackendCore&) = delete;
    PortBackendCore& operator=(const PortBackendCore&) = delete;

    std::vector<std::string> inputNames;  // the list taken by refreshDevices(); "" = query failed
    std::vector<std::string> outputNames;
    bool inputOpen = false;
    bool outputOpen = false;
    bool outputOnMapper = false;  // the open output is the Mapper
    SysexPacer pacer;

    // Shared with the system's input thread.
    std::mutex inputMutex;
    MidiEventReceiver* receiver = nullptr;
    bool started = false;
    Clock::time_point startTime{};

    // ---- devices
    [[nodiscard]] int inputCount() const { return static_cast<int>(inputNames.size()); }
    [[nodiscard]] int outputCount() const { return static_cast<int>(outputNames.size()); }
    [[nodiscard]] std::optional<MidiDeviceCaps> inputCaps(int id) const;
    // The Mapper is listed wherever the MIDI system is (systemThere: its clients are made).
    [[nodiscard]] std::optional<MidiDeviceCaps> outputCaps(int id, bool systemThere,
                                                           const MidiMapperPort& mapper) const;

    // ---- opening and closing
    // What decides an input open before a port is looked for: Allocated while one is open,
    // BadDeviceId for an id not listed, NoDriver without the MIDI system; nullopt to go on.
    [[nodiscard]] std::optional<MidiResult> beginOpenInput(int id);
    // The same for a virtual port (no id), input or output.
    [[nodiscard]] std::optional<MidiResult> beginOpenVirtual(bool output);
    // The same for an output, which the Mapper (kMidiMapperId) also decides: it opens, is
    // claimed for the program's output (Allocated while the file player holds it) and
    // becomes the open output.
    [[nodiscard]] std::optional<MidiResult> beginOpenOutput(int id, MidiMapperPort& mapper);
    // Ends the open output: the Mapper's hold is given up (its port stays open for the
    // run). True when the system's own output port is to be closed.
    [[nodiscard]] bool endOutput(MidiMapperPort& mapper);

    // ---- input
    // A receiver for what the input opened next delivers; nothing goes to it before start.
    void attachReceiver(MidiEventReceiver& r);
    void detachReceiver();
    [[nodiscard]] MidiResult startInput();
    [[nodiscard]] MidiResult stopInput();
    // Milliseconds from the last start to a moment (0 for one before it); inputMutex held.
    [[nodiscard]] std::uint32_t msSinceStart(Clock::time_point at) const;
    // A piece cut from the input goes to the receiver, but for timing clock and active
    // sensing; inputMutex held, a receiver attached.
    void deliver(MidiPiece&& piece, std::uint32_t timeMs);

    // ---- output
    // A System Exclusive message sent through send in pieces of SysexPacer::kChunkBytes,
    // each paced; the first piece that fails ends it with send's result.
    template <class Send>
    [[nodiscard]] MidiResult writePaced(std::span<const std::uint8_t> message, Send&& send)
    {
        for (std::size_t offset = 0; offset < message.size(); offset += SysexPacer::kChunkBytes) {
            const auto piece = message.subspan(offset, std::min(SysexPacer::kChunkBytes, message.size() - offset));
            pacer.pace(piece.size());
            const MidiResult r = send(piece);
            if (r != MidiResult::NoError)
                return r;
        }
        return MidiResult::NoError;
    }

protected:
    // Makes the system's clients when the system is there; false when it is not.
    [[nodiscard]] virtual bool ensureClients() = 0;
    // Forgets a message that was arriving; inputMutex held.
    virtual void resetInputStream() = 0;
};

}  // namespace platform
