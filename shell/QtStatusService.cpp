// Brevane - the busy cursor and the main window's status bar.
#include "shell/QtStatusService.h"

#include "platform/Latin1.h"
#include "shell/frmStartup.h"

#include <QApplication>
#include <QCursor>

namespace shell {

QtStatusService::~QtStatusService()
{
    if (m_busy && QApplication::instance())
        QApplication::restoreOverrideCursor();
}

void QtStatusService::setBusyCursor(bool busy)
{
    if (busy == m_busy || !QApplication::instance())
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

void QtStatusService::setStatusText(int panel, const std::string& text)
{
    if (m_window)
        m_window->setStatusPanelText(panel, platform::fromText(text));
}

void QtStatusService::refreshMainWindow()
{
    if (m_window)
        m_window->repaint();
}

}  // namespace shell
