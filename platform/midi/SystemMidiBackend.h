// Brevane - the MIDI system the program uses.
#pragma once

#include "platform/midi/MidiBackend.h"

#include <memory>

namespace platform {

// The ALSA sequencer (RtMidiBackend.h), or a JACK server (JackMidiBackend.h) when the
// environment variable BREVANE_MIDI_API is "jack" (in any case).
[[nodiscard]] std::unique_ptr<MidiBackend> createSystemMidiBackend();

}  // namespace platform
