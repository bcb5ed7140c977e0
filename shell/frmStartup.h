// Brevane - the main window: MDI frame, start-up and shut-down, menus, toolbar and status bar.
//
// frmStartup owns the program-wide state that other windows read and write through its
// properties (the data folder, the synthesizer type, the recent files, the MIDI settings
// object, the registry of open voice lists). Form_Load runs the start-up sequence; closing
// the window runs the shut-down sequence (every voice list with its save questions, the
// MIDI ports, the other windows, then the settings file).
#pragma once

#include "shell/AppPaths.h"
#include "shell/CommandLine.h"
#include "shell/CommandTable.h"
#include "shell/MidiSetup.h"
#include "shell/SettingsTypes.h"
#include "shell/VoiceListHooks.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSlider;
class QSpinBox;
class QToolBar;
class QToolButton;

namespace midi {
class MidiTransferCommands;
}

namespace shell {

class MidiFilePlayerBar;
class SettingsFile;
class ShellAppState;

// What the main window is built with: where it keeps its files, the command-line switch,
// and the parts of the program that other subsystems supply.
struct StartupOptions {
    AppPaths paths;
    CommandLineSwitch commandLine = CommandLineSwitch::None;
    // objMIDIInit: the program's own clsMIDIInit (midiui/MidiInitSetup); NoMidiSetup when
    // not given.
    std::function<std::unique_ptr<MidiSetup>()> makeMidiSetup;
    // The registry and windows of the open voice lists; NoVoiceLists when not given.
    std::function<std::unique_ptr<VoiceListHooks>(class frmStartup&)> makeVoiceLists;
    // Number of installed printers (start-up step 4); none when not given.
    std::function<std::int32_t()> countPrinters;
    // Commands of other subsystems (MIDI transfer, editor, tools, printing): which of them
    // are available, and who runs them.
    CommandFeatures extraFeatures;
    std::function<void(CommandId)> runExtraCommand;
    // Lets other subsystems add their state (MIDI input running, clipboard...) before the
    // enabled states are computed.
    std::function<void(CommandInputs&)> adjustCommandInputs;
    // Asked by the query-unload once the voice lists have closed, before the MIDI ports
    // close: false stops the exit (the user kept a window of another subsystem open, as the
    // print preview with its text).
    std::function<bool()> onQueryUnload;
    // Run by the unload handler before the settings are written (restores the printer
    // font, closes the MIDI file player).
    std::function<void()> onUnload;
    // Start-up step 7 shows the splash for this long (milliseconds).
    std::int32_t splashMs = 2000;
};

class frmStartup final : public QMainWindow {
    Q_OBJECT
public:
    // Twips (the unit of the settings file's geometry) per logical pixel.
    static constexpr int kTwipsPerPixel = 15;
    // The window's designed client geometry in pixels, used when the settings give none.
    static constexpr QRect kDesignedGeometry{20, 20, 760, 540};

    explicit frmStartup(StartupOptions options, QWidget* parent = nullptr);
    ~frmStartup() override;
    frmStartup(const frmStartup&) = delete;
    frmStartup& operator=(const frmStartup&) = delete;

    // The program's main window, or nullptr when none exists.
    [[nodiscard]] static frmStartup* instance();

    // ---- life cycle
    // Runs the start-up sequence and shows the window. False when the program cannot run
    // (the reason has been shown); the window then stays hidden and writes no settings.
    [[nodiscard]] bool Form_Load();
    [[nodiscard]] bool loaded() const { return m_loaded; }
    // True while a wait or a long operation keeps the event loop running inside a handler,
    // or while start-up runs. Closing is deferred until it ends.
    [[nodiscard]] bool operationRunning() const;
    // Runs task from the main event loop once no operation is running (at once when none is).
    void runWhenIdle(std::function<void()> task);

    // ---- public properties
    [[nodiscard]] std::string MidiFileTitle() const { return m_midiFileTitle; }
    void setMidiFileTitle(const std::string& title) { m_midiFileTitle = title; }
    // Show the splash at start-up; empty (never set) counts as True.
    [[nodiscard]] std::optional<bool> ShowSplash() const { return m_showSplash; }
    void setShowSplash(std::optional<bool> show) { m_showSplash = show; }
    // 0 MkI DX7, 1 first series, 2 second series; empty when no type was chosen yet.
    [[nodiscard]] std::optional<std::int32_t> SynthID() const { return m_synthId; }
    // Refuses (false, value kept) anything but empty, 0, 1 or 2.
    bool setSynthID(std::optional<std::int32_t> id);
    // Folder of voice files, ending in '/'.
    [[nodiscard]] std::string DataDirectory() const { return m_dataDirectory; }
    void setDataDirectory(const std::string& folder);
    [[nodiscard]] VoiceListHooks& colVoiceLists() { return *m_voiceLists; }
    // The state the voice bank library reads (banklib::appState() while this window lives).
    [[nodiscard]] ShellAppState& appState() { return *m_appState; }
    [[nodiscard]] std::string MIDIFileDirectory() const { return m_midiFileDirectory; }
    void setMIDIFileDirectory(const std::string& folder) { m_midiFileDirectory = folder; }
    [[nodiscard]] bool IsMIDIMapperAllocated() const { return m_midiMapperAllocated; }
    void setIsMIDIMapperAllocated(bool b) { m_midiMapperAllocated = b; }
    // Playing a MIDI file; also runs Timer1, the player's 50 ms position poll.
    [[nodiscard]] bool IsPlaying() const { return m_isPlaying; }
    void setIsPlaying(bool b);
    [[nodiscard]] bool IsOpen() const { return m_isOpen; }
    void setIsOpen(bool b) { m_isOpen = b; }
    [[nodiscard]] bool IsStopped() const { return m_isStopped; }
    void setIsStopped(bool b) { m_isStopped = b; }
    // Printers found at start-up; 0 disables printing.
    [[nodiscard]] std::int32_t NoPrinters() const { return m_noPrinters; }
    void setNoPrinters(std::int32_t n);
    // The MIDI file player's commands: 0 open, 1 play, 2 pause, 3 stop.
    void MidiFilePlayer(int command);
    // The MIDI file player bar: objMIDIFilePlayer and the controls it drives.
    [[nodiscard]] MidiFilePlayerBar& playerBar() { return *m_player; }
    [[nodiscard]] QSlider* Slider1() const { return m_slider1; }
    [[nodiscard]] QSpinBox* UpDown1() const { return m_upDown1; }

    // The MIDI settings object (made at start-up step 2).
    [[nodiscard]] MidiSetup& objMIDIInit();
    [[nodiscard]] bool MDACMissing() const { return m_mdacMissing; }
    // Set by a voice-list window whose close the user refused; shut-down stops on it.
    [[nodiscard]] bool UnloadCancelled() const { return m_unloadCancelled; }
    void setUnloadCancelled(bool b) { m_unloadCancelled = b; }
    // Set just before the MIDI ports are closed at shut-down.
    [[nodiscard]] bool AppClosing() const { return m_appClosing; }
    // Layout index last chosen in the "Save File" dialog.
    [[nodiscard]] std::int32_t SaveFileFormat() const { return m_saveFileFormat; }
    void setSaveFileFormat(std::int32_t layout) { m_saveFileFormat = layout; }
    // The six recent-file slots (slot 0 listed first); setting them rebuilds the menu.
    [[nodiscard]] const RecentFileSlots& RecentFiles() const { return m_recentFiles; }
    void setRecentFiles(const RecentFileSlots& entries);
    // The recent files as a list, oldest first (the filled slots in order); setting it
    // keeps the newest six.
    [[nodiscard]] std::vector<std::string> recentFileList() const;
    void setRecentFileList(const std::vector<std::string>& paths);

    [[nodiscard]] const AppPaths& paths() const { return m_options.paths; }
    // Folder of the program, ending in '/' (its own files: paths().ownFilesFolder()).
    [[nodiscard]] std::string ProgramFolder() const { return m_options.paths.programFolder; }
    [[nodiscard]] CommandLineSwitch commandLine() const { return m_options.commandLine; }

    // ---- menus and toolbar (index = the item's index in its menu)
    void mnufile_Click(int index);
    void mnuedit_Click(int index);
    void mnuMIDI_Click(int index);
    void mnuMIDIsend_Click(int index);
    void mnuMIDIreceive_Click(int index);
    void mnuMIDIOptions_Click(int index);
    void mnuTools_Click(int index);
    void mnuWindow_Click(int index);
    // index 1..9 activates the child window listed there, 10 asks which of all to activate.
    void mnuWindowList_Click(int index);
    void mnuHelp_Click(int index);
    // index 1..6 opens RecentFiles()[index - 1].
    void Mnurecentfiles_Click(int index);
    void mnuExit_Click();
    void Toolbar1_ButtonClick(const QString& key);
    void Toolbar1_ButtonMenuClick(const QString& key);

    // Recomputes which commands are enabled; voice lists call it whenever their selection,
    // rename box or the clipboard changes.
    void updateCommands();
    [[nodiscard]] CommandInputs commandInputs() const;
    [[nodiscard]] const CommandState& commandState() const { return m_commandState; }
    [[nodiscard]] QAction* action(CommandId id) const;
    [[nodiscard]] QToolBar* toolbar() const { return m_toolbar; }
    [[nodiscard]] bool playerBarShown() const { return m_playerBarShown; }

    // ---- status bar: panel 1 messages, panel 2 the MIDI file player
    void setStatusPanelText(int panel, const QString& text);
    [[nodiscard]] QString statusPanelText(int panel) const;
    [[nodiscard]] int statusPanelWidth(int panel) const;

    [[nodiscard]] QMdiArea* mdiArea() const { return m_mdiArea; }
    [[nodiscard]] ActiveChildState activeChild() const;

    // The settings last read: what happened, for diagnostics and tests.
    [[nodiscard]] SettingsLoadResult settingsLoadResult() const { return m_settingsLoad; }

    // The window's client geometry in pixels as the settings file keeps it: the restored
    // geometry of a maximised window; before start-up shows the window, the geometry it
    // will get. Setting it moves a shown window at once, kept within the screen.
    [[nodiscard]] QRect settingsGeometry() const;
    void setSettingsGeometry(const QRect& geometry);

signals:
    // Timer1: the MIDI file player's position poll, every 50 ms while IsPlaying.
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitNewChild(QMdiSubWindow& child);
    void buildActions();
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QMenu* buildMenu(MenuId menu, const QString& title);
    void runCommand(CommandId id);
    void runExtra(CommandId id);
    void SetMenuIcons();
    void LoadSettings();
    void SaveSettings();
    void UpdateRecentFilesMenu();
    void SetDataDirectory();
    void showSplash();
    void applyWantedGeometry();
    void togglePlayerBar();
    void tileVertically();
    void arrangeIcons();
    // The child windows the Window menu lists, in the order they were opened: every one
    // that is shown, minimised ones too.
    [[nodiscard]] std::vector<QMdiSubWindow*> listedChildWindows() const;
    void updateWindowList();
    void activateChildWindow(QMdiSubWindow* child);
    void chooseChildWindow();
    [[nodiscard]] bool Form_QueryUnload();
    void Form_Unload();
    void onIdleCheck();
    // The application-wide watch for Escape while a dump request waits or a file goes out.
    [[nodiscard]] std::unique_ptr<QObject> makeEscapeEndsWait();
    // Ends a dump request's wait and a file send, when they run: Escape, or the exit.
    void endMidiWaits(bool exiting);

    StartupOptions m_options;
    std::unique_ptr<VoiceListHooks> m_voiceLists;
    std::unique_ptr<MidiSetup> m_midi;
    std::unique_ptr<ShellAppState> m_appState;

    // public state
    std::string m_midiFileTitle;
    std::optional<bool> m_showSplash;
    std::optional<std::int32_t> m_synthId;
    std::string m_dataDirectory;
    std::string m_midiFileDirectory;
    bool m_midiMapperAllocated = false;
    bool m_isPlaying = false;
    bool m_isOpen = false;
    bool m_isStopped = false;
    std::int32_t m_noPrinters = 0;
    bool m_mdacMissing = false;
    bool m_unloadCancelled = false;
    bool m_appClosing = false;
    std::int32_t m_saveFileFormat = 0;
    RecentFileSlots m_recentFiles;

    // life cycle
    bool m_loading = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_closePending = false;
    SettingsLoadResult m_settingsLoad;
    // The settings file as start-up read it; none when start-up never got that far.
    std::unique_ptr<SettingsFile> m_settingsFile;
    QRect m_wantedGeometry = kDesignedGeometry;
    std::vector<std::function<void()>> m_idleTasks;
    QTimer m_idleTimer;

    // widgets
    QMdiArea* m_mdiArea = nullptr;
    QToolBar* m_toolbar = nullptr;
    QLabel* m_panels[2] = {nullptr, nullptr};
    QTimer m_timer1;
    QWidget* m_picture1 = nullptr;  // the MIDI file player bar
    QSpinBox* m_upDown1 = nullptr;
    QSlider* m_slider1 = nullptr;
    QLabel* m_label1 = nullptr;
    QAction* m_picture1Action = nullptr;
    QToolButton* m_receiveButton = nullptr;
    QToolButton* m_sendButton = nullptr;
    QAction* m_recentSeparator = nullptr;
    QAction* m_windowListSeparator = nullptr;
    // The windows behind the Window menu's entries 1..9, as last listed (the list is
    // brought up to date whenever the menu opens and whenever the commands are).
    std::array<QPointer<QMdiSubWindow>, kWindowListSlots> m_windowListed;
    QMenu* m_sendMenu = nullptr;
    QMenu* m_receiveMenu = nullptr;
    QMenu* m_midiOptionsMenu = nullptr;
    std::array<QAction*, kCommandCount> m_actions{};
    // Toolbar drop-down items: "Get Bank", "Get Voice", "Send Bank", "Send Voice".
    std::vector<std::pair<CommandId, QAction*>> m_dropDownItems;
    bool m_playerBarShown = false;
    CommandState m_commandState;
    // Midi > Send and Receive.
    std::unique_ptr<midi::MidiTransferCommands> m_transfers;
    // Escape pressed in this window while a dump request waits or a file goes out ends them.
    std::unique_ptr<QObject> m_escapeEndsWait;
    // Last, so that it goes first: the player stops before the MIDI system goes.
    std::unique_ptr<MidiFilePlayerBar> m_player;
};

}  // namespace shell
