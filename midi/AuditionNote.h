// Brevane - an audition note that a timer ends, so nothing waits while it sounds.
//
// PlayAuditionNote holds the note in a yielding 250 ms wait, during which the caller's
// window keeps receiving clicks it cannot act on. The timed note sends its note on and
// returns; a 250 ms timer sends the note off. A new note while one sounds ends the old
// one first (the same note too) and restarts the timer, so quick repeated edits each
// sound and the last one is held for the full 250 ms.
#pragma once

#include <cstdint>
#include <memory>

class QTimer;

namespace midi {

class TimedAuditionNote {
public:
    static constexpr int kHoldMs = 250;
    static constexpr std::int32_t kVelocity = 60;

    TimedAuditionNote();
    ~TimedAuditionNote();
    TimedAuditionNote(const TimedAuditionNote&) = delete;
    TimedAuditionNote& operator=(const TimedAuditionNote&) = delete;

    // Note on (velocity 60, MIDIOutChannel) and the timer started; nothing while the MIDI
    // output is closed.
    void play(std::int32_t note);
    // Whether a note waits for its note off.
    [[nodiscard]] bool sounding() const { return m_note >= 0; }
    [[nodiscard]] std::int32_t note() const { return m_note; }
    // Sends the note off now (what the timer does); nothing when no note sounds. The
    // note off goes to the channel the note was played on, and only while the output is
    // open.
    void release();

private:
    std::unique_ptr<QTimer> m_timer;
    std::int32_t m_note = -1;
    std::int32_t m_channel = 0;
};

// The program's timed audition note.
[[nodiscard]] TimedAuditionNote& auditionNote();

}  // namespace midi
