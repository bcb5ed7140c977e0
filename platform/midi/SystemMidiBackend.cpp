// Brevane - the MIDI system the program uses.
#include "platform/midi/SystemMidiBackend.h"

#include "platform/midi/JackMidiBackend.h"
#include "platform/midi/RtMidiBackend.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace platform {

std::unique_ptr<MidiBackend> createSystemMidiBackend()
{
    const char* chosen = std::getenv("BREVANE_MIDI_API");
    std::string api = chosen ? chosen : "";
    std::transform(api.begin(), api.end(), api.begin(), [](unsigned char c) { return std::tolower(c); });
    if (api == "jack")
        return std::make_unique<JackMidiBackend>();
    return std::make_unique<RtMidiBackend>();
}

}  // namespace platform
