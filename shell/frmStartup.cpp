// Brevane - the main window.
#include "shell/frmStartup.h"

#include "midi/MidiTransfers.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "shell/HelpTopics.h"
#include "shell/MidiFilePlayerBar.h"
#include "shell/MidiSettingsBag.h"
#include "shell/QtEventLoop.h"
#include "shell/QtHelpService.h"
#include "shell/SettingsFile.h"
#include "shell/ShellAppState.h"
#include "shell/ShellHelpers.h"
#include "shell/StartupSettingsBag.h"
#include "shell/ToolbarIcons.h"
#include "shell/frmAbout.h"
#include "shell/frmOptions.h"
#include "shell/frmSplash.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <filesystem>

namespace shell {
namespace {

frmStartup* g_instance = nullptr;

constexpr int kTimer1IntervalMs = 50;
constexpr int kIdleCheckMs = 25;
// Share of the window's width for status panels 1 and 2.
constexpr double kPanel1Share = 0.65;
constexpr double kPanel2Share = 0.3;
// The smallest window the settings may ask for, in pixels.
constexpr int kMinimumWidth = 320;
constexpr int kMinimumHeight = 240;

constexpr const char* kCaption = "  Brevane";
constexpr const char* kCommandProperty = "brevaneCommand";

// A menu caption must show '&' of a path as itself.
QString menuText(const std::string& text)
{
    QString s = QFile::decodeName(text.c_str());
    s.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return s;
}

std::size_t at(CommandId id) { return static_cast<std::size_t>(id); }

// Screen area a window of this geometry should stay within.
QRect availableArea(const QRect& wanted)
{
    QScreen* screen = QGuiApplication::screenAt(wanted.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect clampToArea(QRect r, const QRect& area)
{
    if (area.isEmpty())
        return r;
    r.setWidth(std::clamp(r.width(), std::min(kMinimumWidth, area.width()), area.width()));
    r.setHeight(std::clamp(r.height(), std::min(kMinimumHeight, area.height()), area.height()));
    r.moveLeft(std::clamp(r.left(), area.left(), area.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), area.top(), area.bottom() - r.height() + 1));
    return r;
}

}  // namespace

frmStartup::frmStartup(StartupOptions options, QWidget* parent) : QMainWindow(parent), m_options(std::move(options))
{
    g_instance = this;
    setObjectName(QStringLiteral("frmStartup"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_voiceLists = m_options.makeVoiceLists ? m_options.makeVoiceLists(*this) : nullptr;
    if (!m_voiceLists)
        m_voiceLists = std::make_unique<NoVoiceLists>();
    m_appState = std::make_unique<ShellAppState>(*this);
    banklib::installAppState(m_appState.get());

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("MDIClient"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] { updateCommands(); });

    m_timer1.setInterval(kTimer1IntervalMs);
    connect(&m_timer1, &QTimer::timeout, this, &frmStartup::Timer1_Timer);
    m_idleTimer.setInterval(kIdleCheckMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &frmStartup::onIdleCheck);

    buildActions();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    m_transfers = std::make_unique<midi::MidiTransferCommands>();
    m_player = std::make_unique<MidiFilePlayerBar>(*this, m_slider1, m_upDown1);
    setGeometry(kDesignedGeometry);
    updateCommands();
}

frmStartup::~frmStartup()
{
    // The player and the MIDI ports go while every member is still there: closing a port
    // updates the menus.
    m_player.reset();
    if (m_midi && (m_midi->MidiInOpen() || m_midi->MidiOutOpen())) {
        m_appClosing = true;
        m_midi->CloseMidiDevices(true, true);
    }
    // The child windows outlive the members: closing them as the window goes must not
    // ask the (then gone) voice lists for the command states.
    if (m_mdiArea)
        m_mdiArea->disconnect(this);
    if (&banklib::appState() == m_appState.get())
        banklib::installAppState(nullptr);
    if (g_instance == this)
        g_instance = nullptr;
}

frmStartup* frmStartup::instance() { return g_instance; }

// ---------------------------------------------------------------- building the window

void frmStartup::buildActions()
{
    for (const CommandSpec& spec : commandTable()) {
        auto* a = new QAction(QString::fromLatin1(spec.caption.data(), static_cast<qsizetype>(spec.caption.size())),
                              this);
        if (!spec.shortcut.empty())
            a->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut.data(),
                                                            static_cast<qsizetype>(spec.shortcut.size()))));
        if (!spec.toolTip.empty())
            a->setToolTip(QString::fromLatin1(spec.toolTip.data(), static_cast<qsizetype>(spec.toolTip.size())));
        a->setProperty(kCommandProperty, static_cast<int>(spec.id));
        const CommandId id = spec.id;
        connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_actions[at(spec.id)] = a;
    }
    m_actions[at(CommandId::ToolsMidiFilePlayer)]->setCheckable(true);
    m_actions[at(CommandId::MidiInputOn)]->setCheckable(true);
    m_actions[at(CommandId::MidiShowManager)]->setCheckable(true);
    // Icons only where the menus carry them (SetMenuIcons); toolbar-only buttons now.
    for (CommandId id : {CommandId::ToolbarPrintVoice, CommandId::PlayerOpen, CommandId::PlayerPlay,
                         CommandId::PlayerPause, CommandId::PlayerStop})
        m_actions[at(id)]->setIcon(toolbarIcon(commandSpec(id).icon));
}

QMenu* frmStartup::buildMenu(MenuId menu, const QString& title)
{
    auto* m = new QMenu(title, this);
    m->installEventFilter(this);
    int last = -1;
    for (const CommandSpec& spec : commandTable()) {
        if (spec.menu != menu)
            continue;
        if (last >= 0 && spec.index > last + 1)
            m->addSeparator();
        m->addAction(m_actions[at(spec.id)]);
        last = spec.index;
    }
    return m;
}

void frmStartup::buildMenus()
{
    QMenu* file = buildMenu(MenuId::File, QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnufile"));
    m_recentSeparator = file->addSeparator();
    m_recentSeparator->setVisible(false);
    for (std::size_t slot = 0; slot < kRecentFileSlots; ++slot) {
        QAction* a = m_actions[at(recentFileCommand(slot))];
        a->setVisible(false);
        file->addAction(a);
    }
    file->addSeparator();  // mnuline
    file->addAction(m_actions[at(CommandId::FileExit)]);
    menuBar()->addMenu(file);

    QMenu* edit = buildMenu(MenuId::Edit, QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuedit"));
    menuBar()->addMenu(edit);

    auto* midi = new QMenu(QStringLiteral("&Midi"), this);
    midi->setObjectName(QStringLiteral("mnuMIDI"));
    midi->installEventFilter(this);
    m_sendMenu = buildMenu(MenuId::MidiSend, QStringLiteral("&Send"));
    m_receiveMenu = buildMenu(MenuId::MidiReceive, QStringLiteral("&Receive"));
    m_midiOptionsMenu = buildMenu(MenuId::MidiOptions, QStringLiteral("&Options..."));
    midi->addMenu(m_sendMenu);
    midi->addMenu(m_receiveMenu);
    midi->addMenu(m_midiOptionsMenu);
    midi->addSeparator();
    midi->addAction(m_actions[at(CommandId::MidiDevices)]);
    menuBar()->addMenu(midi);

    QMenu* tools = buildMenu(MenuId::Tools, QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    menuBar()->addMenu(tools);
    QMenu* window = buildMenu(MenuId::Window, QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("mnuWindow"));
    menuBar()->addMenu(window);
    QMenu* help = buildMenu(MenuId::Help, QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    menuBar()->addMenu(help);

    // Fresh states whenever a menu opens, whatever changed since.
    for (QMenu* m : menuBar()->findChildren<QMenu*>())
        connect(m, &QMenu::aboutToShow, this, &frmStartup::updateCommands);
}

void frmStartup::buildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->addAction(m_actions[at(CommandId::FileNew)]);
    m_toolbar->addAction(m_actions[at(CommandId::FileOpen)]);
    m_toolbar->addAction(m_actions[at(CommandId::FileSave)]);
    m_toolbar->addAction(m_actions[at(CommandId::ToolbarPrintVoice)]);
    m_toolbar->addSeparator();
    m_toolbar->addAction(m_actions[at(CommandId::EditCut)]);
    m_toolbar->addAction(m_actions[at(CommandId::EditCopy)]);
    m_toolbar->addAction(m_actions[at(CommandId::EditDelete)]);
    m_toolbar->addAction(m_actions[at(CommandId::EditPaste)]);
    m_toolbar->addSeparator();
    m_toolbar->addAction(m_actions[at(CommandId::MidiDevices)]);

    auto dropDown = [this](const QString& key, const QString& tip, IconKey icon,
                           std::initializer_list<std::pair<QString, CommandId>> items) {
        auto* button = new QToolButton(m_toolbar);
        button->setObjectName(key);
        button->setToolTip(tip);
        button->setIcon(toolbarIcon(icon));
        button->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(button);
        for (const auto& [text, id] : items) {
            QAction* a = menu->addAction(text);
            m_dropDownItems.emplace_back(id, a);
            connect(a, &QAction::triggered, this, [this, text = text] { Toolbar1_ButtonMenuClick(text); });
        }
        button->setMenu(menu);
        m_toolbar->addWidget(button);
        return button;
    };
    m_receiveButton = dropDown(QStringLiteral("Receive Bank"), QStringLiteral("Get Voice/Bank"), IconKey::MidiGet,
                               {{QStringLiteral("Get Bank"), CommandId::MidiReceiveBank},
                                {QStringLiteral("Get Voice"), CommandId::MidiReceiveVoice}});
    m_sendButton = dropDown(QStringLiteral("Send Bank"), QStringLiteral("Send Voice/Bank"), IconKey::MidiSend,
                            {{QStringLiteral("Send Bank"), CommandId::MidiSendBank},
                             {QStringLiteral("Send Voice"), CommandId::MidiSendVoice}});
    m_toolbar->addSeparator();  // the placeholder before the player buttons
    for (CommandId id : {CommandId::PlayerOpen, CommandId::PlayerPlay, CommandId::PlayerPause, CommandId::PlayerStop})
        m_toolbar->addAction(m_actions[at(id)]);

    // Picture1: the MIDI file player's tempo and position controls.
    m_picture1 = new QWidget(m_toolbar);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    auto* layout = new QHBoxLayout(m_picture1);
    layout->setContentsMargins(4, 0, 4, 0);
    m_upDown1 = new QSpinBox(m_picture1);
    m_upDown1->setObjectName(QStringLiteral("UpDown1"));
    m_upDown1->setToolTip(QStringLiteral("Set Tempo"));
    m_slider1 = new QSlider(Qt::Horizontal, m_picture1);
    m_slider1->setObjectName(QStringLiteral("Slider1"));
    m_slider1->setToolTip(QStringLiteral("Set Position"));
    m_label1 = new QLabel(m_picture1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(m_upDown1);
    layout->addWidget(m_slider1);
    layout->addWidget(m_label1);
    m_picture1Action = m_toolbar->addWidget(m_picture1);
    m_picture1Action->setVisible(false);
}

void frmStartup::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setTextFormat(Qt::PlainText);
        bar->addWidget(m_panels[i]);
    }
}

void frmStartup::SetMenuIcons()
{
    // The eleven menu items that carry an image; the toolbar shows the same ones.
    for (CommandId id : {CommandId::FileNew, CommandId::FileOpen, CommandId::FileSave, CommandId::FilePrint,
                         CommandId::EditCut, CommandId::EditCopy, CommandId::EditDelete, CommandId::EditPaste,
                         CommandId::MidiDevices})
        m_actions[at(id)]->setIcon(toolbarIcon(commandSpec(id).icon));
    m_sendMenu->setIcon(toolbarIcon(IconKey::MidiSend));
    m_receiveMenu->setIcon(toolbarIcon(IconKey::MidiGet));
}

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

void frmStartup::applyWantedGeometry() { setGeometry(clampToArea(m_wantedGeometry, availableArea(m_wantedGeometry))); }

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
    m_settingsLoad = SettingsFile(m_options.paths.settingsFile).load(startUp, midi, recent);
    m_settingsRead = true;
    m_recentFiles = recent;
    UpdateRecentFilesMenu();
}

void frmStartup::UpdateRecentFilesMenu()
{
    bool any = false;
    for (std::size_t slot = 0; slot < kRecentFileSlots; ++slot) {
        QAction* a = m_actions[at(recentFileCommand(slot))];
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

// ---------------------------------------------------------------- properties

bool frmStartup::setSynthID(std::optional<std::int32_t> id)
{
    if (id && (*id < 0 || *id > 2))
        return false;
    m_synthId = id;
    return true;
}

void frmStartup::setDataDirectory(const std::string& folder) { m_dataDirectory = withTrailingSlash(folder); }

void frmStartup::setIsPlaying(bool b)
{
    m_isPlaying = b;
    if (b)
        m_timer1.start();
    else
        m_timer1.stop();
}

void frmStartup::setNoPrinters(std::int32_t n)
{
    m_noPrinters = std::max(0, n);
    updateCommands();
}

void frmStartup::MidiFilePlayer(int command)
{
    if (command >= 0 && command < 4)
        m_player->MidiFilePlayer(command);
    updateCommands();
}

MidiSetup& frmStartup::objMIDIInit()
{
    if (!m_midi) {
        m_midi = m_options.makeMidiSetup ? m_options.makeMidiSetup() : nullptr;
        if (!m_midi)
            m_midi = std::make_unique<NoMidiSetup>();
        m_midi->attachMainWindow(*this);
    }
    return *m_midi;
}

void frmStartup::setSettingsGeometry(const QRect& geometry)
{
    m_wantedGeometry = geometry;
    if (m_loaded)
        applyWantedGeometry();
}

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
    case MenuId::Help: mnuHelp_Click(spec.index); break;
    case MenuId::None: Toolbar1_ButtonClick(QString::fromLatin1(spec.toolbarKey.data(),
                                                                static_cast<qsizetype>(spec.toolbarKey.size())));
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
    default: break;
    }
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

// ---------------------------------------------------------------- command states

ActiveChildState frmStartup::activeChild() const { return m_voiceLists->describeChild(m_mdiArea->activeSubWindow()); }

CommandInputs frmStartup::commandInputs() const
{
    CommandInputs in;
    in.active = activeChild();
    in.openVoiceLists = m_voiceLists->openListCount();
    in.printerCount = m_noPrinters;
    in.clipboardHasVoices = m_voiceLists->clipboardHasVoices();
    if (m_midi) {
        in.midiInOpen = m_midi->MidiInOpen();
        in.midiOutOpen = m_midi->MidiOutOpen();
        in.midiInputRunning = m_midi->inputRunning();
        in.midiManagerShown = m_midi->managerShown();
        in.midiSetupRunning = m_midi->setupRunning();
        in.midiRequestWaiting = m_midi->requestWaiting();
    }
    in.playerBarShown = m_playerBarShown;
    for (std::size_t slot = 0; slot < kRecentFileSlots; ++slot)
        in.recentFileSlots[slot] = !m_recentFiles[slot].empty();

    const CommandFeatures lists = m_voiceLists->features();
    const CommandFeatures& extra = m_options.extraFeatures;
    CommandFeatures& f = in.features;
    f.voiceFiles = lists.voiceFiles || extra.voiceFiles;
    f.editCommands = lists.editCommands || extra.editCommands;
    f.findDialog = lists.findDialog || extra.findDialog;
    f.sortList = lists.sortList || extra.sortList;
    f.duplicateDialog = lists.duplicateDialog || extra.duplicateDialog;
    f.groupDialog = lists.groupDialog || extra.groupDialog;
    f.voiceEditor = lists.voiceEditor || extra.voiceEditor;
    f.printing = lists.printing || extra.printing;
    f.midi = (m_midi && m_midi->available()) || extra.midi;
    f.midiFilePlayer = true;
    f.patchGenerator = lists.patchGenerator || extra.patchGenerator;
    f.conversion = lists.conversion || extra.conversion;
    if (m_options.adjustCommandInputs)
        m_options.adjustCommandInputs(in);
    return in;
}

void frmStartup::updateCommands()
{
    m_commandState = computeCommandState(commandInputs());
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        QAction* a = m_actions[i];
        if (!a)
            continue;
        a->setEnabled(m_commandState.enabled[i]);
        a->setVisible(m_commandState.visible[i]);
        if (a->isCheckable())
            a->setChecked(m_commandState.checked[i]);
    }
    if (m_recentSeparator)
        m_recentSeparator->setVisible(m_commandState.recentSeparatorVisible);
    if (m_sendMenu) {
        m_sendMenu->setEnabled(m_commandState.midiSendMenu);
        m_receiveMenu->setEnabled(m_commandState.midiReceiveMenu);
        m_midiOptionsMenu->setEnabled(m_commandState.midiOptionsMenu);
    }
    for (const auto& [id, a] : m_dropDownItems)
        a->setEnabled(m_commandState.isEnabled(id));
    if (m_receiveButton) {
        m_receiveButton->setEnabled(m_commandState.midiReceiveMenu);
        m_sendButton->setEnabled(m_commandState.isEnabled(CommandId::MidiSendBank));
    }
}

QAction* frmStartup::action(CommandId id) const { return m_actions[at(id)]; }

// ---------------------------------------------------------------- status bar

void frmStartup::setStatusPanelText(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 2)
        m_panels[panel - 1]->setText(text);
}

QString frmStartup::statusPanelText(int panel) const
{
    return panel >= 1 && panel <= 2 ? m_panels[panel - 1]->text() : QString();
}

int frmStartup::statusPanelWidth(int panel) const
{
    return panel >= 1 && panel <= 2 ? m_panels[panel - 1]->width() : 0;
}

void frmStartup::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    const int w = width();
    m_panels[0]->setFixedWidth(static_cast<int>(w * kPanel1Share));
    m_panels[1]->setFixedWidth(static_cast<int>(w * kPanel2Share));
}

// F1 over an open menu shows the help of the highlighted item.
bool frmStartup::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            int context = 0;
            if (QAction* a = menu->activeAction()) {
                const QVariant id = a->property(kCommandProperty);
                if (id.isValid())
                    context = commandSpec(static_cast<CommandId>(id.toInt())).helpContext;
            }
            menu->close();
            platform::help().showHelp(helpTopicForContext(context));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
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
    // A settings file that exists but could not be read at start-up is not replaced by
    // this run's defaults.
    if (!m_settingsRead || m_settingsLoad.outcome == SettingsLoad::Unreadable)
        return;
    StartupSettingsBag startUp(*this);
    MidiSettingsBag midi(objMIDIInit());
    std::string error;
    if (!SettingsFile(m_options.paths.settingsFile).save(startUp, midi, m_recentFiles, &error))
        (void)platform::messages().messageBox("Unable to save file " + m_options.paths.settingsFile + "\r\n" + error,
                                              platform::MsgStyle::OkOnly | platform::MsgStyle::Exclamation,
                                              "IniFile Error");
}

}  // namespace shell
