// Brevane - lets the program's timed notes play out in tests.
#pragma once

#include <cstdint>

namespace midi::testing {

// Runs the program's event loop (platform::eventLoop) until the timed notes have ended
// (the phrase: a test scale or the generator's audition; the audition note) and what a
// phrase tells at its end has run; at most maxMs on the loop's clock. The milliseconds
// that passed.
std::int64_t PlayOutTimedNotes(std::int64_t maxMs = 60'000);

// Whether a timed note sounds or waits for its time.
[[nodiscard]] bool TimedNotesPlaying();

}  // namespace midi::testing
