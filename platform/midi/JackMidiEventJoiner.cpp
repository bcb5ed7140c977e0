// Brevane - joins the events of a JACK MIDI input port into whole MIDI messages.
#include "platform/midi/JackMidiEventJoiner.h"

#include <utility>

namespace platform {
namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kFirstRealTime = 0xF8;
constexpr std::uint8_t kStatusBit = 0x80;

}  // namespace

JackMidiEventJoiner::JackMidiEventJoiner(Sink sink) : m_sink(std::move(sink)) {}

void JackMidiEventJoiner::push(std::span<const std::uint8_t> eventBytes)
{
    if (m_strayRun) {
        // Data bytes that open the event go on with the run of stray bytes handed out
        // already; real-time bytes among them come out as ever.
        std::size_t i = 0;
        for (; i < eventBytes.size(); ++i) {
            if (eventBytes[i] >= kFirstRealTime)
                m_parser.feed(eventBytes.subspan(i, 1), m_sink);
            else if (eventBytes[i] & kStatusBit)
                break;
        }
        eventBytes = eventBytes.subspan(i);
        if (eventBytes.empty())
            return;
        m_strayRun = false;
    }
    if (eventBytes.empty())
        return;
    m_parser.feed(eventBytes, m_sink);
    // Whether System Exclusive is still open after this event: the last status byte (real-
    // time bytes aside) decides; an event of data bytes only leaves it as it was.
    for (auto it = eventBytes.rbegin(); it != eventBytes.rend(); ++it) {
        if ((*it & kStatusBit) && *it < kFirstRealTime) {
            m_inSysex = *it == kSysexStart;
            break;
        }
    }
    // Anything else still open is a short message cut short, or stray bytes: it ends here.
    if (!m_inSysex) {
        m_strayRun = m_parser.inStrayRun();
        m_parser.finish(m_sink);
    }
}

std::span<const std::uint8_t> JackMidiEventJoiner::openSysex() const
{
    return m_inSysex ? m_parser.heldMessage() : std::span<const std::uint8_t>();
}

void JackMidiEventJoiner::endSysex()
{
    if (!m_inSysex)
        return;
    m_parser.finish(m_sink);
    m_inSysex = false;
    // What may still come of it is its rest, not a message of its own.
    m_strayRun = true;
}

void JackMidiEventJoiner::reset()
{
    m_parser.reset();
    m_inSysex = false;
    m_strayRun = false;
}

}  // namespace platform
