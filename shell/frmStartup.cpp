// Brevane - the main window: its making, its menus, toolbar and status bar, the properties
// other windows read, and which commands are enabled.
#include "shell/frmStartup.h"

#include "midi/MidiTransfers.h"
#include "platform/Services.h"
#include "shell/ClampingSpinBox.h"
#include "shell/HelpTopics.h"
#include "shell/MidiFilePlayerBar.h"
#include "shell/SettingsFile.h"
#include "shell/ShellAppState.h"
#include "shell/ToolbarIcons.h"
#include "shell/WindowPlacement.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace shell {
namespace {

frmStartup* g_instance = nullptr;

constexpr int kTimer1IntervalMs = 50;
constexpr int kIdleCheckMs = 25;
// Share of the window's width for status panels 1 and 2.
constexpr double kPanel1Share = 0.65;
constexpr double kPanel2Share = 0.3;

constexpr const char* kCaption = "  Brevane";
constexpr const char* kCommandProperty = "brevaneCommand";
constexpr const char* kPlacedProperty = "brevanePlaced";

std::size_t at(CommandId id) { return static_cast<std::size_t>(id); }

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
    // Each new child window is fitted into the area when it is first shown.
    m_mdiArea->viewport()->installEventFilter(this);
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
    m_escapeEndsWait = makeEscapeEndsWait();
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
    m_windowListSeparator = window->addSeparator();
    m_windowListSeparator->setVisible(false);
    for (const CommandSpec& spec : commandTable()) {
        if (spec.menu != MenuId::WindowList)
            continue;
        QAction* a = m_actions[at(spec.id)];
        a->setCheckable(spec.id != CommandId::WindowMore);
        a->setVisible(false);
        window->addAction(a);
    }
    menuBar()->addMenu(window);
    QMenu* help = buildMenu(MenuId::Help, QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    menuBar()->addMenu(help);

    // Fresh states (and the Window menu's list) whenever a menu opens, whatever changed
    // since. The menus belong to the window, not to the menu bar.
    for (QAction* title : menuBar()->actions())
        if (QMenu* m = title->menu())
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
    m_upDown1 = new ClampingSpinBox(m_picture1);
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
    const std::vector<QMdiSubWindow*> children = listedChildWindows();
    in.childWindows = static_cast<std::int32_t>(children.size());
    const auto current = std::find(children.begin(), children.end(), m_mdiArea->currentSubWindow());
    in.currentChildWindow = current == children.end() ? -1 : static_cast<std::int32_t>(current - children.begin());

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
    if (m_windowListSeparator)
        m_windowListSeparator->setVisible(m_commandState.windowListSeparatorVisible);
    updateWindowList();
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

// A child window shown for the first time lies whole within the area's visible part, shrunk
// where it is larger (not below its minimum size); a maximised or minimised one is left so.
void frmStartup::fitNewChild(QMdiSubWindow& child)
{
    if (child.property(kPlacedProperty).toBool())
        return;
    child.setProperty(kPlacedProperty, true);
    if (child.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    if (area.isEmpty())
        return;
    const QSize minimum = child.minimumSize().expandedTo(child.minimumSizeHint());
    child.setGeometry(fittedWithin(child.geometry(), area, minimum));
}

// New child windows are fitted into the area as they first show; F1 over an open menu
// shows the help of the highlighted item.
bool frmStartup::eventFilter(QObject* watched, QEvent* event)
{
    if (m_mdiArea != nullptr && watched == m_mdiArea->viewport() && event->type() == QEvent::ChildPolished) {
        if (auto* child = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child()))
            child->installEventFilter(this);
    } else if (event->type() == QEvent::Show) {
        if (auto* child = qobject_cast<QMdiSubWindow*>(watched); child != nullptr && child->mdiArea() == m_mdiArea)
            fitNewChild(*child);
    }
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

}  // namespace shell
