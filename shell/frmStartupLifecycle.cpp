// Brevane - the main window's start-up and shut-down: the settings, the splash, the data
// folder and the recent files at start-up; the voice lists' questions, the MIDI ports,
// the other windows and the settings file at shut-down.
#include "shell/frmStartup.h"

#include "midi/MidiTransfers.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "shell/MidiFilePlayerBar.h"
#include "shell/MidiSettingsBag.h"
#include "shell/QtEventLoop.h"
#include "shell/SettingsFile.h"
#include "shell/ShellHelpers.h"
#include "shell/StartupSettingsBag.h"
#include "shell/WindowPlacement.h"
#include "shell/frmSplash.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <filesystem>

namespace shell {
namespace {

// The smallest window the settings may ask for, in pixels.
constexpr int kMinimumWidth = 320;
constexpr int kMinimumHeight = 240;

// A menu caption must show '&' of a path as itself.
QString menuText(const std::string& text)
{
    QString s = QFile::decodeName(text.c_str());
    s.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return s;
}

}  // namespace

// ---------------------------------------------------------------- start-up

bool frmStartup::Form_Load()
{
    if (m_loaded || m_loading)
        return m_loaded;
    m_loading = true;

    // 1. Voice lists live in in-memory recordsets; without them nothing can run.
    if (!m_voiceLists->dataAccessAvailable()) {
        m_mdacMissing = true;
        (void)platform::messages().messageBox(
            "Brevane has detected that either you do not have Microsoft \r\n"
            "Data Access Components installed or the version installed is \r\n"
            "incompatible with Brevane.\r\n\r\n"
            "MDAC 2.5 or later is required to run Brevane.\r\n\r\n"
            "You can obtain MDAC (free) from \r\n\r\n"
            "https://www.microsoft.com/download",
            platform::MsgStyle::OkOnly | platform::MsgStyle::Exclamation, "MDAC Missing/Incorrect Version");
        m_loading = false;
        return false;
    }
    // 2. The MIDI settings object.
    (void)objMIDIInit();
    // 3. The help pages are built into the program (QtHelpService).
    // 4. Printers.
    setNoPrinters(m_options.countPrinters ? m_options.countPrinters() : 0);
    // 5. Menu icons.
    SetMenuIcons();
    // 6. Settings.
    LoadSettings();
    // 7. Splash, before the main window is visible.
    if (!m_showSplash.has_value())
        m_showSplash = true;
    if (*m_showSplash)
        showSplash();
    // 8. The main window, within the screen.
    applyWantedGeometry();
    show();
    // 9. The data folder.
    SetDataDirectory();
    // 10, 11. MIDI start-up, when there is a MIDI system.
    if (m_midi->available())
        m_midi->InitialiseMIDI(false, m_options.commandLine);
    else
        m_midi->announceOffline(m_options.commandLine);

    m_loading = false;
    m_loaded = true;
    updateCommands();
    if (m_closePending)
        m_idleTimer.start();
    return true;
}

void frmStartup::showSplash()
{
    auto* splash = new frmSplash;
    splash->Form_Load(m_wantedGeometry.width());
    splash->show();
    platform::PauseWithEvents(m_options.splashMs);
    splash->close();
    delete splash;
}

// The settings' geometry, its whole frame on the screen (shrunk where the screen is smaller).
void frmStartup::applyWantedGeometry()
{
    QRect wanted = m_wantedGeometry;
    wanted.setWidth(std::max(wanted.width(), kMinimumWidth));
    wanted.setHeight(std::max(wanted.height(), kMinimumHeight));
    fitFrame(*this, wanted, nullptr);
}

QRect frmStartup::settingsGeometry() const
{
    if (!m_loaded)
        return m_wantedGeometry;
    const QRect normal = normalGeometry();
    return (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) && normal.isValid()
               ? normal
               : geometry();
}

void frmStartup::SetDataDirectory()
{
    if (!m_dataDirectory.empty())
        return;
    m_dataDirectory = settleDataDirectory(m_dataDirectory, m_options.paths.dataBaseFolder);
    // Outside the program folder the data folder may not exist yet on a first run. A
    // folder named by the settings is left as it is.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(m_dataDirectory), ec);
}

void frmStartup::LoadSettings()
{
    StartupSettingsBag startUp(*this);
    MidiSettingsBag midi(objMIDIInit());
    RecentFileSlots recent;
    m_settingsFile = std::make_unique<SettingsFile>(m_options.paths.settingsFile);
    m_settingsLoad = m_settingsFile->load(startUp, midi, recent);
    // A missing file, or loading that ended in an error, leaves the recent files empty and
    // their menu entries hidden.
    if (m_settingsLoad.outcome != SettingsLoad::Read)
        return;
    m_recentFiles = recent;
    UpdateRecentFilesMenu();
}

void frmStartup::UpdateRecentFilesMenu()
{
    bool any = false;
    for (std::size_t slot = 0; slot < kRecentFileSlots; ++slot) {
        QAction* a = action(recentFileCommand(slot));
        const std::string& path = m_recentFiles[slot];
        a->setVisible(!path.empty());
        if (path.empty())
            continue;
        any = true;
        a->setText(menuText(recentFileCaption(slot + 1, path)));
        a->setToolTip(QFile::decodeName(path.c_str()));
    }
    m_recentSeparator->setVisible(any);
    updateCommands();
}

void frmStartup::setRecentFiles(const RecentFileSlots& entries)
{
    m_recentFiles = entries;
    UpdateRecentFilesMenu();
}

std::vector<std::string> frmStartup::recentFileList() const
{
    std::vector<std::string> list;
    for (const std::string& path : m_recentFiles)
        if (!path.empty())
            list.push_back(path);
    return list;
}

void frmStartup::setRecentFileList(const std::vector<std::string>& paths)
{
    RecentFileSlots entries;
    // The newest six, oldest first.
    const std::size_t skip = paths.size() > kRecentFileSlots ? paths.size() - kRecentFileSlots : 0;
    for (std::size_t i = skip; i < paths.size(); ++i)
        entries[i - skip] = paths[i];
    setRecentFiles(entries);
}

// ---------------------------------------------------------------- Escape during a wait

namespace {

// Sees every key press of the program: Escape in the main window or one of its child
// windows, while a dump request waits or a file goes out to MIDI, ends them. A modal
// dialog keeps its own Escape, as do the other top-level windows (the detection's progress
// window cancels).
class EscapeEndsWait final : public QObject {
public:
    EscapeEndsWait(frmStartup& main, std::function<bool()> waiting, std::function<void()> end)
        : m_main(main), m_waiting(std::move(waiting)), m_end(std::move(end))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier)
            return false;
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || widget->window() != &m_main || QApplication::activeModalWidget() != nullptr)
            return false;
        if (!m_waiting())
            return false;
        // The override only claims the key, so that no shortcut takes it; the press ends the wait.
        if (event->type() == QEvent::KeyPress)
            m_end();
        event->accept();
        return true;
    }

private:
    frmStartup& m_main;
    std::function<bool()> m_waiting;
    std::function<void()> m_end;
};

}  // namespace

std::unique_ptr<QObject> frmStartup::makeEscapeEndsWait()
{
    auto watch = std::make_unique<EscapeEndsWait>(
        *this, [this] { return (m_midi && m_midi->requestWaiting()) || (m_transfers && m_transfers->sendingFile()); },
        [this] { endMidiWaits(false); });
    qApp->installEventFilter(watch.get());
    return watch;
}

void frmStartup::endMidiWaits(bool exiting)
{
    if (m_midi)
        (void)m_midi->endRequestWait(exiting);
    if (m_transfers)
        (void)m_transfers->endFileSend(exiting);
}

// ---------------------------------------------------------------- shut-down

bool frmStartup::operationRunning() const { return m_loading || QtEventLoop::insideWait(); }

void frmStartup::runWhenIdle(std::function<void()> task)
{
    if (!operationRunning()) {
        task();
        return;
    }
    m_idleTasks.push_back(std::move(task));
    m_idleTimer.start();
}

void frmStartup::onIdleCheck()
{
    if (operationRunning())
        return;
    m_idleTimer.stop();
    std::vector<std::function<void()>> tasks;
    tasks.swap(m_idleTasks);
    for (auto& task : tasks)
        task();
    if (m_closePending) {
        m_closePending = false;
        close();
    }
}

void frmStartup::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    // A dump request still waiting (a sender that keeps a dump coming) ends here, keeping
    // what came, and a file going out to MIDI once its slice has gone; the exit then goes
    // on as it would have.
    endMidiWaits(true);
    if (!m_loaded) {
        // Start-up did not finish (or failed at its first step): nothing to close or save,
        // unless it is still running, when closing waits for its end.
        if (m_loading) {
            m_closePending = true;
            event->ignore();
        } else {
            event->accept();
        }
        return;
    }
    // A close asked for inside a wait or a long operation would pull the windows from
    // under it: it runs once the operation has ended.
    if (operationRunning()) {
        m_closePending = true;
        m_idleTimer.start();
        event->ignore();
        return;
    }
    if (!Form_QueryUnload()) {
        event->ignore();
        updateCommands();
        return;
    }
    Form_Unload();
    event->accept();
}

bool frmStartup::Form_QueryUnload()
{
    m_unloadCancelled = false;
    // Every voice list, in registry order, with its save questions.
    if (m_voiceLists->openListCount() > 0 && !m_voiceLists->closeAllForExit()) {
        m_unloadCancelled = true;
        return false;
    }
    if (m_unloadCancelled)
        return false;
    // Windows of other subsystems that hold work ask before anything else closes.
    if (m_options.onQueryUnload && !m_options.onQueryUnload()) {
        m_unloadCancelled = true;
        return false;
    }
    if (m_midi && (m_midi->MidiInOpen() || m_midi->MidiOutOpen())) {
        m_appClosing = true;
        m_midi->CloseMidiDevices(true, true);
    }
    // Every other window: children left in the MDI area, then the other top-level windows.
    for (QMdiSubWindow* child : m_mdiArea->subWindowList()) {
        if (!child->close())
            m_unloadCancelled = true;
        if (m_unloadCancelled)
            return false;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip)
            continue;
        if (!w->close())
            m_unloadCancelled = true;
        if (m_unloadCancelled)
            return false;
    }
    return true;
}

void frmStartup::Form_Unload()
{
    m_unloaded = true;
    hide();
    m_player->closePlayer();
    if (m_options.onUnload)
        m_options.onUnload();
    SaveSettings();
}

void frmStartup::SaveSettings()
{
    // A settings file that did not load at start-up is kept beside itself before this
    // run's settings replace it; when it cannot be kept, it is not replaced.
    if (!m_settingsFile)
        return;
    StartupSettingsBag startUp(*this);
    MidiSettingsBag midi(objMIDIInit());
    std::string error;
    if (!m_settingsFile->save(startUp, midi, m_recentFiles, &error))
        (void)platform::messages().messageBox("Unable to save file " + m_options.paths.settingsFile + "\r\n" + error,
                                              platform::MsgStyle::OkOnly | platform::MsgStyle::Exclamation,
                                              "IniFile Error");
}

}  // namespace shell
