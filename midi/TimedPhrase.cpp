// Brevane - phrases of timed notes, played on timed calls.
#include "midi/TimedPhrase.h"

#include "midi/AuditionNote.h"
#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiOutput.h"

#include <string>
#include <utility>

namespace midi {
namespace {

constexpr std::uint8_t kNoteOn = 0x90;

std::string byteText(std::int32_t v) { return std::string(1, static_cast<char>(v & 0xFF)); }

bool sendNote(std::int32_t channel, std::int32_t note, std::int32_t velocity)
{
    return SendShortMessage(byteText(kNoteOn + channel), byteText(note), byteText(velocity), "") ==
           TransportResult::Ok;
}

}  // namespace

void TimedPhrase::play(std::vector<PhraseNote> notes, Failure failure, std::function<void()> ended)
{
    stop();
    const clsMIDIInit& init = objMIDIInit();
    m_ended = std::move(ended);
    if (m_releasing || !init.MidiOutOpen || notes.empty()) {
        end();
        return;
    }
    m_notes = std::move(notes);
    m_next = 0;
    m_failure = failure;
    m_backend = init.backend();
    m_playing = true;
    noteOn();
}

bool TimedPhrase::outputStillOpen() const
{
    const clsMIDIInit& init = objMIDIInit();
    return init.MidiOutOpen && !init.MidiSystemIsGone() && init.backend() == m_backend;
}

void TimedPhrase::noteOn()
{
    if (!outputStillOpen()) {
        end();
        return;
    }
    const std::uint64_t phrase = m_ends;
    const Failure failure = m_failure;
    m_channel = objMIDIInit().MIDIOutChannel();
    // Sounding only once sent: a refused note on needs no note off, whoever ends the
    // phrase while its error is shown.
    const bool sent = sendNote(m_channel, m_notes[m_next].note, m_notes[m_next].velocity);
    if (!sent) {
        failed(failure, phrase);
        return;
    }
    if (phrase != m_ends)
        return;
    m_sounding = true;
    m_step.start(m_notes[m_next].holdMs, [this] { noteOff(); });
}

void TimedPhrase::noteOff()
{
    if (!outputStillOpen()) {
        end();
        return;
    }
    const std::uint64_t phrase = m_ends;
    const Failure failure = m_failure;
    m_sounding = false;
    const bool sent = sendNote(m_channel, m_notes[m_next].note, 0);
    if (!sent) {
        failed(failure, phrase);
        return;
    }
    if (phrase != m_ends)
        return;
    const std::int32_t gap = m_notes[m_next].gapMs;
    if (++m_next == m_notes.size())
        end();
    else
        m_step.start(gap, [this] { noteOn(); });
}

void TimedPhrase::failed(Failure failure, std::uint64_t phrase)
{
    if (failure == Failure::LogOutputFailed) {
        MonitorLines line;
        line[MonitorField::Message] = "Output Failed";
        windows().managerData().AddMessage(line, false);
    }
    // Ended while the device's error was shown, the phrase has been told already, and
    // what plays now is another's.
    if (phrase == m_ends)
        end();
}

void TimedPhrase::end()
{
    m_step.stop();
    m_playing = false;
    m_sounding = false;
    m_notes.clear();
    m_backend = nullptr;
    ++m_ends;
    // Told from the event loop: whoever is told may start another phrase, and the code
    // that ended this one (a new phrase, a voice sent) is still running. The loop owns
    // the call, which goes with it.
    if (std::function<void()> ended = std::exchange(m_ended, {}))
        platform::eventLoop().callAfter(0, std::move(ended));
}

void TimedPhrase::stop()
{
    if (!m_playing)
        return;
    const bool release = m_sounding && outputStillOpen();
    const std::int32_t channel = m_channel;
    const std::int32_t note = m_notes[m_next].note;
    // Over before the note off goes out: a send that lets other code run finds nothing
    // left to end, and starts nothing (play), so that what called stop finds no phrase
    // playing once it returns.
    end();
    if (!release)
        return;
    const bool wasReleasing = std::exchange(m_releasing, true);
    (void)sendNote(channel, note, 0);
    m_releasing = wasReleasing;
}

void TimedPhrase::forget()
{
    if (m_playing)
        end();
}

TimedPhrase& timedPhrase()
{
    // Never destroyed: its timed call must not be taken back after the event loop is gone
    // at exit.
    static auto* phrase = new TimedPhrase;
    return *phrase;
}

void ForgetTimedNotes()
{
    timedPhrase().forget();
    auditionNote().forget();
}

}  // namespace midi
