// Brevane - the program's MIDI Mapper: one output port that other programs connect to.
//
// The MIDI file player plays through it, and the program's own output may be opened on
// it (the output list's Mapper entry), but never both at once: whoever claims it holds
// it until releasing it. The port opens at first use and stays open for the run, so the
// connections other programs make to it (aconnect, a JACK patchbay) stay.
//
// Threads: claim(), release() and holder() from any thread; open() on the GUI thread;
// send() by the holder, from one thread at a time.
#pragma once

#include "platform/midi/MidiBackend.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

enum class MapperHolder : int { None = 0, Player = 1, ProgramOutput = 2 };

class MidiMapperPort {
public:
    virtual ~MidiMapperPort();

    // What the port is called where others see it ("Brevane MIDI Mapper").
    [[nodiscard]] virtual std::string name() const = 0;
    // Opens the port unless it is open; NoError when it is open.
    [[nodiscard]] virtual MidiResult open() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;
    // Sends one whole message (checked as MidiBackend::sendMessage checks it).
    [[nodiscard]] MidiResult send(std::span<const std::uint8_t> message);

    // Takes the port for a holder: true when it was free or held by that holder already.
    [[nodiscard]] bool claim(MapperHolder holder);
    // Gives the port up, when that holder holds it.
    void release(MapperHolder holder);
    [[nodiscard]] MapperHolder holder() const { return m_holder.load(); }

protected:
    [[nodiscard]] virtual MidiResult write(std::span<const std::uint8_t> message) = 0;

private:
    std::atomic<MapperHolder> m_holder{MapperHolder::None};
};

// A Mapper that keeps what is sent with the time it was sent, for tests and benchmarks.
class RecordingMapperPort final : public MidiMapperPort {
public:
    using Clock = std::chrono::steady_clock;
    struct Sent {
        Clock::time_point at;
        std::vector<std::uint8_t> bytes;
    };

    explicit RecordingMapperPort(std::string name = "Loopback MIDI Mapper") : m_name(std::move(name)) {}

    // What open() returns from now on (NoError by default).
    void setOpenResult(MidiResult r) { m_openResult = r; }

    [[nodiscard]] std::string name() const override { return m_name; }
    [[nodiscard]] MidiResult open() override;
    [[nodiscard]] bool isOpen() const override { return m_open; }

    // A copy of what was sent so far, in order.
    [[nodiscard]] std::vector<Sent> sent() const;
    [[nodiscard]] std::size_t sentCount() const;
    void clear();

protected:
    [[nodiscard]] MidiResult write(std::span<const std::uint8_t> message) override;

private:
    std::string m_name;
    MidiResult m_openResult = MidiResult::NoError;
    bool m_open = false;
    mutable std::mutex m_mutex;
    std::vector<Sent> m_sent;
};

}  // namespace platform
