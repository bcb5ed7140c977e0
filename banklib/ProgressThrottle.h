// Brevane - how often a progress window repaints.
//
// A long search reports every voice, but a window that repaints 100,000 times is slower
// than the search itself. A throttle lets a report through at most once per interval on
// the program's clock (platform::eventLoop().nowMs(), a virtual clock in tests).
#pragma once

#include <cstdint>

namespace banklib {

class ProgressThrottle {
public:
    // 50 ms: about 20 repaints a second.
    static constexpr std::int64_t kDefaultIntervalMs = 50;

    explicit ProgressThrottle(std::int64_t intervalMs = kDefaultIntervalMs) : m_intervalMs(intervalMs) {}

    // True for the first call and then when at least the interval has passed since the
    // last call that returned true.
    [[nodiscard]] bool due();
    // The next due() is true again.
    void reset() { m_started = false; }

private:
    std::int64_t m_intervalMs;
    std::int64_t m_lastMs = 0;
    bool m_started = false;
};

}  // namespace banklib
