// Brevane - help topics shown in the help window.
#include "shell/QtHelpService.h"

#include "shell/frmHelp.h"

#include <QCoreApplication>

namespace shell {

QtHelpService::QtHelpService(std::function<QWidget*()> parentProvider, QString pagesFolder)
    : m_parent(std::move(parentProvider)), m_folder(std::move(pagesFolder))
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(&m_helpKey);
}

QtHelpService::~QtHelpService()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(&m_helpKey);
    // A window without parent is ours to delete; one with a parent goes with it.
    if (m_window && !m_window->parent())
        delete m_window.data();
}

frmHelp& QtHelpService::window()
{
    if (!m_window) {
        m_window = new frmHelp(m_parent ? m_parent() : nullptr, m_folder);
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    return *m_window;
}

void QtHelpService::showHelp(const std::string& topic)
{
    frmHelp& w = window();
    if (topic.empty())
        w.showContents();
    else
        w.showTopic(QString::fromLatin1(topic.data(), static_cast<qsizetype>(topic.size())));
}

void QtHelpService::showIndex() { window().showIndex(); }

void QtHelpService::showSearch() { window().showSearch(); }

}  // namespace shell
