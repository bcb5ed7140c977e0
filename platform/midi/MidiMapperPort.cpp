// Brevane - the program's MIDI Mapper: one output port that other programs connect to.
#include "platform/midi/MidiMapperPort.h"

namespace platform {

MidiMapperPort::~MidiMapperPort() = default;

MidiResult MidiMapperPort::send(std::span<const std::uint8_t> message)
{
    if (!isOpen())
        return MidiResult::InvalidHandle;
    if (!isWholeMidiMessage(message))
        return MidiResult::InvalidParameter;
    return write(message);
}

bool MidiMapperPort::claim(MapperHolder holder)
{
    MapperHolder expected = MapperHolder::None;
    if (m_holder.compare_exchange_strong(expected, holder))
        return true;
    return expected == holder;
}

void MidiMapperPort::release(MapperHolder holder)
{
    MapperHolder expected = holder;
    (void)m_holder.compare_exchange_strong(expected, MapperHolder::None);
}

MidiResult RecordingMapperPort::open()
{
    if (m_open)
        return MidiResult::NoError;
    if (m_openResult == MidiResult::NoError)
        m_open = true;
    return m_openResult;
}

MidiResult RecordingMapperPort::write(std::span<const std::uint8_t> message)
{
    const auto now = Clock::now();
    std::lock_guard lock(m_mutex);
    m_sent.push_back({now, std::vector<std::uint8_t>(message.begin(), message.end())});
    return MidiResult::NoError;
}

std::vector<RecordingMapperPort::Sent> RecordingMapperPort::sent() const
{
    std::lock_guard lock(m_mutex);
    return m_sent;
}

std::size_t RecordingMapperPort::sentCount() const
{
    std::lock_guard lock(m_mutex);
    return m_sent.size();
}

void RecordingMapperPort::clear()
{
    std::lock_guard lock(m_mutex);
    m_sent.clear();
}

}  // namespace platform
