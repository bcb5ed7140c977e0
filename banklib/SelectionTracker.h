// Brevane - which voices of a list are selected.
#pragma once

#include <cstdint>
#include <vector>

namespace banklib {

// One flag per voice, indexed by the 1-based voice number (entry 0 is unused), and the
// number of flags set. clsVoiceNames::TrReset and TrAdd keep both in step.
struct SelectionTracker {
    std::vector<bool> tr;
    std::int32_t TotalSelections = 0;
};

}  // namespace banklib
