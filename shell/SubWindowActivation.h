// Brevane - when an MDI child counts as the active window.
//
// The area reports each change of its active child, or that none is active. A child
// becomes active when a report names it and stops being active when one names another
// child. A report of none while the area still counts the child as its current one (the
// program lost the focus to another program, or the main window was minimised) changes
// nothing: it stays the child's turn, and coming back does not count as a new activation.
#pragma once

#include <functional>

class QMdiArea;
class QMdiSubWindow;

namespace shell {

class SubWindowActivation {
public:
    // For own, a child of area, on the area's report that active (nullptr: none) is now
    // the active child: runs activate when own has become active, deactivate when it has
    // stopped being active.
    void onSubWindowActivated(const QMdiArea& area, const QMdiSubWindow* own, const QMdiSubWindow* active,
                              const std::function<void()>& activate, const std::function<void()>& deactivate);
    [[nodiscard]] bool active() const { return m_active; }

private:
    bool m_active = false;
};

}  // namespace shell
