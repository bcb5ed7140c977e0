// Brevane - the Qt implementations of the platform services, installed together.
#include "shell/QtServices.h"

#include "shell/frmStartup.h"

namespace shell {

QtServices::QtServices()
    : m_messages([this] { return mainWindow(); }),
      m_dialogs([this] { return mainWindow(); }),
      m_help([this] { return mainWindow(); })
{
}

QtServices::~QtServices() { uninstall(); }

QWidget* QtServices::mainWindow() const
{
    // Dialogs belong to the main window while it is on screen; before it is shown (the
    // splash, the settings) and after it is hidden they stand on their own.
    return m_window && m_window->isVisible() ? m_window.data() : nullptr;
}

void QtServices::install()
{
    platform::installMessageService(&m_messages);
    platform::installStatusService(&m_status);
    platform::installEventLoop(&m_loop);
    platform::installFileDialogService(&m_dialogs);
    platform::installHelpService(&m_help);
    m_installed = true;
}

void QtServices::uninstall()
{
    if (!m_installed)
        return;
    // Only what is still ours goes back to the defaults.
    if (&platform::messages() == &m_messages)
        platform::installMessageService(nullptr);
    if (&platform::status() == &m_status)
        platform::installStatusService(nullptr);
    if (&platform::eventLoop() == &m_loop)
        platform::installEventLoop(nullptr);
    if (&platform::fileDialogs() == &m_dialogs)
        platform::installFileDialogService(nullptr);
    if (&platform::help() == &m_help)
        platform::installHelpService(nullptr);
    m_installed = false;
}

void QtServices::setMainWindow(frmStartup* window)
{
    m_window = window;
    m_status.setMainWindow(window);
}

}  // namespace shell
