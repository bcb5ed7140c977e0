// Brevane - when each message of a MIDI file goes out, and what a jump or a stop sends.
//
// A plain class on a clock it is given (microseconds, any origin): it maps that clock to
// the file's own time, at a rate the tempo control sets, hands out the messages that
// have fallen due, and keeps what the file has done to each channel so far: the notes
// still sounding, and the program, controllers and pitch bend in effect. Stopping,
// pausing, jumping and reaching the end silence what is sounding; jumping sends each
// channel's state at the new position, so the music goes on as if played up to there.
// Not thread-safe: its owner serialises the calls.
#pragma once

#include "midi/MidiFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace midi {

// Receives each message to send, whole.
using MidiMessageSink = std::function<void(std::span<const std::uint8_t>)>;

class PlaybackSchedule {
public:
    // The file must outlive the schedule.
    explicit PlaybackSchedule(const MidiFile& file);

    [[nodiscard]] const MidiFile& file() const { return m_file; }
    // The file time playing ends at: its length, or an earlier end set by setEnd().
    [[nodiscard]] std::int64_t endUs() const { return m_endUs; }
    // Ends playing at a file time before the length (0 or less: at the length).
    void setEnd(std::int64_t fileUs);

    // ---- time
    // The file time at clock time nowUs: it runs while playing and stands still otherwise.
    [[nodiscard]] std::int64_t positionAt(std::int64_t nowUs) const;
    [[nodiscard]] bool playing() const { return m_playing; }
    // Playing went past the last event to the end.
    [[nodiscard]] bool ended() const { return m_ended; }
    // The file runs at tempoBpm / baseBpm of its own speed (both at least 1), from now on.
    void setRate(int tempoBpm, int baseBpm, std::int64_t nowUs);

    // ---- playing
    // Starts playing from the position. Away from the start, each channel's state at the
    // position is sent first (unless a jump has just sent it).
    void start(std::int64_t nowUs, const MidiMessageSink& sink);
    // Stops where it is and silences the sounding notes (a stop or a pause).
    void halt(std::int64_t nowUs, const MidiMessageSink& sink);
    // Sends what has fallen due by nowUs. Returns the clock time at which the next message
    // falls due, or nullopt when not playing; at the end playing stops and is silenced.
    std::optional<std::int64_t> advance(std::int64_t nowUs, const MidiMessageSink& sink);
    // Jumps to a file time (kept within 0..end) and stands there, as a sequencer does after
    // a jump: silences, then sends each channel's state at the new position.
    void seek(std::int64_t fileUs, std::int64_t nowUs, const MidiMessageSink& sink);

    // ---- what goes out besides the file's own messages
    // Note-offs for the notes sounding, then sustain off and all notes off on every
    // channel the file uses.
    void silence(const MidiMessageSink& sink);
    // Each channel's state before the next message: reset all controllers, bank select,
    // program, the controllers in the order last set, registered and non-registered
    // parameters, pitch bend.
    void sendState(const MidiMessageSink& sink) const;

    // Notes sounding now on a channel (0-15).
    [[nodiscard]] int soundingNotes(int channel) const;

private:
    void play(const MidiFileEvent& e, const MidiMessageSink& sink);
    [[nodiscard]] std::int64_t clockTimeOf(std::int64_t fileUs) const;
    void anchor(std::int64_t nowUs);

    const MidiFile& m_file;
    std::size_t m_next = 0;  // the next event to send
    std::int64_t m_endUs = 0;

    // File time = m_anchorFileUs + (now - m_anchorClockUs) * m_rateNum / m_rateDen while playing.
    bool m_playing = false;
    bool m_ended = false;
    bool m_stateSent = false;  // a jump sent the state at the position, nothing played since
    std::int64_t m_anchorClockUs = 0;
    std::int64_t m_anchorFileUs = 0;
    std::int64_t m_rateNum = 1;
    std::int64_t m_rateDen = 1;

    std::array<std::array<std::uint8_t, 128>, 16> m_sounding{};  // note-ons not yet ended
};

}  // namespace midi
