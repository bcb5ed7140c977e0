// Brevane - hands the news that a JACK server has gone to the program, once.
#include "platform/midi/JackLossWatch.h"

#include <cerrno>

namespace platform {

JackLossWatch::JackLossWatch()
{
    ::sem_init(&m_wake, 0, 0);
    m_thread = std::thread([this] { run(); });
}

JackLossWatch::~JackLossWatch()
{
    m_quit.store(true);
    ::sem_post(&m_wake);
    m_thread.join();
    ::sem_destroy(&m_wake);
}

void JackLossWatch::setReceiver(MidiEventReceiver* receiver)
{
    std::lock_guard lock(m_receiverMutex);
    m_receiver = receiver;
}

std::uint64_t JackLossWatch::enlist() noexcept
{
    std::uint64_t state = m_state.load();
    for (;;) {
        if ((state & 1) == 0)
            return state / 2;
        // The loss of this generation has been told: the client starts the next one.
        if (m_state.compare_exchange_weak(state, state + 1))
            return (state + 1) / 2;
    }
}

void JackLossWatch::serverGone(std::uint64_t generation) noexcept
{
    std::uint64_t untold = generation * 2;
    if (m_state.compare_exchange_strong(untold, untold + 1))
        ::sem_post(&m_wake);
}

void JackLossWatch::run()
{
    for (;;) {
        while (::sem_wait(&m_wake) != 0 && errno == EINTR) {
        }
        if (m_quit.load())
            return;
        std::lock_guard lock(m_receiverMutex);
        if (m_receiver)
            m_receiver->post(MidiEvent{MidiEventKind::SystemGone, 0, {}, 0});
    }
}

}  // namespace platform
