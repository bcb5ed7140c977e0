// Brevane - cuts a stream of MIDI bytes into whole messages.
#include "platform/midi/MidiStreamParser.h"

#include <algorithm>

namespace platform {
namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kFirstRealTime = 0xF8;
constexpr std::uint8_t kFirstSystemCommon = 0xF0;
constexpr std::uint8_t kStatusBit = 0x80;
// A message begins with room for this many bytes, so a short message (moved out whole
// when it is complete) costs one allocation.
constexpr std::size_t kLongestShortMessage = 3;

// The end of the run of data bytes that starts at `from`: the position of the next status
// or real-time byte, or the end of the bytes.
std::size_t dataRunEnd(std::span<const std::uint8_t> bytes, std::size_t from)
{
    while (from < bytes.size() && !(bytes[from] & kStatusBit))
        ++from;
    return from;
}

}  // namespace

int shortMessageLength(std::uint8_t status)
{
    if (status < 0x80)
        return 0;
    if (status < 0xF0) {
        switch (status & 0xF0) {
        case 0xC0:  // program change
        case 0xD0:  // channel aftertouch
            return 2;
        default:
            return 3;
        }
    }
    switch (status) {
    case 0xF0:
    case 0xF7:
        return 0;
    case 0xF1:  // time code quarter frame
    case 0xF3:  // song select
        return 2;
    case 0xF2:  // song position
        return 3;
    default:  // tune request, real-time and undefined system bytes
        return 1;
    }
}

void MidiStreamParser::flushStray(const Sink& sink)
{
    if (m_stray.empty())
        return;
    sink(MidiPiece{MidiPiece::Kind::Stray, std::move(m_stray)});
    m_stray.clear();
}

void MidiStreamParser::flushIncomplete(const Sink& sink)
{
    if (m_message.empty())
        return;
    sink(MidiPiece{MidiPiece::Kind::Incomplete, std::move(m_message)});
    m_message.clear();
    m_expected = 0;
}

void MidiStreamParser::feed(std::span<const std::uint8_t> bytes, const Sink& sink)
{
    // Runs of data bytes (a dump's body, stray bytes) are taken whole rather than byte by byte.
    const auto take = [&](std::vector<std::uint8_t>& to, std::size_t from, std::size_t end) {
        to.insert(to.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                  bytes.begin() + static_cast<std::ptrdiff_t>(end));
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (b >= kFirstRealTime) {
            // Real-time bytes may stand anywhere and interrupt nothing.
            flushStray(sink);
            sink(MidiPiece{MidiPiece::Kind::Message, {b}});
            continue;
        }
        if (m_dropping) {
            // The rest of a message that was too long, up to its end or the next status.
            if (!(b & kStatusBit))
                continue;
            m_dropping = false;
            if (b == kSysexEnd)
                continue;
        }
        const bool inSysex = !m_message.empty() && m_message.front() == kSysexStart;
        if (b & kStatusBit)
            m_strayRun = false;
        if (b == kSysexEnd) {
            if (inSysex) {
                m_message.push_back(b);
                sink(MidiPiece{MidiPiece::Kind::Message, std::move(m_message)});
                m_message.clear();
            } else {
                flushIncomplete(sink);
                if (m_stray.size() == kMaxMessageBytes)
                    flushStray(sink);
                m_stray.push_back(b);
            }
            m_runningStatus = 0;
            continue;
        }
        if (b & kStatusBit) {
            flushStray(sink);
            flushIncomplete(sink);
            m_message.reserve(kLongestShortMessage);
            m_message.push_back(b);
            if (b == kSysexStart) {
                m_expected = 0;
                m_runningStatus = 0;
                continue;
            }
            m_expected = static_cast<std::size_t>(shortMessageLength(b));
            // System common messages cancel running status; channel messages set it.
            m_runningStatus = b < kFirstSystemCommon ? b : 0;
            if (m_message.size() >= m_expected) {
                sink(MidiPiece{MidiPiece::Kind::Message, std::move(m_message)});
                m_message.clear();
            }
            continue;
        }
        // A data byte.
        if (inSysex) {
            if (m_message.size() + 2 > kMaxMessageBytes) {  // this byte and the F7h to come
                sink(MidiPiece{MidiPiece::Kind::TooLong, std::move(m_message)});
                m_message = {};  // gives the memory back
                m_dropping = true;
                continue;
            }
            // This byte and the data bytes after it, as many as leave room for the F7h.
            const std::size_t end = std::min(dataRunEnd(bytes, i), i + (kMaxMessageBytes - 1 - m_message.size()));
            take(m_message, i, end);
            i = end - 1;
            continue;
        }
        if (m_message.empty() && m_runningStatus != 0) {
            m_message.reserve(kLongestShortMessage);
            m_message.push_back(m_runningStatus);
            m_expected = static_cast<std::size_t>(shortMessageLength(m_runningStatus));
        }
        if (m_message.empty()) {
            m_strayRun = true;
            const std::size_t end = dataRunEnd(bytes, i);
            while (i < end) {
                if (m_stray.size() == kMaxMessageBytes)
                    flushStray(sink);
                const std::size_t next = std::min(end, i + (kMaxMessageBytes - m_stray.size()));
                take(m_stray, i, next);
                i = next;
            }
            i = end - 1;
            continue;
        }
        flushStray(sink);
        m_message.push_back(b);
        if (m_message.size() >= m_expected) {
            sink(MidiPiece{MidiPiece::Kind::Message, std::move(m_message)});
            m_message.clear();
        }
    }
}

void MidiStreamParser::finish(const Sink& sink)
{
    flushStray(sink);
    flushIncomplete(sink);
    m_runningStatus = 0;
    m_dropping = false;
    m_strayRun = false;
}

void MidiStreamParser::reset()
{
    m_message = {};
    m_stray = {};
    m_expected = 0;
    m_runningStatus = 0;
    m_dropping = false;
    m_strayRun = false;
}

}  // namespace platform
