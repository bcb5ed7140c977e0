// Brevane - opens MIDI devices by name for tests and benchmarks.
#pragma once

#include <string>

namespace midi {
class clsMIDIInit;
}

namespace midi::testing {

// Chooses the input and the output by name (or "None"), as the settings would, lists the
// backend's devices and opens them; true when nothing failed to open.
[[nodiscard]] bool OpenDevicesByName(clsMIDIInit& init, const std::string& input, const std::string& output);

}  // namespace midi::testing
