// Brevane - an in-process MIDI system whose output comes back on its input.
#include "platform/midi/LoopbackMidiBackend.h"

#include "platform/Services.h"

#include <algorithm>

namespace platform {

LoopbackMidiBackend::LoopbackMidiBackend()
    : m_inputs{{"Loopback MIDI In"}}, m_outputs{{"Loopback MIDI Out"}}
{
}

LoopbackMidiBackend::~LoopbackMidiBackend() = default;

void LoopbackMidiBackend::setInputs(std::vector<LoopbackDevice> devices) { m_inputs = std::move(devices); }
void LoopbackMidiBackend::setOutputs(std::vector<LoopbackDevice> devices) { m_outputs = std::move(devices); }

void LoopbackMidiBackend::failSends(int count, MidiResult code, int after)
{
    m_failCount = count;
    m_failCode = code;
    m_failAfter = after;
}

void LoopbackMidiBackend::loseSystem(bool tell)
{
    m_systemGone = true;
    if (tell)
        tellSystemGone();
}

void LoopbackMidiBackend::tellSystemGone()
{
    if (m_systemReceiver)
        m_systemReceiver->post(MidiEvent{MidiEventKind::SystemGone, 0, {}, 0});
}

void LoopbackMidiBackend::refreshDevices()
{
    m_systemGone = false;
    m_inputList = m_inputs;
    m_outputList = m_outputs;
}

std::optional<MidiDeviceCaps> LoopbackMidiBackend::inputCaps(int id) const
{
    if (id < 0 || id >= inputCount() || m_inputList[static_cast<std::size_t>(id)].capsFail)
        return std::nullopt;
    return MidiDeviceCaps{m_inputList[static_cast<std::size_t>(id)].name, 0};
}

std::optional<MidiDeviceCaps> LoopbackMidiBackend::outputCaps(int id) const
{
    if (id == kMidiMapperId && m_mapperPresent)
        return MidiDeviceCaps{"Loopback MIDI Mapper", kModMapper};
    if (id < 0 || id >= outputCount() || m_outputList[static_cast<std::size_t>(id)].capsFail)
        return std::nullopt;
    return MidiDeviceCaps{m_outputList[static_cast<std::size_t>(id)].name, 0};
}

int LoopbackMidiBackend::findByName(const std::vector<LoopbackDevice>& live, const std::string& name)
{
    const auto it = std::find_if(live.begin(), live.end(),
                                 [&](const LoopbackDevice& d) { return d.name == name; });
    return it == live.end() ? -1 : static_cast<int>(it - live.begin());
}

MidiResult LoopbackMidiBackend::openInput(int id, MidiEventReceiver& receiver)
{
    if (id < 0 || id >= inputCount())
        return MidiResult::BadDeviceId;
    if (m_inputId >= 0)
        return MidiResult::Allocated;
    const int live = findByName(m_inputs, m_inputList[static_cast<std::size_t>(id)].name);
    if (live < 0)
        return MidiResult::NoDevice;
    if (m_inputs[static_cast<std::size_t>(live)].openResult != MidiResult::NoError)
        return m_inputs[static_cast<std::size_t>(live)].openResult;
    std::lock_guard lock(m_receiverMutex);
    m_inputId = id;
    m_receiver = &receiver;
    m_started = false;
    m_inputParser.reset();
    return MidiResult::NoError;
}

MidiResult LoopbackMidiBackend::startInput()
{
    if (m_inputId < 0)
        return MidiResult::InvalidHandle;
    if (m_startResult != MidiResult::NoError)
        return m_startResult;
    std::lock_guard lock(m_receiverMutex);
    m_started = true;
    m_startMs = eventLoop().nowMs();
    return MidiResult::NoError;
}

MidiResult LoopbackMidiBackend::stopInput()
{
    if (m_inputId < 0)
        return MidiResult::InvalidHandle;
    std::lock_guard lock(m_receiverMutex);
    m_started = false;
    return MidiResult::NoError;
}

void LoopbackMidiBackend::closeInput()
{
    std::lock_guard lock(m_receiverMutex);
    m_inputId = -1;
    m_receiver = nullptr;
    m_started = false;
    m_delayed.clear();
}

MidiResult LoopbackMidiBackend::openOutput(int id)
{
    if (m_outputOpen)
        return MidiResult::Allocated;
    if (id == kMidiMapperId && m_mapperPresent) {
        // The program's output on the Mapper: refused while the file player holds it.
        if (!m_mapper.claim(MapperHolder::ProgramOutput))
            return MidiResult::Allocated;
        m_outputId = id;
        m_outputOpen = true;
        return MidiResult::NoError;
    }
    if (id < 0 || id >= outputCount())
        return MidiResult::BadDeviceId;
    const int live = findByName(m_outputs, m_outputList[static_cast<std::size_t>(id)].name);
    if (live < 0)
        return MidiResult::NoDevice;
    if (m_outputs[static_cast<std::size_t>(live)].openResult != MidiResult::NoError)
        return m_outputs[static_cast<std::size_t>(live)].openResult;
    m_outputId = id;
    m_outputOpen = true;
    return MidiResult::NoError;
}

void LoopbackMidiBackend::closeOutput()
{
    if (m_outputOpen && m_outputId == kMidiMapperId)
        m_mapper.release(MapperHolder::ProgramOutput);
    m_outputOpen = false;
    m_outputId = -2;
}

void LoopbackMidiBackend::resetOutput()
{
    if (m_outputOpen)
        ++m_resets;
}

MidiResult LoopbackMidiBackend::record(std::span<const std::uint8_t> message)
{
    if (m_systemGone)
        return MidiResult::NoDevice;
    if (m_failAfter > 0) {
        --m_failAfter;
    } else if (m_failCount > 0) {
        --m_failCount;
        return m_failCode;
    }
    m_sent.emplace_back(message.begin(), message.end());
    m_sentAtMs.push_back(eventLoop().nowMs());
    delivered(message);
    return MidiResult::NoError;
}

MidiResult LoopbackMidiBackend::writeSysex(std::span<const std::uint8_t> message) { return record(message); }
MidiResult LoopbackMidiBackend::writeShort(std::span<const std::uint8_t> message) { return record(message); }

void LoopbackMidiBackend::delivered(std::span<const std::uint8_t> message)
{
    if (m_echo)
        inject(message);
}

std::uint32_t LoopbackMidiBackend::inputTimeMs() const
{
    const std::int64_t t = eventLoop().nowMs() - m_startMs;
    return t > 0 ? static_cast<std::uint32_t>(t) : 0U;
}

void LoopbackMidiBackend::deliver(std::span<const std::uint8_t> bytes, std::uint32_t timeMs)
{
    std::lock_guard lock(m_receiverMutex);
    if (!m_receiver || !m_started)
        return;
    const auto post = [&](MidiPiece&& p) { m_receiver->post(eventFromPiece(std::move(p), timeMs)); };
    m_inputParser.feed(bytes, post);
    m_inputParser.finish(post);
}

void LoopbackMidiBackend::inject(std::span<const std::uint8_t> bytes) { deliver(bytes, inputTimeMs()); }

void LoopbackMidiBackend::injectFromAnyThread(std::span<const std::uint8_t> bytes, std::uint32_t timeMs)
{
    deliver(bytes, timeMs);
}

void LoopbackMidiBackend::injectAfter(int delayMs, std::vector<std::uint8_t> bytes)
{
    const std::int64_t due = eventLoop().nowMs() + std::max(delayMs, 0);
    // Keep the queue in order of due time; equal times keep their order.
    auto it = std::upper_bound(m_delayed.begin(), m_delayed.end(), due,
                               [](std::int64_t t, const Delayed& d) { return t < d.dueMs; });
    m_delayed.insert(it, Delayed{due, std::move(bytes)});
}

void LoopbackMidiBackend::poll()
{
    const std::int64_t now = eventLoop().nowMs();
    while (!m_delayed.empty() && m_delayed.front().dueMs <= now) {
        Delayed d = std::move(m_delayed.front());
        m_delayed.pop_front();
        inject(d.bytes);
    }
}

}  // namespace platform
