// Brevane - a MIDI system with a simulated DX7 on the other end of the cable, for tests.
//
// Lists one input "DX7 Simulator Out" and one output "DX7 Simulator In" (named as the
// instrument's sockets). What the program sends reaches the instrument; its replies come
// back on the input after its reply delay on the program's clock (platform::eventLoop),
// delivered by poll() as a device thread would post them.
#pragma once

#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/SimulatedDX7.h"

namespace platform {

class SimulatedDX7Backend final : public LoopbackMidiBackend {
public:
    explicit SimulatedDX7Backend(int deviceNumber = 0);

    [[nodiscard]] SimulatedDX7& dx7() { return m_dx7; }
    [[nodiscard]] const SimulatedDX7& dx7() const { return m_dx7; }

    // The instrument sends a dump of its own accord (after its reply delay).
    void sendUnsolicitedVoice();
    void sendUnsolicitedBank();

    [[nodiscard]] std::string systemName() const override { return "DX7 Simulator"; }

protected:
    void delivered(std::span<const std::uint8_t> message) override;

private:
    SimulatedDX7 m_dx7;
};

}  // namespace platform
