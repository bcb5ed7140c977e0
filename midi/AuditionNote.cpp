// Brevane - an audition note that a timer ends, so nothing waits while it sounds.
#include "midi/AuditionNote.h"

#include "midi/clsMIDIInit.h"
#include "midi/modMidiOutput.h"

#include <QTimer>

#include <string>

namespace midi {
namespace {

constexpr std::uint8_t kNoteOn = 0x90;

std::string byteText(std::int32_t v) { return std::string(1, static_cast<char>(v & 0xFF)); }

}  // namespace

TimedAuditionNote::TimedAuditionNote() : m_timer(std::make_unique<QTimer>())
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(kHoldMs);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { release(); });
}

TimedAuditionNote::~TimedAuditionNote() = default;

void TimedAuditionNote::play(std::int32_t note)
{
    clsMIDIInit& init = objMIDIInit();
    if (!init.MidiOutOpen || note < 0 || note > 127)
        return;
    // Every note on gets its own note off: a synthesizer that gives a repeated note a
    // voice of its own would otherwise keep one of them sounding.
    if (sounding())
        release();
    m_channel = init.MIDIOutChannel();
    m_note = note;
    (void)SendShortMessage(byteText(kNoteOn + m_channel), byteText(note), byteText(kVelocity), "");
    m_timer->start();
}

void TimedAuditionNote::release()
{
    m_timer->stop();
    if (!sounding())
        return;
    const std::int32_t note = m_note;
    m_note = -1;
    if (objMIDIInit().MidiOutOpen)
        (void)SendShortMessage(byteText(kNoteOn + m_channel), byteText(note), byteText(0), "");
}

TimedAuditionNote& auditionNote()
{
    // Never destroyed: its timer must not outlive the event loop at exit.
    static auto* note = new TimedAuditionNote;
    return *note;
}

}  // namespace midi
