// Brevane - writes Standard MIDI Files for tests, benchmarks and the fuzzer's seeds.
//
// A track is built event by event (a delta time in ticks, then the event's bytes as they
// stand in the file, running status and all); a file is a header and its tracks. Nothing
// is checked: the builder writes broken files as readily as good ones.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace midi::testing {

using Bytes = std::vector<std::uint8_t>;

// A variable-length number as a MIDI file writes it (1 to 5 bytes).
[[nodiscard]] Bytes varLen(std::uint64_t value);

class TrackBuilder {
public:
    // Any bytes after a delta time.
    TrackBuilder& raw(std::uint32_t delta, std::initializer_list<std::uint8_t> event);
    TrackBuilder& raw(std::uint32_t delta, std::span<const std::uint8_t> event);
    // Channel messages with their status byte; channel 0-15.
    TrackBuilder& noteOn(std::uint32_t delta, int channel, int note, int velocity);
    TrackBuilder& noteOff(std::uint32_t delta, int channel, int note);
    TrackBuilder& controller(std::uint32_t delta, int channel, int number, int value);
    TrackBuilder& program(std::uint32_t delta, int channel, int number);
    TrackBuilder& pitchBend(std::uint32_t delta, int channel, int value14);
    // The tempo meta event, microseconds per quarter note.
    TrackBuilder& tempo(std::uint32_t delta, std::uint32_t usPerQuarter);
    // F0, a length, data (which should end with F7); F7 continuation packets alike.
    TrackBuilder& sysex(std::uint32_t delta, std::span<const std::uint8_t> afterF0);
    TrackBuilder& sysexContinuation(std::uint32_t delta, std::span<const std::uint8_t> data);
    // The end-of-track meta event.
    TrackBuilder& end(std::uint32_t delta = 0);

    [[nodiscard]] const Bytes& bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// A header chunk (format, the track count given, division) and MTrk chunks, each with its
// true length.
[[nodiscard]] Bytes buildMidiFile(int format, int division, const std::vector<TrackBuilder>& tracks);
[[nodiscard]] Bytes buildMidiFile(int format, int division, int headerTrackCount,
                                  const std::vector<TrackBuilder>& tracks);
// A chunk of any id with its bytes.
[[nodiscard]] Bytes chunk(const std::string& id, std::span<const std::uint8_t> body);

// A format-1 file of `tracks` tracks at 480 ticks per quarter note with about
// `eventsPerTrack` notes, controllers and pitch bends each, and a tempo change every bar
// in track 0: what a long arrangement looks like to the reader.
[[nodiscard]] Bytes arrangement(int tracks, int eventsPerTrack);

}  // namespace midi::testing
