// Brevane - how often a progress window repaints.
#include "banklib/ProgressThrottle.h"

#include "platform/Services.h"

namespace banklib {

bool ProgressThrottle::due()
{
    const std::int64_t now = platform::eventLoop().nowMs();
    if (m_started && now - m_lastMs < m_intervalMs)
        return false;
    m_started = true;
    m_lastMs = now;
    return true;
}

}  // namespace banklib
