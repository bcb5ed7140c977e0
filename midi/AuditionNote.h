// Brevane - an audition note that a timed call ends, so nothing waits while it sounds.
//
// The note on goes out and the call returns; a timed call (platform::TimedCall) sends the
// note off 250 ms later, from whatever the event loop runs then, a modal dialog or a
// question among them. A new note while one sounds ends the old one first (the same note
// too) and starts the 250 ms again, so quick repeated edits each sound and the last one is
// held for the full 250 ms.
#pragma once

#include "platform/Services.h"

#include <cstdint>

namespace platform {
class MidiBackend;
}

namespace midi {

class TimedAuditionNote {
public:
    static constexpr int kHoldMs = 250;
    static constexpr std::int32_t kVelocity = 60;

    TimedAuditionNote() = default;
    TimedAuditionNote(const TimedAuditionNote&) = delete;
    TimedAuditionNote& operator=(const TimedAuditionNote&) = delete;

    // Note on (velocity 60, MIDIOutChannel) and its note off timed; nothing while the MIDI
    // output is closed.
    void play(std::int32_t note);
    // Whether a note waits for its note off.
    [[nodiscard]] bool sounding() const { return m_note >= 0; }
    [[nodiscard]] std::int32_t note() const { return m_note; }
    // Sends the note off now (what the timed call does); nothing when no note sounds. The
    // note off goes to the channel the note was played on, and only while the output it
    // was played on is open.
    void release();
    // Forgets the note without sending anything: its output has closed.
    void forget();

private:
    platform::TimedCall m_off;
    platform::MidiBackend* m_backend = nullptr;
    std::int32_t m_note = -1;
    std::int32_t m_channel = 0;
    // play is releasing the note before its own.
    bool m_releasing = false;
};

// The program's timed audition note.
[[nodiscard]] TimedAuditionNote& auditionNote();

}  // namespace midi
