// Brevane - the busy cursor and the main window's status bar.
#pragma once

#include "platform/Services.h"

#include <QPointer>

namespace shell {

class frmStartup;

// The busy cursor is the application's override cursor; it is on or off, not counted:
// SetBusyCursor(false) restores the normal pointer however often it was set busy.
class QtStatusService final : public platform::StatusService {
public:
    QtStatusService() = default;
    ~QtStatusService() override;
    QtStatusService(const QtStatusService&) = delete;
    QtStatusService& operator=(const QtStatusService&) = delete;

    // The window whose status bar shows the texts; texts for no window are dropped.
    void setMainWindow(frmStartup* window) { m_window = window; }

    void setBusyCursor(bool busy) override;
    void setStatusText(int panel, const std::string& text) override;
    void refreshMainWindow() override;

    [[nodiscard]] bool busy() const { return m_busy; }

private:
    QPointer<frmStartup> m_window;
    bool m_busy = false;
};

}  // namespace shell
