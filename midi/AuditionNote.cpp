// Brevane - an audition note that a timed call ends, so nothing waits while it sounds.
#include "midi/AuditionNote.h"

#include "midi/clsMIDIInit.h"
#include "midi/modMidiOutput.h"

#include <string>

namespace midi {
namespace {

constexpr std::uint8_t kNoteOn = 0x90;

std::string byteText(std::int32_t v) { return std::string(1, static_cast<char>(v & 0xFF)); }

}  // namespace

void TimedAuditionNote::play(std::int32_t note)
{
    clsMIDIInit& init = objMIDIInit();
    if (!init.MidiOutOpen || note < 0 || note > 127)
        return;
    // A note asked for while the note before is being released (the device refused the
    // release and its error box runs the event loop) gives way: the note played when the
    // box closes is the one that asked first, and no note is left without its note off.
    if (m_releasing)
        return;
    // Every note on gets its own note off: a synthesizer that gives a repeated note a
    // voice of its own would otherwise keep one of them sounding.
    if (sounding()) {
        m_releasing = true;
        release();
        m_releasing = false;
    }
    m_channel = init.MIDIOutChannel();
    m_note = note;
    m_backend = init.backend();
    (void)SendShortMessage(byteText(kNoteOn + m_channel), byteText(note), byteText(kVelocity), "");
    // Timed from the note on, which may have let other code run (the box of a device
    // error): the note must still be the one sounding.
    if (m_note == note)
        m_off.start(kHoldMs, [this] { release(); });
}

void TimedAuditionNote::release()
{
    m_off.stop();
    if (!sounding())
        return;
    const std::int32_t note = m_note;
    m_note = -1;
    const clsMIDIInit& init = objMIDIInit();
    if (init.MidiOutOpen && !init.MidiSystemIsGone() && init.backend() == m_backend)
        (void)SendShortMessage(byteText(kNoteOn + m_channel), byteText(note), byteText(0), "");
}

void TimedAuditionNote::forget()
{
    m_off.stop();
    m_note = -1;
}

TimedAuditionNote& auditionNote()
{
    // Never destroyed: its timed call must not be taken back after the event loop is gone
    // at exit.
    static auto* note = new TimedAuditionNote;
    return *note;
}

}  // namespace midi
