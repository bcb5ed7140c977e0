// Brevane - lets the program's timed notes, dump requests and file sends play out in tests.
#include "midi/testing/TimedNotes.h"

#include "midi/AuditionNote.h"
#include "midi/MidiTransfers.h"
#include "midi/TimedPhrase.h"
#include "midi/modMidiOutput.h"
#include "platform/Services.h"

namespace midi::testing {

bool TimedNotesPlaying() { return timedPhrase().playing() || auditionNote().sounding(); }

std::int64_t PlayOutTimedNotes(std::int64_t maxMs)
{
    platform::EventLoop& loop = platform::eventLoop();
    const std::int64_t start = loop.nowMs();
    while (TimedNotesPlaying() && loop.nowMs() - start < maxMs)
        loop.processEvents(10);
    // A phrase tells its end on the next turn of the loop.
    loop.processEvents(0);
    return loop.nowMs() - start;
}

void WaitForRequestEnd()
{
    while (RequestSequenceActive())
        platform::eventLoop().processEvents(10);
}

void WaitForFileSendEnd(const MidiTransferCommands& commands)
{
    while (commands.sendingFile())
        platform::eventLoop().processEvents(10);
}

}  // namespace midi::testing
