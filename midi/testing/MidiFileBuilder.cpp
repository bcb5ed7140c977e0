// Brevane - writes Standard MIDI Files for tests, benchmarks and the fuzzer's seeds.
#include "midi/testing/MidiFileBuilder.h"

namespace midi::testing {
namespace {

void put32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
}

void put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v & 0xFF); }

}  // namespace

Bytes varLen(std::uint64_t value)
{
    Bytes out{static_cast<std::uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0)
        out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    return out;
}

TrackBuilder& TrackBuilder::raw(std::uint32_t delta, std::initializer_list<std::uint8_t> event)
{
    return raw(delta, std::span<const std::uint8_t>(event.begin(), event.size()));
}

TrackBuilder& TrackBuilder::raw(std::uint32_t delta, std::span<const std::uint8_t> event)
{
    const Bytes d = varLen(delta);
    m_bytes.insert(m_bytes.end(), d.begin(), d.end());
    m_bytes.insert(m_bytes.end(), event.begin(), event.end());
    return *this;
}

TrackBuilder& TrackBuilder::noteOn(std::uint32_t delta, int channel, int note, int velocity)
{
    return raw(delta, {u8(0x90 | channel), u8(note), u8(velocity)});
}

TrackBuilder& TrackBuilder::noteOff(std::uint32_t delta, int channel, int note)
{
    return raw(delta, {u8(0x80 | channel), u8(note), 0});
}

TrackBuilder& TrackBuilder::controller(std::uint32_t delta, int channel, int number, int value)
{
    return raw(delta, {u8(0xB0 | channel), u8(number), u8(value)});
}

TrackBuilder& TrackBuilder::program(std::uint32_t delta, int channel, int number)
{
    return raw(delta, {u8(0xC0 | channel), u8(number)});
}

TrackBuilder& TrackBuilder::pitchBend(std::uint32_t delta, int channel, int value14)
{
    return raw(delta, {u8(0xE0 | channel), u8(value14 & 0x7F), u8((value14 >> 7) & 0x7F)});
}

TrackBuilder& TrackBuilder::tempo(std::uint32_t delta, std::uint32_t usPerQuarter)
{
    return raw(delta, {0xFF, 0x51, 0x03, u8(static_cast<int>(usPerQuarter >> 16)),
                       u8(static_cast<int>(usPerQuarter >> 8)), u8(static_cast<int>(usPerQuarter))});
}

TrackBuilder& TrackBuilder::sysex(std::uint32_t delta, std::span<const std::uint8_t> afterF0)
{
    Bytes e{0xF0};
    const Bytes n = varLen(afterF0.size());
    e.insert(e.end(), n.begin(), n.end());
    e.insert(e.end(), afterF0.begin(), afterF0.end());
    return raw(delta, e);
}

TrackBuilder& TrackBuilder::sysexContinuation(std::uint32_t delta, std::span<const std::uint8_t> data)
{
    Bytes e{0xF7};
    const Bytes n = varLen(data.size());
    e.insert(e.end(), n.begin(), n.end());
    e.insert(e.end(), data.begin(), data.end());
    return raw(delta, e);
}

TrackBuilder& TrackBuilder::end(std::uint32_t delta) { return raw(delta, {0xFF, 0x2F, 0x00}); }

Bytes chunk(const std::string& id, std::span<const std::uint8_t> body)
{
    Bytes out(id.begin(), id.end());
    out.resize(4, ' ');
    put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes buildMidiFile(int format, int division, const std::vector<TrackBuilder>& tracks)
{
    return buildMidiFile(format, division, static_cast<int>(tracks.size()), tracks);
}

Bytes buildMidiFile(int format, int division, int headerTrackCount, const std::vector<TrackBuilder>& tracks)
{
    Bytes header;
    put16(header, static_cast<std::uint32_t>(format));
    put16(header, static_cast<std::uint32_t>(headerTrackCount));
    put16(header, static_cast<std::uint32_t>(division));
    Bytes out = chunk("MThd", header);
    for (const TrackBuilder& t : tracks) {
        const Bytes c = chunk("MTrk", t.bytes());
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

Bytes arrangement(int tracks, int eventsPerTrack)
{
    std::vector<TrackBuilder> built(static_cast<std::size_t>(tracks));
    for (int t = 0; t < tracks; ++t) {
        TrackBuilder& tb = built[static_cast<std::size_t>(t)];
        const int channel = t % 16;
        tb.program(0, channel, t % 128);
        int written = 1;
        int step = 0;
        while (written < eventsPerTrack) {
            if (t == 0 && step % 16 == 0) {
                tb.tempo(0, 400'000 + static_cast<std::uint32_t>(step % 7) * 20'000);
                ++written;
            }
            const int note = 36 + (step * 7 + t * 5) % 60;
            // Running status: the note-off (velocity 0) reuses the note-on's status byte.
            tb.noteOn(60, channel, note, 90);
            tb.raw(60, {static_cast<std::uint8_t>(note), 0});
            written += 2;
            if (step % 4 == 0) {
                tb.controller(0, channel, 7, 64 + step % 64);
                tb.pitchBend(0, channel, 8192 + (step % 32) * 64);
                written += 2;
            }
            ++step;
        }
        tb.end(0);
    }
    return buildMidiFile(1, 480, built);
}

}  // namespace midi::testing
