// Brevane - what the two backends on a real MIDI system share.
#include "platform/midi/PortBackendCore.h"

#include <algorithm>

namespace platform {
namespace {

constexpr std::uint8_t kTimingClock = 0xF8;
constexpr std::uint8_t kActiveSensing = 0xFE;

}  // namespace

std::vector<std::string> distinctDeviceNames(std::vector<std::string> names)
{
    std::vector<std::string> out;
    out.reserve(names.size());
    for (std::string& name : names) {
        if (!name.empty()) {
            const auto same = std::count_if(out.begin(), out.end(), [&](const std::string& n) {
                return n == name || n.rfind(name + " (", 0) == 0;
            });
            if (same > 0)
                name += " (" + std::to_string(same + 1) + ")";
        }
        out.push_back(std::move(name));
    }
    return out;
}

std::optional<MidiDeviceCaps> PortBackendCore::inputCaps(int id) const
{
    if (id < 0 || id >= inputCount() || inputNames[static_cast<std::size_t>(id)].empty())
        return std::nullopt;
    return MidiDeviceCaps{inputNames[static_cast<std::size_t>(id)], 0};
}

std::optional<MidiDeviceCaps> PortBackendCore::outputCaps(int id, bool systemThere, const MidiMapperPort& mapper) const
{
    if (id == kMidiMapperId)
        return systemThere ? std::optional(MidiDeviceCaps{mapper.name(), kModMapper}) : std::nullopt;
    if (id < 0 || id >= outputCount() || outputNames[static_cast<std::size_t>(id)].empty())
        return std::nullopt;
    return MidiDeviceCaps{outputNames[static_cast<std::size_t>(id)], 0};
}

std::optional<MidiResult> PortBackendCore::beginOpenInput(int id)
{
    if (inputOpen)
        return MidiResult::Allocated;
    if (id < 0 || id >= inputCount())
        return MidiResult::BadDeviceId;
    if (!ensureClients())
        return MidiResult::NoDriver;
    return std::nullopt;
}

std::optional<MidiResult> PortBackendCore::beginOpenVirtual(bool output)
{
    if (output ? outputOpen : inputOpen)
        return MidiResult::Allocated;
    if (!ensureClients())
        return MidiResult::NoDriver;
    return std::nullopt;
}

std::optional<MidiResult> PortBackendCore::beginOpenOutput(int id, MidiMapperPort& mapper)
{
    if (outputOpen)
        return MidiResult::Allocated;
    if (id == kMidiMapperId) {
        // Held by the MIDI file player: not for the program's output meanwhile.
        const MidiResult r = mapper.open();
        if (r != MidiResult::NoError)
            return r;
        if (!mapper.claim(MapperHolder::ProgramOutput))
            return MidiResult::Allocated;
        outputOpen = true;
        outputOnMapper = true;
        pacer.restart();
        return MidiResult::NoError;
    }
    if (id < 0 || id >= outputCount())
        return MidiResult::BadDeviceId;
    if (!ensureClients())
        return MidiResult::NoDriver;
    return std::nullopt;
}

bool PortBackendCore::endOutput(MidiMapperPort& mapper)
{
    if (!outputOpen)
        return false;
    outputOpen = false;
    if (outputOnMapper) {
        // The Mapper's port stays open for the run; only the hold ends.
        outputOnMapper = false;
        mapper.release(MapperHolder::ProgramOutput);
        return false;
    }
    return true;
}

void PortBackendCore::attachReceiver(MidiEventReceiver& r)
{
    std::lock_guard lock(inputMutex);
    receiver = &r;
    started = false;
    resetInputStream();
}

void PortBackendCore::detachReceiver()
{
    std::lock_guard lock(inputMutex);
    receiver = nullptr;
    started = false;
}

MidiResult PortBackendCore::startInput()
{
    if (!inputOpen)
        return MidiResult::InvalidHandle;
    std::lock_guard lock(inputMutex);
    started = true;
    startTime = Clock::now();
    resetInputStream();
    return MidiResult::NoError;
}

MidiResult PortBackendCore::stopInput()
{
    if (!inputOpen)
        return MidiResult::InvalidHandle;
    std::lock_guard lock(inputMutex);
    started = false;
    return MidiResult::NoError;
}

std::uint32_t PortBackendCore::msSinceStart(Clock::time_point at) const
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(at - startTime).count();
    return static_cast<std::uint32_t>(std::max<long long>(elapsed, 0));
}

void PortBackendCore::deliver(MidiPiece&& piece, std::uint32_t timeMs)
{
    if (piece.kind == MidiPiece::Kind::Message && piece.bytes.size() == 1 &&
        (piece.bytes[0] == kTimingClock || piece.bytes[0] == kActiveSensing))
        return;
    receiver->post(eventFromPiece(std::move(piece), timeMs));
}

}  // namespace platform
