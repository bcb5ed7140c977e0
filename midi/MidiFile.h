// Brevane - Standard MIDI Files: reading one into a timed list of messages.
//
// Formats 0 and 1 (a single track, or tracks played together), with either division:
// ticks per quarter note under a tempo map, or SMPTE frames and ticks per frame. Running
// status, System Exclusive messages sent in several packets (F0 then F7 continuations),
// escaped bytes (F7) and unknown chunks are handled; every length is checked against the
// bytes that are there. A damaged file is read as far as it is readable: a track that
// breaks off, lies about its length or holds a bad byte keeps the events before the
// fault, and the file says it was damaged. Only files that hold nothing playable, or
// that cannot be timed, are refused.
//
// Times are the file's own, in microseconds from its start at the tempo the file sets
// (120 beats per minute until it sets one). Nothing here throws.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace midi {

// Why a file was refused. The values are pinned.
enum class MidiFileError : int {
    None = 0,
    NotMidi = 1,          // no MThd header chunk at the start (also an empty file)
    UnsupportedFormat = 2, // format 2 (independent sequences) or above
    BadDivision = 3,      // 0 ticks per quarter note, or an unknown SMPTE frame rate
    NoTracks = 4,         // the header is there but no track follows
    TooLarge = 5,         // beyond kMaxMidiFileBytes
    Unreadable = 6,       // the file could not be read
};

// The largest file the reader takes, and the most events it keeps from one file.
constexpr std::size_t kMaxMidiFileBytes = 32u * 1024 * 1024;
constexpr std::size_t kMaxMidiFileEvents = 2'000'000;

// One message of the file at its time.
struct MidiFileEvent {
    std::int64_t timeUs = 0;
    // A short message (sysexLength 0): status in bits 0-7, data bytes in bits 8-15 and
    // 16-23. A System Exclusive message: its offset in MidiFile::sysexBytes.
    std::uint32_t data = 0;
    std::uint32_t sysexLength = 0;

    [[nodiscard]] bool isSysex() const { return sysexLength != 0; }
    [[nodiscard]] std::uint8_t status() const { return static_cast<std::uint8_t>(data & 0xFF); }
    [[nodiscard]] std::uint8_t data1() const { return static_cast<std::uint8_t>((data >> 8) & 0xFF); }
    [[nodiscard]] std::uint8_t data2() const { return static_cast<std::uint8_t>((data >> 16) & 0xFF); }
};

// A tempo of the file's tempo map: microseconds per quarter note from a time on.
struct MidiFileTempo {
    std::int64_t timeUs = 0;
    std::uint32_t usPerQuarter = 0;
};

constexpr std::uint32_t kDefaultUsPerQuarter = 500'000;  // 120 beats per minute

struct MidiFile {
    int format = 0;
    int trackCount = 0;         // track chunks read
    int headerTrackCount = 0;   // what the header said
    // Division: ticks per quarter note, or (smpteFps != 0) frames per second (24, 25,
    // 29 for 29.97 drop-frame, 30) and ticks per frame.
    int ticksPerQuarter = 0;
    int smpteFps = 0;
    int ticksPerFrame = 0;

    std::vector<MidiFileEvent> events;  // in time order; at one time, in file order
    std::vector<std::uint8_t> sysexBytes;  // whole System Exclusive messages, F0 .. F7
    std::vector<MidiFileTempo> tempoMap;   // in time order; empty: 120 BPM throughout
    std::int64_t lengthUs = 0;  // time of the last event or end-of-track mark
    std::uint16_t channelsUsed = 0;  // bit c set: channel c (0-15) has messages

    // Read as far as readable: something was cut off, skipped or could not be understood.
    bool damaged = false;
    std::string damageNote;  // what, for the first fault found

    // The tempo in effect at the start (the last of the tempos at time 0), in microseconds
    // per quarter note.
    [[nodiscard]] std::uint32_t firstUsPerQuarter() const;
    // The same as whole beats per minute (an SMPTE file counts as 120).
    [[nodiscard]] int firstTempoBpm() const;
    // The bytes of a System Exclusive event.
    [[nodiscard]] std::span<const std::uint8_t> sysex(const MidiFileEvent& e) const;
};

struct MidiFileRead {
    MidiFileError error = MidiFileError::None;
    std::string message;  // why the file was refused, for the user; empty when read
    MidiFile file;
};

// Reads a Standard MIDI File from its bytes.
[[nodiscard]] MidiFileRead readMidiFile(std::span<const std::uint8_t> bytes);
// Reads one from disk (at most kMaxMidiFileBytes).
[[nodiscard]] MidiFileRead loadMidiFile(const std::string& path);

}  // namespace midi
