// Brevane - one client of a JACK server with one MIDI port, on plain libjack.
//
// The JACK process thread neither locks nor allocates: between it and the program there
// is one lock-free ring each way (SpscByteRing.h), allocated when the client is made.
//
// Input: the process thread copies each event of the port's buffer into the ring, after
// checking what jack_midi_event_get returned; the client's own reader thread takes the
// events out and hands them to the handler, each with the number of the period it came
// in. Empty events are skipped. Two kinds of loss are told to the handler, where they
// happened, once for each run of lost events: events that came and could not be passed
// on (a failed call, a null buffer pointer, bytes that do not lie inside the port's
// buffer, as JACK may give for an event that fills the whole buffer, or no room left in
// the ring), and the events the sender says it could not put into a period's buffer,
// which come after that period's events. The latter is only a hint: a sender that writes
// a refused event again in the next period has lost nothing. The reader thread is woken
// for every period that recorded anything, and at the time the handler asks for while
// nothing comes (InputHandler::idleDeadline).
//
// Output: write() queues bytes, which the process thread moves into the port's buffer
// with jack_midi_event_reserve, as one event each where they fit into the period's buffer
// and in pieces over several periods where they do not fit even into an empty one.
//
// The client never starts a server. When the server goes away (jack_on_shutdown) the
// client is offline for good: nothing more arrives, writes fail, and it is only closed;
// the watch it was opened with, if any, is told on the spot (JackLossWatch.h).
//
// The client is active from open() until it is closed, with or without its port: closing
// and opening the port only unregister and register it. A JACK 1 server leaves a client
// that is deactivated but kept listening on its old place in the process chain, which the
// server gives to the next client: the two then take each other's wake-ups, the server's
// cycle stops for its client time-out, and a client that lost its wake-up is thrown out
// as though the server had gone. So no client is ever deactivated but to be closed.
//
// Threads: everything but the handler runs on the calling thread (the program's); write()
// may be called from any one thread at a time; the handler runs on the reader thread.
#pragma once

#include "platform/midi/MidiBackend.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

class JackLossWatch;

class JackMidiClient {
public:
    using Clock = std::chrono::steady_clock;
    enum class Direction : int { Input = 0, Output = 1 };

    // What an input port receives, on the client's reader thread.
    class InputHandler {
    public:
        virtual ~InputHandler() = default;
        // One event's bytes (never empty), when its period began and the period's number
        // (the periods of the client's run are numbered 1, 2, ... without gaps).
        virtual void onEvent(std::span<const std::uint8_t> bytes, Clock::time_point at, std::uint64_t period) = 0;
        // Events were lost between the one before and the next: in the period numbered
        // period, which began at `at`. certain false: the sender's count of events it could
        // not put into that period's buffer (it may send them again in the next period);
        // true: events that came and could not be read or kept.
        virtual void onLost(std::uint32_t events, std::uint64_t period, bool certain, Clock::time_point at) = 0;
        // When the reader should call onIdle() should nothing come before; asked after
        // each batch of records. nullopt: wait for input however long it takes.
        [[nodiscard]] virtual std::optional<Clock::time_point> idleDeadline() { return std::nullopt; }
        // Nothing came until the deadline asked for.
        virtual void onIdle(Clock::time_point /*now*/) {}
    };

    // A client called name (JACK adds a number when the name is taken) on the server that
    // JACK_DEFAULT_SERVER names; nullptr when no server answers. The watch, when given,
    // must outlive the client.
    [[nodiscard]] static std::unique_ptr<JackMidiClient> open(const std::string& name, Direction direction,
                                                              JackLossWatch* watch = nullptr);
    // Whether a server answers; asks without starting one and without printing.
    [[nodiscard]] static bool serverRunning();

    ~JackMidiClient();
    JackMidiClient(const JackMidiClient&) = delete;
    JackMidiClient& operator=(const JackMidiClient&) = delete;

    [[nodiscard]] bool serverGone() const;
    // The name the server gave this client.
    [[nodiscard]] std::string name() const;
    // Full names ("client:port") of the MIDI ports that send (outputs true) or receive,
    // in the server's order; empty when the server has gone.
    [[nodiscard]] std::vector<std::string> listPorts(bool outputs) const;

    // Registers the port; an input port's events go to handler, which must outlive the
    // open port.
    [[nodiscard]] MidiResult openPort(const std::string& portName, InputHandler* handler = nullptr);
    // Removes the port, once the process thread has let go of it. An output port first
    // lets what is queued leave (for at most a second).
    void closePort();
    [[nodiscard]] bool portOpen() const;
    // Connects the open port with another client's port: from it (input) or to it (output).
    [[nodiscard]] MidiResult connect(const std::string& otherPort);
    // Whether the open port is connected with another client's port (its full name), as
    // the server says now.
    [[nodiscard]] bool connectedTo(const std::string& otherPort) const;

    // Output: queues bytes to leave in the next periods. Waits while the queue is full,
    // for at most two seconds (then NotReady).
    [[nodiscard]] MidiResult write(std::span<const std::uint8_t> bytes);
    // Output: the bytes write() has queued since the client was made, and how many of
    // them have gone into the port's buffers; what was queued after the n-th byte has
    // gone as far as bytesSent() - n. Once the server has gone, bytesSent() stays.
    [[nodiscard]] std::uint64_t bytesQueued() const;
    [[nodiscard]] std::uint64_t bytesSent() const;

private:
    struct Impl;
    explicit JackMidiClient(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
