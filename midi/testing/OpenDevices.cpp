// Brevane - opens MIDI devices by name for tests and benchmarks.
#include "midi/testing/OpenDevices.h"

#include "midi/clsMIDIInit.h"

namespace midi::testing {

bool OpenDevicesByName(clsMIDIInit& init, const std::string& input, const std::string& output)
{
    init.setMidiInDeviceName(input);
    init.setMidiOutDeviceName(output);
    EnumerateOutcome outcome{};
    init.EnumerateMidiDevices(false, outcome);
    bool failed = true;
    init.OpenMidiDevices(failed);
    return !failed;
}

}  // namespace midi::testing
