// Brevane - fuzzing the Standard MIDI File reader.
//
// Any bytes are read as a MIDI file; what comes back must be consistent whatever the input:
// events in time order within the file's length, System Exclusive messages whole and
// inside their pool, short messages with a status byte and data bytes, and never more
// events than the reader keeps.
#include "midi/MidiFile.h"
#include "platform/midi/MidiBackend.h"

#include <cstdint>
#include <cstdlib>
#include <span>

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
