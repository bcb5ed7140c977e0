// Brevane - phrases of timed notes (the test scale, the generator's audition), played on
// timed calls so that nothing waits while they sound.
//
// A note's on goes out, a timed call sends its off when its hold is up and another starts
// the next note after its gap. The calls come at their time from whatever the event loop
// runs then, a modal dialog or a question among them, so no window opened meanwhile holds
// a note. One phrase plays at a time in the program: a new one, or a voice sent to the
// synthesizer (a phrase sounds the voice it followed), ends the one playing first, its
// sounding note released. When the output closes, a phrase stops without sending more.
//
// A send the device refuses shows the device's error, and its box runs the event loop, so
// other code may start or end a phrase in the middle of a send. Whatever it does, every
// phrase's end is told once. Which phrase plays then:
// - the note off that releases the phrase being ended (by play or stop): a phrase asked
//   for while its box is open does not start, and its end is told at once. The call that
//   was ending one finishes its work: when play returns its own phrase plays, when stop
//   returns none does, so the voice sent after a stop is never sounded by another phrase;
// - a phrase's own note on or timed note off: the phrase ended or started in its box
//   stands, and the phrase whose note it was sends nothing more. A refused note sends no
//   note off; with LogOutputFailed the monitor still says so.
#pragma once

#include "platform/Services.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace platform {
class MidiBackend;
}

namespace midi {

// One note of a phrase, in milliseconds: from its on to its off, and from its off to the
// next note's on.
struct PhraseNote {
    std::int32_t note = 0;
    std::int32_t velocity = 0;
    std::int32_t holdMs = 0;
    std::int32_t gapMs = 0;
};

class TimedPhrase {
public:
    // What a note the device refuses does (the device's error is shown by the send): the
    // phrase ends there either way; with LogOutputFailed the monitor also says
    // "Output Failed", once.
    enum class Failure { Stop, LogOutputFailed };

    TimedPhrase() = default;
    TimedPhrase(const TimedPhrase&) = delete;
    TimedPhrase& operator=(const TimedPhrase&) = delete;

    // Ends the phrase playing, then plays notes on MIDIOutChannel (each off on the channel
    // of its on) and returns once the first note is on. Nothing plays while the output is
    // closed. ended, when given, is called once when this phrase is over, however it ended
    // (played out, a refused note, cut, the output closed, or never started, as when it is
    // asked for while another's note off is being refused), and always from the event
    // loop, never from inside a call to this class.
    void play(std::vector<PhraseNote> notes, Failure failure, std::function<void()> ended = {});
    // Ends the phrase now, its sounding note released while its output is still open.
    void stop();
    // Ends the phrase without sending anything: its output has closed.
    void forget();
    [[nodiscard]] bool playing() const { return m_playing; }

private:
    void noteOn();
    void noteOff();
    // Whether the output the phrase started on is still open.
    [[nodiscard]] bool outputStillOpen() const;
    // The phrase is over: ended is told from the event loop.
    void end();
    // A note of phrase (counted by m_ends) was refused; it ends unless it already has.
    void failed(Failure failure, std::uint64_t phrase);

    std::vector<PhraseNote> m_notes;
    std::size_t m_next = 0;  // the note sounding, or the next to sound
    std::int32_t m_channel = 0;  // of the note sounding
    Failure m_failure = Failure::Stop;
    std::function<void()> m_ended;
    platform::MidiBackend* m_backend = nullptr;
    bool m_playing = false;
    bool m_sounding = false;
    // stop is sending the note off of the phrase it ended: no phrase starts meanwhile.
    bool m_releasing = false;
    // Counts the phrases ended: a send that let other code run (the box of a device
    // error) finds out whether its phrase is still the one playing.
    std::uint64_t m_ends = 0;
    platform::TimedCall m_step;
};

// The program's phrase player.
[[nodiscard]] TimedPhrase& timedPhrase();

// The output has closed: the phrase playing and the timed audition note end without
// sending anything more.
void ForgetTimedNotes();

}  // namespace midi
