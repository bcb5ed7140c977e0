// Brevane - lets the program's timed notes, dump requests and file sends play out in tests.
#pragma once

#include <cstdint>

namespace midi {
class MidiTransferCommands;
}

namespace midi::testing {

// Runs the program's event loop (platform::eventLoop) until the timed notes have ended
// (the phrase: a test scale or the generator's audition; the audition note) and what a
// phrase tells at its end has run; at most maxMs on the loop's clock. The milliseconds
// that passed.
std::int64_t PlayOutTimedNotes(std::int64_t maxMs = 60'000);

// Whether a timed note sounds or waits for its time.
[[nodiscard]] bool TimedNotesPlaying();

// A Receive returns while its request waits: runs the program's event loop until the
// request sequence (its wait, its questions and what its reply brings) has ended.
void WaitForRequestEnd();

// Midi > Send > File returns while the file goes out: runs the program's event loop until
// the send has ended.
void WaitForFileSendEnd(const MidiTransferCommands& commands);

}  // namespace midi::testing
