// Brevane - waits that keep the windows alive, on Qt's event loop.
#pragma once

#include "platform/Services.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <map>

namespace shell {

// nowMs() reads a monotonic clock; processEvents(ms) handles pending events and, when
// there are none, sleeps in the event loop until one arrives or ms have passed, so a
// waiting loop does not keep a processor busy.
class QtEventLoop final : public platform::EventLoop {
public:
    QtEventLoop();

    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    std::int64_t nowMs() override;
    void processEvents(int maxWaitMs) override;
    // On Qt's timers: a call runs from any event loop, a modal dialog's among them.
    CallId callAfter(int ms, std::function<void()> action) override;
    void cancelCall(CallId id) override;

    // True while code is inside processEvents: an event handled now runs inside a wait
    // or a long operation, and must not tear down what that operation works on.
    [[nodiscard]] static bool insideWait();

private:
    QElapsedTimer m_clock;
    // Owns the timers of the calls waiting, which go with it.
    QObject m_timers;
    std::map<CallId, QTimer*> m_calls;
};

}  // namespace shell
