// Brevane - the main window's menu and toolbar commands.
#include "shell/frmStartup.h"

#include "midi/MidiTransfers.h"
#include "platform/Services.h"
#include "shell/HelpTopics.h"
#include "shell/MidiFilePlayerBar.h"
#include "shell/QtHelpService.h"
#include "shell/frmAbout.h"
#include "shell/frmOptions.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace shell {
namespace {

// The caption a child window shows: "[*]" becomes "*" while the window holds unsaved
// changes and disappears otherwise.
QString shownTitle(const QMdiSubWindow& child)
{
    QString title = child.windowTitle();
    title.replace(QStringLiteral("[*]"), child.isWindowModified() ? QStringLiteral("*") : QString());
    return title;
}

}  // namespace

// ---------------------------------------------------------------- commands

void frmStartup::runExtra(CommandId id)
{
    if (m_options.runExtraCommand)
        m_options.runExtraCommand(id);
}

void frmStartup::runCommand(CommandId id)
{
    const CommandSpec& spec = commandSpec(id);
    switch (spec.menu) {
    case MenuId::File: mnufile_Click(spec.index); break;
    case MenuId::RecentFiles: Mnurecentfiles_Click(spec.index); break;
    case MenuId::Exit: mnuExit_Click(); break;
    case MenuId::Edit: mnuedit_Click(spec.index); break;
    case MenuId::Midi: mnuMIDI_Click(spec.index); break;
    case MenuId::MidiSend: mnuMIDIsend_Click(spec.index); break;
    case MenuId::MidiReceive: mnuMIDIreceive_Click(spec.index); break;
    case MenuId::MidiOptions: mnuMIDIOptions_Click(spec.index); break;
    case MenuId::Tools: mnuTools_Click(spec.index); break;
    case MenuId::Window: mnuWindow_Click(spec.index); break;
    case MenuId::WindowList: mnuWindowList_Click(spec.index); break;
    case MenuId::Help: mnuHelp_Click(spec.index); break;
    case MenuId::None:
        // The clicked button is drawn up now: a dialog or wait of the command would hold
        // it drawn pressed until it ends.
        if (QWidget* button = m_toolbar->widgetForAction(action(id)))
            button->repaint();
        Toolbar1_ButtonClick(
            QString::fromLatin1(spec.toolbarKey.data(), static_cast<qsizetype>(spec.toolbarKey.size())));
        break;
    }
}

void frmStartup::mnufile_Click(int index)
{
    switch (index) {
    case 0: m_voiceLists->fileNew(); break;
    case 1: m_voiceLists->fileOpen(); break;
    case 2: m_voiceLists->fileClose(m_mdiArea->activeSubWindow()); break;
    case 3: m_voiceLists->fileCloseAll(); break;
    case 4: m_voiceLists->fileSave(false); break;
    case 5: m_voiceLists->fileSave(true); break;
    default:
        if (const auto id = commandAt(MenuId::File, index))
            runExtra(*id);
        break;
    }
    updateCommands();
}

void frmStartup::mnuedit_Click(int index)
{
    // The Edit commands work on a voice list whose rename box is closed, and only there.
    const ActiveChildState active = activeChild();
    if (active.kind != ChildKind::VoiceList || active.renameBoxVisible)
        return;
    if (const auto id = commandAt(MenuId::Edit, index)) {
        m_voiceLists->editCommand(*id);
        updateCommands();
    }
}

void frmStartup::mnuMIDI_Click(int index)
{
    if (index == 4 && m_midi && m_midi->available()) {
        m_midi->InitialiseMIDI(true, m_options.commandLine);
        updateCommands();
    }
}

void frmStartup::mnuMIDIsend_Click(int index)
{
    m_transfers->mnuMIDIsend_Click(index);
    updateCommands();
}

void frmStartup::mnuMIDIreceive_Click(int index)
{
    m_transfers->mnuMIDIreceive_Click(index);
    updateCommands();
}

void frmStartup::mnuMIDIOptions_Click(int index)
{
    if (!m_midi || !m_midi->optionsCommand(index)) {
        if (const auto id = commandAt(MenuId::MidiOptions, index))
            runExtra(*id);
    }
    updateCommands();
}

void frmStartup::mnuTools_Click(int index)
{
    switch (index) {
    case 2: togglePlayerBar(); break;
    case 4: {
        frmOptions options(m_showSplash, m_synthId, objMIDIInit(), this);
        options.exec();
        break;
    }
    default:
        if (const auto id = commandAt(MenuId::Tools, index))
            runExtra(*id);
        break;
    }
    updateCommands();
}

void frmStartup::togglePlayerBar()
{
    if (!m_commandState.isEnabled(CommandId::ToolsMidiFilePlayer))
        return;
    if (m_playerBarShown) {
        // Hiding the bar closes any open MIDI file.
        m_player->closePlayer();
        setStatusPanelText(2, QString());
    }
    m_playerBarShown = !m_playerBarShown;
    m_picture1Action->setVisible(m_playerBarShown);
    updateCommands();
}

void frmStartup::mnuWindow_Click(int index)
{
    switch (index) {
    case 0: m_mdiArea->cascadeSubWindows(); break;
    case 1: tileVertically(); break;
    case 2: arrangeIcons(); break;
    case 4: m_mdiArea->activateNextSubWindow(); break;
    case 5: m_mdiArea->activatePreviousSubWindow(); break;
    default: break;
    }
}

std::vector<QMdiSubWindow*> frmStartup::listedChildWindows() const
{
    std::vector<QMdiSubWindow*> children;
    for (QMdiSubWindow* child : m_mdiArea->subWindowList(QMdiArea::CreationOrder))
        if (!child->isHidden())
            children.push_back(child);
    return children;
}

void frmStartup::updateWindowList()
{
    const std::vector<QMdiSubWindow*> children = listedChildWindows();
    for (std::size_t slot = 0; slot < kWindowListSlots; ++slot) {
        QMdiSubWindow* child = slot < children.size() ? children[slot] : nullptr;
        m_windowListed[slot] = child;
        if (!child)
            continue;
        QString title = shownTitle(*child);
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        action(windowListCommand(slot))->setText(QStringLiteral("&%1 %2").arg(slot + 1).arg(title));
    }
}

void frmStartup::mnuWindowList_Click(int index)
{
    if (index == commandSpec(CommandId::WindowMore).index)
        chooseChildWindow();
    else if (index >= 1 && index <= static_cast<int>(kWindowListSlots))
        activateChildWindow(m_windowListed[static_cast<std::size_t>(index - 1)]);
    // Choosing the active window again changes nothing, but has toggled its tick.
    updateCommands();
}

void frmStartup::activateChildWindow(QMdiSubWindow* child)
{
    if (!child || child->isHidden())
        return;
    if (child->isMinimized())
        child->showNormal();
    m_mdiArea->setActiveSubWindow(child);
}

// "More Windows...": every listed child window in a list to pick one from, the active
// one selected.
void frmStartup::chooseChildWindow()
{
    const std::vector<QMdiSubWindow*> children = listedChildWindows();
    std::vector<QPointer<QMdiSubWindow>> choices(children.begin(), children.end());
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("frmSelectWindow"));
    dialog.setWindowTitle(QStringLiteral("Select Window"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstWindows"));
    for (QMdiSubWindow* child : children)
        list->addItem(shownTitle(*child));
    const auto current = std::find(children.begin(), children.end(), m_mdiArea->currentSubWindow());
    list->setCurrentRow(current == children.end() ? 0 : static_cast<int>(current - children.begin()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int row = list->currentRow();
    if (row >= 0 && row < static_cast<int>(choices.size()))
        activateChildWindow(choices[static_cast<std::size_t>(row)]);
}

void frmStartup::tileVertically()
{
    // Side by side, each child the full height of the client area.
    std::vector<QMdiSubWindow*> children;
    for (QMdiSubWindow* w : m_mdiArea->subWindowList())
        if (w->isVisible() && !w->isMinimized())
            children.push_back(w);
    if (children.empty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int n = static_cast<int>(children.size());
    for (int i = 0; i < n; ++i) {
        const int left = area.width() * i / n;
        const int right = area.width() * (i + 1) / n;
        children[static_cast<std::size_t>(i)]->showNormal();
        children[static_cast<std::size_t>(i)]->setGeometry(left, 0, right - left, area.height());
    }
}

void frmStartup::arrangeIcons()
{
    // Minimised children in a row along the bottom edge, left to right.
    const QRect area = m_mdiArea->viewport()->rect();
    int x = 0;
    int y = area.bottom();
    for (QMdiSubWindow* w : m_mdiArea->subWindowList()) {
        if (!w->isMinimized())
            continue;
        const QSize size = w->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        w->move(x, y - size.height() + 1);
        x += size.width();
    }
}

void frmStartup::mnuHelp_Click(int index)
{
    auto* qtHelp = dynamic_cast<QtHelpService*>(&platform::help());
    switch (index) {
    case 0: platform::help().showHelp(std::string()); break;
    case 1:
        if (qtHelp)
            qtHelp->showIndex();
        else
            platform::help().showHelp(std::string());
        break;
    case 2:
        if (qtHelp)
            qtHelp->showSearch();
        else
            platform::help().showHelp(std::string());
        break;
    case 4: platform::help().showHelp(helpTopicForContext(commandSpec(CommandId::HelpQuickTour).helpContext)); break;
    case 5:
        platform::help().showHelp(helpTopicForContext(commandSpec(CommandId::HelpTechnicalSupport).helpContext));
        break;
    case 7: {
        frmAbout about(this);
        about.exec();
        break;
    }
    default: break;
    }
}

void frmStartup::Mnurecentfiles_Click(int index)
{
    if (index < 1 || index > static_cast<int>(kRecentFileSlots))
        return;
    const std::string path = m_recentFiles[static_cast<std::size_t>(index - 1)];
    if (!path.empty())
        m_voiceLists->openRecentFile(path);
    updateCommands();
}

void frmStartup::mnuExit_Click() { close(); }

void frmStartup::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("New File"))
        mnufile_Click(0);
    else if (key == QLatin1String("Open File"))
        mnufile_Click(1);
    else if (key == QLatin1String("Save File"))
        mnufile_Click(4);
    else if (key == QLatin1String("Print Voice")) {
        const ChildKind kind = activeChild().kind;
        if (kind == ChildKind::VoiceEditor)
            mnufile_Click(12);
        else if (kind == ChildKind::VoiceList)
            mnufile_Click(11);
    } else if (key == QLatin1String("Cut"))
        mnuedit_Click(0);
    else if (key == QLatin1String("Copy"))
        mnuedit_Click(1);
    else if (key == QLatin1String("Delete"))
        mnuedit_Click(3);
    else if (key == QLatin1String("Paste"))
        mnuedit_Click(2);
    else if (key == QLatin1String("MIDI devices"))
        mnuMIDI_Click(4);
    else if (key == QLatin1String("Open Mid File"))
        MidiFilePlayer(0);
    else if (key == QLatin1String("Play"))
        MidiFilePlayer(1);
    else if (key == QLatin1String("Pause"))
        MidiFilePlayer(2);
    else if (key == QLatin1String("Stop"))
        MidiFilePlayer(3);
}

void frmStartup::Toolbar1_ButtonMenuClick(const QString& key)
{
    if (key == QLatin1String("Get Voice"))
        mnuMIDIreceive_Click(0);
    else if (key == QLatin1String("Get Bank"))
        mnuMIDIreceive_Click(1);
    else if (key == QLatin1String("Send Voice"))
        mnuMIDIsend_Click(0);
    else if (key == QLatin1String("Send Bank"))
        mnuMIDIsend_Click(1);
}

}  // namespace shell
