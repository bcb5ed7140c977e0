// Brevane - plays a MIDI file through the MIDI Mapper.
//
// Owns a PlaybackSchedule and sends what it hands out. In the program a thread of its own
// on the monotonic clock does the sending, so playing keeps time while the GUI thread is
// busy (a paced bank send, a large file opening); tests drive it by hand on a clock they
// give (Timing::Manual, service()). Every command is synchronous: when it returns, the
// messages it causes (the silencing of a stop, the state sent after a jump) have gone out.
// The commands and the position may be called from any thread.
#pragma once

#include "midi/MidiFile.h"
#include "midi/PlaybackSchedule.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {
class MidiMapperPort;
}

namespace midi {

class MidiPlayerEngine {
public:
    enum class Timing : int {
        Thread = 0,  // a thread of its own on the monotonic clock
        Manual = 1,  // service() sends what is due on the given clock
    };
    // Microseconds, any origin.
    using Clock = std::function<std::int64_t()>;

    // Plays file (kept by the engine) through port, which must outlive the engine. With
    // Timing::Manual, clock gives the time (the monotonic clock when empty).
    MidiPlayerEngine(std::shared_ptr<const MidiFile> file, platform::MidiMapperPort& port,
                     Timing timing = Timing::Thread, Clock clock = {});
    // Stops (silencing the notes) and ends the thread.
    ~MidiPlayerEngine();
    MidiPlayerEngine(const MidiPlayerEngine&) = delete;
    MidiPlayerEngine& operator=(const MidiPlayerEngine&) = delete;

    [[nodiscard]] const MidiFile& file() const { return *m_file; }

    // ---- commands
    // Plays from the position (at most up to toUs, when given above 0).
    void play(std::int64_t toUs = 0);
    // Stops where it is, silencing the notes sounding (stop and pause alike).
    void halt();
    // Jumps to a file time and stands there (see PlaybackSchedule::seek).
    void seek(std::int64_t fileUs);
    // The file plays at tempoBpm / baseBpm of its own speed.
    void setTempo(int tempoBpm, int baseBpm);

    // ---- state
    [[nodiscard]] std::int64_t positionUs() const;
    [[nodiscard]] bool playing() const;
    // Playing reached the end of the file (until the next command).
    [[nodiscard]] bool ended() const;
    // Messages the port refused since the file was opened.
    [[nodiscard]] std::int64_t sendFailures() const { return m_failures.load(); }

    // Timing::Manual: sends what has fallen due by now.
    void service();

private:
    void run();
    [[nodiscard]] std::int64_t now() const;
    void send(std::span<const std::uint8_t> message);

    std::shared_ptr<const MidiFile> m_file;
    platform::MidiMapperPort& m_port;
    Timing m_timing;
    Clock m_clock;

    mutable std::mutex m_mutex;  // guards the schedule; held while sending
    std::condition_variable m_wake;
    PlaybackSchedule m_schedule;
    bool m_quit = false;
    std::atomic<std::int64_t> m_failures{0};
    MidiMessageSink m_sink;
    std::thread m_thread;
};

}  // namespace midi
