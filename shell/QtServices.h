// Brevane - the Qt implementations of the platform services, installed together.
#pragma once

#include "shell/QtEventLoop.h"
#include "shell/QtFileDialogService.h"
#include "shell/QtHelpService.h"
#include "shell/QtMessageService.h"
#include "shell/QtStatusService.h"

#include <QPointer>

namespace shell {

class frmStartup;

// Message boxes, input boxes and file dialogs over the main window, its status bar and
// the busy cursor, the help window, and waits on Qt's event loop. install() puts them in
// place of the headless defaults; the destructor restores those.
class QtServices {
public:
    QtServices();
    ~QtServices();
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    void install();
    void uninstall();
    // The window that owns the dialogs and shows the status texts.
    void setMainWindow(frmStartup* window);

    [[nodiscard]] QtMessageService& messages() { return m_messages; }
    [[nodiscard]] QtStatusService& status() { return m_status; }
    [[nodiscard]] QtEventLoop& eventLoop() { return m_loop; }
    [[nodiscard]] QtFileDialogService& fileDialogs() { return m_dialogs; }
    [[nodiscard]] QtHelpService& help() { return m_help; }

private:
    QWidget* mainWindow() const;

    QPointer<frmStartup> m_window;
    QtMessageService m_messages;
    QtStatusService m_status;
    QtEventLoop m_loop;
    QtFileDialogService m_dialogs;
    QtHelpService m_help;
    bool m_installed = false;
};

}  // namespace shell
