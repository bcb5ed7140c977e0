// Brevane - hands the news that a JACK server has gone to the program, once.
//
// Every client of the program learns that the server went away on a JACK thread of its
// own (jack_on_shutdown), where only what a signal handler may do is allowed. Each tells
// the watch; the first of a generation wakes the watch's thread, which posts one
// MidiEventKind::SystemGone notification to the receiver (MidiBackend::setSystemReceiver).
// The clients that see the same loss later are told apart by their generation: a client
// made after a loss was told starts the next one, so the next loss is told again and a
// client that learns late of an old loss says nothing.
//
// Threads: serverGone() on any thread, also a JACK thread; the rest on the program's.
#pragma once

#include "platform/midi/MidiBackend.h"

#include <semaphore.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace platform {

class JackLossWatch {
public:
    JackLossWatch();
    ~JackLossWatch();
    JackLossWatch(const JackLossWatch&) = delete;
    JackLossWatch& operator=(const JackLossWatch&) = delete;

    // Where the loss is told; nullptr: nowhere. The receiver must stay until replaced.
    void setReceiver(MidiEventReceiver* receiver);
    // The generation a client made now belongs to.
    [[nodiscard]] std::uint64_t enlist() noexcept;
    // A client of this generation was told that the server has gone. Lock-free, so safe
    // on the JACK thread that calls it.
    void serverGone(std::uint64_t generation) noexcept;

private:
    void run();

    // The current generation times two, plus one once its loss has been told.
    std::atomic<std::uint64_t> m_state{0};
    sem_t m_wake{};
    std::atomic<bool> m_quit{false};
    std::mutex m_receiverMutex;
    MidiEventReceiver* m_receiver = nullptr;
    std::thread m_thread;
};

}  // namespace platform
