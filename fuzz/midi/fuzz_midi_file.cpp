// Brevane - fuzzing the Standard MIDI File reader.
//
// Any bytes are read as a MIDI file; what comes back must be consistent whatever the input:
// events in time order within the file's length, System Exclusive messages whole and
// inside their pool, short messages with a status byte and data bytes, and never more
// events than the reader keeps.
#include "FuzzSeeds.h"
#include "midi/MidiFile.h"
#include "platform/midi/MidiBackend.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A chunk: four-letter type, 32-bit length, the bytes.
void chunk(Bytes& out, const char* type, const Bytes& body)
{
    out.insert(out.end(), type, type + 4);
    put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

Bytes file(std::uint16_t format, std::uint16_t division, const std::vector<Bytes>& tracks)
{
    Bytes out;
    chunk(out, "MThd",
          {static_cast<std::uint8_t>(format >> 8), static_cast<std::uint8_t>(format),
           static_cast<std::uint8_t>(tracks.size() >> 8), static_cast<std::uint8_t>(tracks.size()),
           static_cast<std::uint8_t>(division >> 8), static_cast<std::uint8_t>(division)});
    for (const Bytes& t : tracks)
        chunk(out, "MTrk", t);
    return out;
}

// Small files of the shapes the reader meets: one track with a tempo, notes in running
// status and a System Exclusive message (also one sent in two parts); two tracks; SMPTE
// time.
std::vector<fuzzseeds::Seed> seeds()
{
    const Bytes endOfTrack = {0x00, 0xFF, 0x2F, 0x00};
    Bytes notes = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,       // tempo 500,000 us
                   0x00, 0x90, 60, 100, 0x60, 62, 100, 0x60, 60, 0, 0x81, 0x00, 62, 0,
                   0x00, 0xF0, 0x05, 0x43, 0x10, 0x01, 0x1B, 0xF7,  // a parameter change
                   0x10, 0xF0, 0x03, 0x43, 0x00, 0x09,              // a dump begun ...
                   0x10, 0xF7, 0x02, 0x20, 0xF7};                   // ... and ended
    notes.insert(notes.end(), endOfTrack.begin(), endOfTrack.end());
    Bytes second = {0x00, 0xC1, 5, 0x30, 0x91, 64, 90, 0x30, 0x81, 64, 64, 0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8};
    second.insert(second.end(), endOfTrack.begin(), endOfTrack.end());
    return {
        file(0, 96, {notes}),
        file(1, 480, {Bytes{0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00}, notes, second}),
        file(0, 0xE728, {second}),  // 25 frames a second, 40 ticks a frame
    };
}

}  // namespace

BREVANE_FUZZ_SEEDS(seeds)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const midi::MidiFileRead r = midi::readMidiFile(std::span<const std::uint8_t>(data, size));
    const midi::MidiFile& f = r.file;
    if (r.error != midi::MidiFileError::None) {
        if (!f.events.empty() || r.message.empty())
            std::abort();
        return 0;
    }
    if (f.events.size() > midi::kMaxMidiFileEvents || f.sysexBytes.size() > size)
        std::abort();
    std::int64_t last = 0;
    for (const midi::MidiFileEvent& e : f.events) {
        if (e.timeUs < last || e.timeUs > f.lengthUs)
            std::abort();
        last = e.timeUs;
        if (e.isSysex()) {
            const auto bytes = f.sysex(e);
            if (bytes.size() != e.sysexLength || bytes.size() < 2 || bytes.front() != 0xF0 || bytes.back() != 0xF7)
                std::abort();
            for (std::size_t i = 1; i + 1 < bytes.size(); ++i)
                if (bytes[i] > 0x7F)
                    std::abort();
        } else {
            const int length = platform::shortMessageLength(e.status());
            if (length == 0)
                std::abort();
            for (int i = 1; i < length; ++i)
                if (((e.data >> (8 * i)) & 0xFF) > 0x7F)
                    std::abort();
        }
    }
    (void)f.firstTempoBpm();
    return 0;
}
