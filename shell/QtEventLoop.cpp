// Brevane - waits that keep the windows alive, on Qt's event loop.
#include "shell/QtEventLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace shell {
namespace {

int g_waitDepth = 0;

struct WaitDepth {
    WaitDepth() { ++g_waitDepth; }
    ~WaitDepth() { --g_waitDepth; }
    WaitDepth(const WaitDepth&) = delete;
    WaitDepth& operator=(const WaitDepth&) = delete;
};

}  // namespace

QtEventLoop::QtEventLoop() { m_clock.start(); }

QtEventLoop::~QtEventLoop() = default;

QtEventLoop::CallId QtEventLoop::callAfter(int ms, std::function<void()> action)
{
    if (!QCoreApplication::instance())
        return EventLoop::callAfter(ms, std::move(action));
    const CallId id = platform::nextCallId();
    auto* timer = new QTimer(&m_timers);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [this, id, timer, action = std::move(action)] {
        m_calls.erase(id);
        timer->deleteLater();
        // The action may take the loop's calls in hand: it runs from a copy.
        const std::function<void()> run = action;
        if (run)
            run();
    });
    m_calls[id] = timer;
    timer->start(std::max(ms, 0));
    return id;
}

void QtEventLoop::cancelCall(CallId id)
{
    const auto it = m_calls.find(id);
    if (it == m_calls.end()) {
        EventLoop::cancelCall(id);
        return;
    }
    QTimer* timer = it->second;
    m_calls.erase(it);
    timer->stop();
    timer->deleteLater();
}

std::int64_t QtEventLoop::nowMs() { return m_clock.elapsed(); }

bool QtEventLoop::insideWait() { return g_waitDepth > 0; }

void QtEventLoop::processEvents(int maxWaitMs)
{
    if (!QCoreApplication::instance()) {
        runDueCalls();
        return;
    }
    WaitDepth depth;
    if (maxWaitMs <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The timer is an event of its own: it ends the blocking wait at the latest after
    // maxWaitMs when nothing else arrives.
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    wakeUp.start(maxWaitMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace shell
