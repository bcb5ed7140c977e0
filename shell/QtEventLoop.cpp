// Brevane - waits that keep the windows alive, on Qt's event loop.
#include "shell/QtEventLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

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

std::int64_t QtEventLoop::nowMs() { return m_clock.elapsed(); }

bool QtEventLoop::insideWait() { return g_waitDepth > 0; }

void QtEventLoop::processEvents(int maxWaitMs)
{
    if (!QCoreApplication::instance())
        return;
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
