// Brevane - a MIDI system with a simulated DX7 on the other end of the cable, for tests.
#include "platform/midi/SimulatedDX7Backend.h"

namespace platform {

SimulatedDX7Backend::SimulatedDX7Backend(int deviceNumber)
    : m_dx7(deviceNumber)
{
    setInputs({{"DX7 Simulator Out"}});
    setOutputs({{"DX7 Simulator In"}});
    setEcho(false);
}

void SimulatedDX7Backend::delivered(std::span<const std::uint8_t> message)
{
    for (auto& reply : m_dx7.receive(message))
        injectAfter(m_dx7.replyDelayMs(), std::move(reply));
}

void SimulatedDX7Backend::sendUnsolicitedVoice() { injectAfter(m_dx7.replyDelayMs(), m_dx7.singleVoiceDump()); }
void SimulatedDX7Backend::sendUnsolicitedBank() { injectAfter(m_dx7.replyDelayMs(), m_dx7.bulkDump()); }

}  // namespace platform
