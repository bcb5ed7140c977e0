// Brevane - Standard MIDI Files: reading one into a timed list of messages.
#include "midi/MidiFile.h"

#include "platform/FileIO.h"
#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiStreamParser.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace midi {
namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEscape = 0xF7;  // continuation packet, or bytes sent as they are
constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kHeaderDataBytes = 6;
constexpr int kMaxVarLenBytes = 4;
// The latest time kept, about 35 years: further times are held there, so that sums and
// products of times never overflow.
constexpr std::int64_t kMaxTimeUs = std::int64_t{1} << 50;

// An event while its track is read: time holds ticks.
using Staged = MidiFileEvent;

struct StagedTempo {
    std::uint64_t tick = 0;
    std::uint32_t usPerQuarter = 0;
};

bool chunkIs(std::span<const std::uint8_t> at, const char (&id)[5])
{
    return at.size() >= 4 && std::equal(at.begin(), at.begin() + 4, id);
}

std::uint32_t bigEndian(std::span<const std::uint8_t> b, std::size_t n)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v = (v << 8) | b[i];
    return v;
}

class TrackReader {
public:
    TrackReader(std::span<const std::uint8_t> data, MidiFile& file, std::vector<Staged>& events,
                std::vector<StagedTempo>& tempos, std::uint64_t& lastTick)
        : m_data(data), m_file(file), m_events(events), m_tempos(tempos), m_lastTick(lastTick)
    {
    }

    // Reads the whole track, as far as it is readable.
    void read()
    {
        while (m_pos < m_data.size()) {
            std::uint32_t delta = 0;
            if (!varLen(delta))
                return fault("a time in a track is cut off or longer than four bytes");
            m_tick += delta;
            if (m_pos >= m_data.size())
                return fault("a track ends inside an event");
            const std::uint8_t b = m_data[m_pos];
            if (b == kMeta) {
                ++m_pos;
                if (!meta())
                    return;
                if (m_ended)
                    return;
            } else if (b == kSysexStart || b == kSysexEscape) {
                ++m_pos;
                if (!sysex(b))
                    return;
            } else if (b >= 0x80 && b < 0xF0) {
                ++m_pos;
                m_running = b;
                if (!channelMessage())
                    return;
            } else if (b < 0x80) {
                if (m_running == 0)
                    return fault("a track uses running status before any status byte");
                if (!channelMessage())
                    return;
            } else {
                return fault("a track holds a status byte that no MIDI file may hold");
            }
            if (m_events.size() >= kMaxMidiFileEvents)
                return fault("the file holds more events than the player takes");
        }
        if (m_pendingSysex)
            noteDamage("a System Exclusive message is not finished at the end of its track");
        else
            noteDamage("a track has no end-of-track mark");
        m_lastTick = std::max(m_lastTick, m_tick);
    }

private:
    void noteDamage(const char* what)
    {
        if (!m_file.damaged) {
            m_file.damaged = true;
            m_file.damageNote = what;
        }
    }

    void fault(const char* what)
    {
        noteDamage(what);
        m_lastTick = std::max(m_lastTick, m_tick);
    }

    bool varLen(std::uint32_t& out)
    {
        out = 0;
        for (int i = 0; i < kMaxVarLenBytes; ++i) {
            if (m_pos >= m_data.size())
                return false;
            const std::uint8_t b = m_data[m_pos++];
            out = (out << 7) | (b & 0x7F);
            if ((b & 0x80) == 0)
                return true;
        }
        return false;
    }

    // A length followed by that many bytes, all within the track.
    bool block(std::span<const std::uint8_t>& out)
    {
        std::uint32_t length = 0;
        if (!varLen(length)) {
            fault("a length in a track is cut off or longer than four bytes");
            return false;
        }
        if (length > m_data.size() - m_pos) {
            fault("an event in a track runs past the end of its track");
            return false;
        }
        out = m_data.subspan(m_pos, length);
        m_pos += length;
        return true;
    }

    void add(std::uint32_t data, std::uint32_t sysexLength, std::uint64_t tick)
    {
        Staged e;
        e.timeUs = static_cast<std::int64_t>(std::min<std::uint64_t>(tick, std::numeric_limits<std::int64_t>::max()));
        e.data = data;
        e.sysexLength = sysexLength;
        m_events.push_back(e);
        m_lastTick = std::max(m_lastTick, tick);
    }

    bool meta()
    {
        if (m_pos >= m_data.size()) {
            fault("a track ends inside an event");
            return false;
        }
        const std::uint8_t type = m_data[m_pos++];
        std::span<const std::uint8_t> body;
        if (!block(body))
            return false;
        if (type == kMetaEndOfTrack) {
            m_ended = true;
            m_lastTick = std::max(m_lastTick, m_tick);
            if (m_pendingSysex)
                noteDamage("a System Exclusive message is not finished at the end of its track");
        } else if (type == kMetaTempo && body.size() >= 3) {
            const std::uint32_t us = bigEndian(body, 3);
            if (us > 0)
                m_tempos.push_back({m_tick, us});
            else
                noteDamage("a tempo of 0 was passed over");
        }
        return true;
    }

    bool sysex(std::uint8_t kind)
    {
        std::span<const std::uint8_t> body;
        if (!block(body))
            return false;
        if (kind == kSysexStart) {
            if (m_pendingSysex)
                noteDamage("a System Exclusive message was left unfinished");
            m_sysex.assign(1, kSysexStart);
            m_sysex.insert(m_sysex.end(), body.begin(), body.end());
            m_sysexTick = m_tick;
            m_pendingSysex = true;
        } else if (m_pendingSysex) {
            m_sysex.insert(m_sysex.end(), body.begin(), body.end());
        } else {
            escaped(body);
            return true;
        }
        if (!m_sysex.empty() && m_sysex.back() == 0xF7) {
            m_pendingSysex = false;
            keepSysex();
        }
        return true;
    }

    // Joined packets, F0 .. F7: kept when every byte between is a data byte.
    void keepSysex()
    {
        const auto inner = std::span(m_sysex).subspan(1, m_sysex.size() - 2);
        if (std::any_of(inner.begin(), inner.end(), [](std::uint8_t b) { return b > 0x7F; })) {
            noteDamage("a System Exclusive message holds a byte that is not a data byte");
            return;
        }
        add(static_cast<std::uint32_t>(m_file.sysexBytes.size()), static_cast<std::uint32_t>(m_sysex.size()),
            m_sysexTick);
        m_file.sysexBytes.insert(m_file.sysexBytes.end(), m_sysex.begin(), m_sysex.end());
    }

    // Bytes to be sent as they stand: the whole messages among them are kept.
    void escaped(std::span<const std::uint8_t> body)
    {
        platform::MidiStreamParser parser;
        bool lost = false;
        const auto sink = [&](platform::MidiPiece&& piece) {
            if (piece.kind != platform::MidiPiece::Kind::Message) {
                lost = true;
                return;
            }
            const auto& b = piece.bytes;
            if (b.front() == kSysexStart) {
                m_sysex = b;
                m_sysexTick = m_tick;
                keepSysex();
                return;
            }
            std::uint32_t packed = 0;
            for (std::size_t i = 0; i < b.size() && i < 3; ++i)
                packed |= static_cast<std::uint32_t>(b[i]) << (8 * i);
            noteChannel(b.front());
            add(packed, 0, m_tick);
        };
        parser.feed(body, sink);
        parser.finish(sink);
        if (lost)
            noteDamage("escaped bytes that form no whole message were passed over");
    }

    void noteChannel(std::uint8_t status)
    {
        if (status >= 0x80 && status < 0xF0)
            m_file.channelsUsed = static_cast<std::uint16_t>(m_file.channelsUsed | (1U << (status & 0x0F)));
    }

    bool channelMessage()
    {
        const int length = platform::shortMessageLength(m_running);
        std::uint32_t packed = m_running;
        for (int i = 1; i < length; ++i) {
            if (m_pos >= m_data.size()) {
                fault("a track ends inside an event");
                return false;
            }
            const std::uint8_t b = m_data[m_pos];
            if (b > 0x7F) {
                fault("a channel message is short of its data bytes");
                return false;
            }
            ++m_pos;
            packed |= static_cast<std::uint32_t>(b) << (8 * i);
        }
        noteChannel(m_running);
        add(packed, 0, m_tick);
        return true;
    }

    std::span<const std::uint8_t> m_data;
    MidiFile& m_file;
    std::vector<Staged>& m_events;
    std::vector<StagedTempo>& m_tempos;
    std::uint64_t& m_lastTick;
    std::size_t m_pos = 0;
    std::uint64_t m_tick = 0;
    std::uint8_t m_running = 0;
    bool m_ended = false;
    bool m_pendingSysex = false;
    std::vector<std::uint8_t> m_sysex;
    std::uint64_t m_sysexTick = 0;
};

// Ticks to microseconds: PPQN under a tempo map, or SMPTE at a fixed rate.
class TickClock {
public:
    TickClock(const MidiFile& f, const std::vector<StagedTempo>& tempos) : m_file(f), m_tempos(tempos) {}

    // Times of ticks in rising order (each call's tick at least the previous one's).
    std::int64_t timeOf(std::uint64_t tick)
    {
        if (m_file.smpteFps != 0) {
            // 29 stands for 29.97 frames a second.
            const long double framesPerSecond = m_file.smpteFps == 29 ? 29.97L : m_file.smpteFps;
            return clamp(static_cast<long double>(tick) * 1e6L / (framesPerSecond * m_file.ticksPerFrame));
        }
        while (m_next < m_tempos.size() && m_tempos[m_next].tick <= tick) {
            m_segmentUs = at(m_tempos[m_next].tick);
            m_segmentTick = m_tempos[m_next].tick;
            m_usPerQuarter = m_tempos[m_next].usPerQuarter;
            ++m_next;
        }
        return at(tick);
    }

private:
    [[nodiscard]] static std::int64_t clamp(long double us)
    {
        return us >= static_cast<long double>(kMaxTimeUs) ? kMaxTimeUs : static_cast<std::int64_t>(us + 0.5L);
    }
    [[nodiscard]] std::int64_t at(std::uint64_t tick) const
    {
        const long double delta = static_cast<long double>(tick - m_segmentTick) * m_usPerQuarter /
                                  m_file.ticksPerQuarter;
        return clamp(static_cast<long double>(m_segmentUs) + delta);
    }

    const MidiFile& m_file;
    const std::vector<StagedTempo>& m_tempos;
    std::size_t m_next = 0;
    std::int64_t m_segmentUs = 0;
    std::uint64_t m_segmentTick = 0;
    std::uint32_t m_usPerQuarter = kDefaultUsPerQuarter;
};

MidiFileRead refused(MidiFileError error, std::string message)
{
    MidiFileRead r;
    r.error = error;
    r.message = std::move(message);
    return r;
}

}  // namespace

std::uint32_t MidiFile::firstUsPerQuarter() const
{
    // Of several tempos at the start, the last one is in force when the first note plays.
    std::uint32_t us = kDefaultUsPerQuarter;
    for (auto t = tempoMap.begin(); t != tempoMap.end() && t->timeUs == 0; ++t)
        us = t->usPerQuarter;
    return us;
}

int MidiFile::firstTempoBpm() const
{
    if (smpteFps != 0)
        return 120;
    return static_cast<int>(std::lround(60'000'000.0 / firstUsPerQuarter()));
}

std::span<const std::uint8_t> MidiFile::sysex(const MidiFileEvent& e) const
{
    if (!e.isSysex() || e.data > sysexBytes.size() || e.sysexLength > sysexBytes.size() - e.data)
        return {};
    return std::span(sysexBytes).subspan(e.data, e.sysexLength);
}

MidiFileRead readMidiFile(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > kMaxMidiFileBytes)
        return refused(MidiFileError::TooLarge, "The file is too large to be a MIDI file the player can take.");
    if (bytes.size() < kChunkHeaderBytes + kHeaderDataBytes || !chunkIs(bytes, "MThd"))
        return refused(MidiFileError::NotMidi, "The file is not a Standard MIDI File.");
    const std::uint32_t headerLength = bigEndian(bytes.subspan(4), 4);
    if (headerLength < kHeaderDataBytes)
        return refused(MidiFileError::NotMidi, "The file is not a Standard MIDI File.");

    MidiFileRead result;
    MidiFile& f = result.file;
    const auto header = bytes.subspan(kChunkHeaderBytes);
    f.format = static_cast<int>(bigEndian(header, 2));
    f.headerTrackCount = static_cast<int>(bigEndian(header.subspan(2), 2));
    const std::uint32_t division = bigEndian(header.subspan(4), 2);
    if (f.format > 1)
        return refused(MidiFileError::UnsupportedFormat,
                       "The file is a MIDI file of format " + std::to_string(f.format) +
                           ", which the player cannot play (it plays formats 0 and 1).");
    if (division & 0x8000) {
        const int fps = -static_cast<int>(static_cast<std::int8_t>(division >> 8));
        f.smpteFps = fps;
        f.ticksPerFrame = static_cast<int>(division & 0xFF);
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || f.ticksPerFrame == 0)
            return refused(MidiFileError::BadDivision, "The MIDI file gives a time division the player cannot use.");
    } else {
        f.ticksPerQuarter = static_cast<int>(division);
        if (f.ticksPerQuarter == 0)
            return refused(MidiFileError::BadDivision, "The MIDI file gives a time division the player cannot use.");
    }

    std::vector<Staged> staged;
    std::vector<StagedTempo> tempos;
    std::uint64_t lastTick = 0;
    std::size_t pos = kChunkHeaderBytes + std::min<std::size_t>(headerLength, bytes.size() - kChunkHeaderBytes);
    if (headerLength > bytes.size() - kChunkHeaderBytes) {
        f.damaged = true;
        f.damageNote = "the header chunk runs past the end of the file";
    }
    while (bytes.size() - pos >= kChunkHeaderBytes && staged.size() < kMaxMidiFileEvents) {
        const auto chunk = bytes.subspan(pos);
        const std::uint32_t length = bigEndian(chunk.subspan(4), 4);
        const std::size_t available = bytes.size() - pos - kChunkHeaderBytes;
        const std::size_t size = std::min<std::size_t>(length, available);
        if (length > available && !f.damaged) {
            f.damaged = true;
            f.damageNote = "the last chunk runs past the end of the file";
        }
        if (chunkIs(chunk, "MTrk")) {
            TrackReader(chunk.subspan(kChunkHeaderBytes, size), f, staged, tempos, lastTick).read();
            ++f.trackCount;
        }
        pos += kChunkHeaderBytes + size;
    }
    if (f.trackCount == 0)
        return refused(MidiFileError::NoTracks, "The MIDI file holds no tracks.");
    if (f.trackCount != f.headerTrackCount && !f.damaged) {
        f.damaged = true;
        f.damageNote = "the file holds another number of tracks than its header says";
    }

    // Tracks play together, and a dump sent in packets stands at its first packet's time,
    // before events between its packets: order by time, keeping file order at equal times.
    std::stable_sort(staged.begin(), staged.end(),
                     [](const Staged& a, const Staged& b) { return a.timeUs < b.timeUs; });
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const StagedTempo& a, const StagedTempo& b) { return a.tick < b.tick; });

    TickClock clock(f, tempos);
    for (Staged& e : staged)
        e.timeUs = clock.timeOf(static_cast<std::uint64_t>(e.timeUs));
    f.events = std::move(staged);
    if (f.smpteFps == 0) {
        TickClock tempoClock(f, tempos);
        f.tempoMap.reserve(tempos.size());
        for (const StagedTempo& t : tempos)
            f.tempoMap.push_back({tempoClock.timeOf(t.tick), t.usPerQuarter});
    }
    TickClock endClock(f, tempos);
    f.lengthUs = endClock.timeOf(lastTick);
    if (!f.events.empty())
        f.lengthUs = std::max(f.lengthUs, f.events.back().timeUs);
    return result;
}

MidiFileRead loadMidiFile(const std::string& path)
{
    const std::int64_t size = platform::fileSize(path);
    if (size > static_cast<std::int64_t>(kMaxMidiFileBytes))
        return refused(MidiFileError::TooLarge, "The file is too large to be a MIDI file the player can take.");
    platform::ReadResult read = platform::readWholeFile(path, kMaxMidiFileBytes);
    if (read.error != platform::FileError::None)
        return refused(MidiFileError::Unreadable,
                       read.error == platform::FileError::TooLarge
                           ? "The file is too large to be a MIDI file the player can take."
                           : "The file cannot be read: " + read.message);
    return readMidiFile(read.bytes);
}

}  // namespace midi
