// Brevane - when an MDI child counts as the active window.
#include "shell/SubWindowActivation.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace shell {

void SubWindowActivation::onSubWindowActivated(const QMdiArea& area, const QMdiSubWindow* own,
                                               const QMdiSubWindow* active, const std::function<void()>& activate,
                                               const std::function<void()>& deactivate)
{
    if (active == own) {
        if (!m_active) {
            m_active = true;
            activate();
        }
        return;
    }
    if (active == nullptr && area.currentSubWindow() == own)
        return;
    if (m_active) {
        m_active = false;
        deactivate();
    }
}

}  // namespace shell
