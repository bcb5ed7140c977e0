// Brevane - a press that is held long enough becomes a drag.
//
// A press on a grid, a panel title or a chart's background starts a single-shot 500 ms
// timer; the release of the same button stops it. The drag starts when the timer runs
// out while that button is still held, never later: a click, a right click that played
// the test scale, or any press already released leaves nothing pending. Nothing polls and
// nothing waits: the press handler returns at once.
//
// Because a right press first plays the test scale (which keeps the windows alive while
// it sounds, so the release may come in meanwhile), the press is noted first (press)
// and the timer armed afterwards (arm): a button released in between arms nothing.
#pragma once

#include "shell/DeferredCall.h"

#include <Qt>

#include <functional>
#include <memory>

namespace editor {

class PressAndHold {
public:
    static constexpr int kHoldMs = 500;

    explicit PressAndHold(std::unique_ptr<shell::DeferredCall> timer) : m_timer(std::move(timer)) {}

    // A button went down (any earlier wait is dropped).
    void press(Qt::MouseButton button)
    {
        m_timer->stop();
        m_button = button;
    }
    // Starts the wait for the button pressed last, while it is held: startDrag runs once
    // when the timer runs out with the button still down. False when it is up already.
    bool arm(std::function<void()> startDrag)
    {
        if (m_button == Qt::NoButton)
            return false;
        m_timer->start(kHoldMs, [this, startDrag = std::move(startDrag)] {
            if (m_button == Qt::NoButton)
                return;
            m_button = Qt::NoButton;
            startDrag();
        });
        return true;
    }
    // A button came up: the wait ends when it is the pressing one.
    void release(Qt::MouseButton button)
    {
        if (button != m_button)
            return;
        m_button = Qt::NoButton;
        m_timer->stop();
    }
    void cancel()
    {
        m_button = Qt::NoButton;
        m_timer->stop();
    }
    [[nodiscard]] bool pending() const { return m_timer->isActive(); }
    [[nodiscard]] Qt::MouseButton held() const { return m_button; }
    [[nodiscard]] shell::DeferredCall& timer() { return *m_timer; }

private:
    std::unique_ptr<shell::DeferredCall> m_timer;
    Qt::MouseButton m_button = Qt::NoButton;
};

}  // namespace editor
