// Brevane - a call made once after a delay, which the caller can take back.
//
// The voice-list windows use one for the rename box's wait for a double click; tests
// put in one they fire themselves, so no test waits for a real second.
#pragma once

#include <QTimer>

#include <functional>
#include <memory>

namespace shell {

class DeferredCall {
public:
    virtual ~DeferredCall() = default;
    // Calls action once after ms milliseconds, replacing any call still waiting.
    virtual void start(int ms, std::function<void()> action) = 0;
    // Takes back a call still waiting.
    virtual void stop() = 0;
    [[nodiscard]] virtual bool isActive() const = 0;
};

// On a single-shot QTimer of the event loop.
class QtDeferredCall final : public DeferredCall {
public:
    QtDeferredCall()
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            std::function<void()> action = std::move(m_action);
            m_action = nullptr;
            if (action)
                action();
        });
    }
    void start(int ms, std::function<void()> action) override
    {
        m_action = std::move(action);
        m_timer.start(ms);
    }
    void stop() override
    {
        m_timer.stop();
        m_action = nullptr;
    }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_action;
};

// What makes the deferred calls of new windows; tests install their own.
using DeferredCallFactory = std::function<std::unique_ptr<DeferredCall>()>;

}  // namespace shell
