// Brevane - the catalogue operations' dialogs as Qt windows.
#include "catalogue/CatalogueDialogsQt.h"

#include "banklib/VoiceListView.h"
#include "catalogue/frmContinueSearchDlg.h"
#include "catalogue/frmDupStatus.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmGroupPatches.h"
#include "catalogue/frmGroupStatus.h"
#include "platform/Services.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QProgressBar>
#include <QShortcut>

#include <algorithm>
#include <vector>

namespace shell {

// Drops input to the windows a run must not be disturbed in, and refuses to close them
// or the list being worked on. Installed on the application for the length of a run.
class CatalogueRunGuard final : public QObject {
public:
    CatalogueRunGuard(QWidget* mainWindow, banklib::VoiceListView& list)
        : m_list(dynamic_cast<QWidget*>(&list))
    {
        if (mainWindow != nullptr)
            m_blocked.emplace_back(mainWindow);
        // Every window open now (the Find window, a dialog left on screen), except the
        // windows that belong to the run itself.
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top != mainWindow && !belongsToRun(top))
                m_blocked.emplace_back(top);
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(this);
    }
    ~CatalogueRunGuard() override
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
    }
    CatalogueRunGuard(const CatalogueRunGuard&) = delete;
    CatalogueRunGuard& operator=(const CatalogueRunGuard&) = delete;

    int depth = 1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Close:
            if (protectedFromClosing(watched)) {
                event->ignore();
                return true;
            }
            return false;
        case QEvent::ShortcutOverride:
            // Claiming the key keeps it from becoming a menu shortcut; the key press that
            // follows is then dropped below.
            if (blocked(watched)) {
                event->accept();
                return true;
            }
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Shortcut:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
            return blocked(watched);
        default:
            return false;
        }
    }

private:
    static bool belongsToRun(const QWidget* window)
    {
        return qobject_cast<const frmDupStatus*>(window) != nullptr ||
               qobject_cast<const frmGroupStatus*>(window) != nullptr ||
               qobject_cast<const frmContinueSearchDlg*>(window) != nullptr;
    }

    bool isBlockedWindow(const QWidget* window) const
    {
        return std::any_of(m_blocked.begin(), m_blocked.end(),
                           [window](const QPointer<QWidget>& w) { return w.data() == window; });
    }

    // The widget an event is meant for: the widget itself, or the window that owns a
    // menu action or shortcut.
    static QWidget* targetWidget(QObject* watched)
    {
        if (auto* w = qobject_cast<QWidget*>(watched))
            return w;
        if (qobject_cast<QAction*>(watched) != nullptr || qobject_cast<QShortcut*>(watched) != nullptr)
            return qobject_cast<QWidget*>(watched->parent());
        return nullptr;
    }

    bool blocked(QObject* watched) const
    {
        const QWidget* w = targetWidget(watched);
        if (w == nullptr)
            return false;
        const QWidget* window = w->window();
        if (isBlockedWindow(window))
            return true;
        // A menu popped up from a blocked window.
        if (window->windowType() == Qt::Popup && window->parentWidget() != nullptr)
            return isBlockedWindow(window->parentWidget()->window());
        return false;
    }

    bool protectedFromClosing(QObject* watched) const
    {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w == nullptr)
            return false;
        if (isBlockedWindow(w))
            return true;
        const QWidget* list = m_list.data();
        return list != nullptr && (w == list || w->isAncestorOf(list));
    }

    QPointer<QWidget> m_list;
    std::vector<QPointer<QWidget>> m_blocked;
};

CatalogueDialogsQt::CatalogueDialogsQt(QWidget* mainWindow, SaveFormatChooser chooseSaveFormat)
    : m_mainWindow(mainWindow), m_chooseSaveFormat(std::move(chooseSaveFormat))
{
}

CatalogueDialogsQt::~CatalogueDialogsQt() = default;

std::optional<banklib::FileType> CatalogueDialogsQt::chooseSaveFormat(banklib::FileType current)
{
    return m_chooseSaveFormat ? m_chooseSaveFormat(current) : std::nullopt;
}

void CatalogueDialogsQt::beginCatalogueRun(banklib::VoiceListView& list)
{
    if (m_guard) {
        ++m_guard->depth;
        return;
    }
    m_guard = std::make_unique<CatalogueRunGuard>(m_mainWindow.data(), list);
}

void CatalogueDialogsQt::endCatalogueRun()
{
    if (m_guard && --m_guard->depth <= 0)
        m_guard.reset();
}

banklib::DuplicateOptions CatalogueDialogsQt::duplicateOptions()
{
    const frmDuplicates* dialog = frmDuplicates::instance();
    return dialog != nullptr ? dialog->options() : banklib::DuplicateOptions{};
}

void CatalogueDialogsQt::showDuplicateProgressWindow()
{
    frmDupStatus& status = frmDupStatus::load(m_mainWindow.data());
    status.show();
    status.raise();
}

bool CatalogueDialogsQt::showDuplicateProgress(const banklib::DuplicateProgress& p)
{
    if (frmDuplicates* dialog = frmDuplicates::instance()) {
        bool cancel = false;
        dialog->objNames_SearchStatus(p.SearchedVoice, p.TotalAtStart, p.TotalNow, p.DupFound, p.DupDeleted, cancel);
        return cancel;
    }
    // A search started without the dialog: the window shows the figures, nothing can stop it.
    frmDupStatus::load(m_mainWindow.data()).showReport(p);
    platform::eventLoop().processEvents(0);
    return false;
}

void CatalogueDialogsQt::hideDuplicateProgress()
{
    if (frmDupStatus* status = frmDupStatus::instance())
        status->hide();
}

void CatalogueDialogsQt::unloadDuplicatesDialog() { frmDuplicates::unload(); }

banklib::CatalogueDialogs::ContinueAnswer CatalogueDialogsQt::askContinueSearch()
{
    frmContinueSearchDlg& box = frmContinueSearchDlg::load(m_mainWindow.data());
    box.ask();
    return {box.DontAskAgain, box.StopSearch};
}

bool CatalogueDialogsQt::continueDontAskAgain() const
{
    const frmContinueSearchDlg* box = frmContinueSearchDlg::instance();
    return box != nullptr && box->DontAskAgain;
}

void CatalogueDialogsQt::unloadContinueSearch() { frmContinueSearchDlg::unload(); }

bool CatalogueDialogsQt::groupMovesVoices()
{
    const frmGroupPatches* dialog = frmGroupPatches::instance();
    return dialog != nullptr && dialog->movesVoices();
}

bool CatalogueDialogsQt::groupCurrentSelection()
{
    const frmGroupPatches* dialog = frmGroupPatches::instance();
    return dialog != nullptr && dialog->currentSelectionOnly();
}

void CatalogueDialogsQt::showGroupProgress()
{
    frmGroupStatus& status = frmGroupStatus::load(m_mainWindow.data());
    status.show();
    status.raise();
}

bool CatalogueDialogsQt::updateGroupProgress(std::int32_t groupIndex, std::int32_t lastGroupIndex)
{
    bool cancel = false;
    if (frmGroupPatches* dialog = frmGroupPatches::instance()) {
        dialog->objnames_GroupStatus(groupIndex, lastGroupIndex, cancel);
        return cancel;
    }
    if (lastGroupIndex > 0)
        frmGroupStatus::load(m_mainWindow.data()).ProgressBar1()->setValue(groupIndex * 100 / lastGroupIndex);
    platform::eventLoop().processEvents(0);
    return false;
}

void CatalogueDialogsQt::hideGroupProgress()
{
    if (frmGroupStatus* status = frmGroupStatus::instance())
        status->hide();
}

}  // namespace shell
