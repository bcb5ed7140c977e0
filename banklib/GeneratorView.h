// Brevane - what the voice bank library and the MIDI code use of the voice generator window.
#pragma once

#include <cstdint>

namespace banklib {

class GeneratorView {
public:
    virtual ~GeneratorView() = default;
    // Enables or disables the generator's "&Continuous " check box (it sends each new
    // voice, so it is enabled only while the MIDI output is open).
    virtual void setContinuousEnabled(bool enabled) = 0;
    // Flag of the generator's work list, the voice list of "PatchGen.dat"; saving that
    // list under another name sets it to 0.
    [[nodiscard]] virtual std::int16_t WorkListFlag() const = 0;
    virtual void setWorkListFlag(std::int16_t flag) = 0;
    // Forgets the work list (called when the "PatchGen.dat" list closes).
    virtual void ResetState() = 0;
};

}  // namespace banklib
