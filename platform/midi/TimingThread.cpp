// Brevane - scheduling for a thread that must keep musical time.
#include "platform/midi/TimingThread.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>

namespace platform {

bool requestTimingPriority()
{
    // A low real-time priority: above every ordinary thread, below audio servers and the
    // system's own real-time work.
    constexpr int kAboveLowest = 4;
    sched_param param{};
    param.sched_priority = std::min(sched_get_priority_min(SCHED_RR) + kAboveLowest, sched_get_priority_max(SCHED_RR));
    return pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0;
}

}  // namespace platform
