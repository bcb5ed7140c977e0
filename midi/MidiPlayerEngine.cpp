// Brevane - plays a MIDI file through the MIDI Mapper.
#include "midi/MidiPlayerEngine.h"

#include "platform/midi/MidiMapperPort.h"
#include "platform/midi/TimingThread.h"

#include <algorithm>
#include <chrono>

namespace midi {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::int64_t kLongestWaitUs = 3'600'000'000;

std::int64_t steadyUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now().time_since_epoch()).count();
}

}  // namespace

MidiPlayerEngine::MidiPlayerEngine(std::shared_ptr<const MidiFile> file, platform::MidiMapperPort& port,
                                   Timing timing, Clock clock)
    : m_file(std::move(file)),
      m_port(port),
      m_timing(timing),
      m_clock(timing == Timing::Manual && clock ? std::move(clock) : Clock(&steadyUs)),
      m_schedule(*m_file),
      m_sink([this](std::span<const std::uint8_t> m) { send(m); })
{
    if (m_timing == Timing::Thread)
        m_thread = std::thread([this] { run(); });
}

MidiPlayerEngine::~MidiPlayerEngine()
{
    {
        std::lock_guard lock(m_mutex);
        m_schedule.halt(now(), m_sink);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::int64_t MidiPlayerEngine::now() const { return m_clock(); }

void MidiPlayerEngine::send(std::span<const std::uint8_t> message)
{
    if (m_port.send(message) != platform::MidiResult::NoError)
        ++m_failures;
}

void MidiPlayerEngine::play(std::int64_t toUs)
{
    {
        std::lock_guard lock(m_mutex);
        m_schedule.setEnd(toUs);
        m_schedule.start(now(), m_sink);
        if (m_timing == Timing::Manual)
            (void)m_schedule.advance(now(), m_sink);
    }
    m_wake.notify_all();
}

void MidiPlayerEngine::halt()
{
    {
        std::lock_guard lock(m_mutex);
        m_schedule.halt(now(), m_sink);
    }
    m_wake.notify_all();
}

void MidiPlayerEngine::seek(std::int64_t fileUs)
{
    {
        std::lock_guard lock(m_mutex);
        m_schedule.seek(fileUs, now(), m_sink);
    }
    m_wake.notify_all();
}

void MidiPlayerEngine::setTempo(int tempoBpm, int baseBpm)
{
    {
        std::lock_guard lock(m_mutex);
        m_schedule.setRate(tempoBpm, baseBpm, now());
    }
    m_wake.notify_all();
}

std::int64_t MidiPlayerEngine::positionUs() const
{
    std::lock_guard lock(m_mutex);
    return m_schedule.positionAt(now());
}

bool MidiPlayerEngine::playing() const
{
    std::lock_guard lock(m_mutex);
    return m_schedule.playing();
}

bool MidiPlayerEngine::ended() const
{
    std::lock_guard lock(m_mutex);
    return m_schedule.ended();
}

void MidiPlayerEngine::service()
{
    std::lock_guard lock(m_mutex);
    (void)m_schedule.advance(now(), m_sink);
}

void MidiPlayerEngine::run()
{
    (void)platform::requestTimingPriority();
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        const auto next = m_schedule.advance(now(), m_sink);
        if (!next) {
            m_wake.wait(lock);
            continue;
        }
        // The thread's clock is the steady clock: wait until the next message is due, at
        // most an hour at a time (a file may put its next event years away).
        const std::int64_t until = std::min(*next, now() + kLongestWaitUs);
        m_wake.wait_until(lock, SteadyClock::time_point(std::chrono::microseconds(until)));
    }
}

}  // namespace midi
