// Brevane - the MIDI windows of the program.
#include "midiui/QtMidiWindows.h"

#include "banklib/AppState.h"
#include "banklib/GeneratorView.h"
#include "midi/clsMIDIInit.h"
#include "midiui/frmEditSysex.h"
#include "midiui/frmMIDIManager.h"
#include "platform/Latin1.h"
#include "shell/frmStartup.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace shell {
namespace {

// In its normal state the window keeps to this place in the workspace (4000 and 3000 twips).
constexpr QPoint kManagerPlace{267, 200};

}  // namespace

QtMidiWindows::QtMidiWindows(frmStartup& main) : m_main(main)
{
    m_data.setSysexSlots(&m_banks);
    m_banks.InitMidiGrid();
    m_banks.setEditor([this](const std::string& message, bool voiceData) {
        return frmEditSysex::edit(message, voiceData, &m_main);
    });
    m_banks.setChangeObserver([this] {
        if (m_window)
            m_window->banksChanged();
    });
    m_data.setMessageObserver([this](platform::Bookmark row, bool replaced) {
        if (m_window)
            m_window->messageLogged(row, replaced);
    });
}

QtMidiWindows::~QtMidiWindows()
{
    m_banks.setChangeObserver({});
    m_data.setMessageObserver({});
    if (QMdiSubWindow* sub = m_sub.data()) {
        sub->removeEventFilter(this);
        delete sub;
    }
}

void QtMidiWindows::loadManager()
{
    if (m_sub)
        return;
    auto* window = new frmMIDIManager(m_data, m_banks, [this] {
        const midi::clsMIDIInit& init = midi::objMIDIInit();
        return frmMIDIManager::PortState{init.MidiInOpen && m_inputRunning, init.MidiOutOpen, init.SetupRunning};
    });
    m_window = window;
    QMdiSubWindow* sub = m_main.mdiArea()->addSubWindow(window);
    sub->setObjectName(QStringLiteral("MIDIManagerSubWindow"));
    // Closing the window only hides it (eventFilter): it keeps what it shows for the run.
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWindowTitle(QStringLiteral("MIDI Manager"));
    sub->resize(window->size() + QSize(8, 30));
    sub->installEventFilter(this);
    sub->hide();
    m_sub = sub;
    m_subObject = sub;
    connect(sub, &QObject::destroyed, this, [this] { m_subObject = nullptr; });
    // Lines logged before the window existed are shown too.
    window->monitorModel().refresh();
}

void QtMidiWindows::unloadManager() { hideManager(); }

bool QtMidiWindows::managerLoaded() const { return !m_sub.isNull(); }

void QtMidiWindows::showManagerMinimised()
{
    loadManager();
    if (!m_sub->isVisible())
        m_sub->showMinimized();
    commandsChanged();
}

void QtMidiWindows::showManager()
{
    loadManager();
    m_sub->showNormal();
    m_sub->raise();
    m_main.mdiArea()->setActiveSubWindow(m_sub);
    commandsChanged();
}

void QtMidiWindows::hideManager()
{
    if (m_sub)
        m_sub->hide();
    commandsChanged();
}

bool QtMidiWindows::managerShown() const { return m_sub && m_sub->isVisible(); }

void QtMidiWindows::setManagerCaption(const std::string& caption)
{
    if (m_sub)
        m_sub->setWindowTitle(platform::fromText(caption));
}

// The buttons follow the state of the ports and the slots, whatever the caller names.
void QtMidiWindows::setManagerButtonEnabled(const std::string&, bool)
{
    if (m_window)
        m_window->updateButtons();
}

void QtMidiWindows::setManagerButtonEnabled(int, bool) {}

void QtMidiWindows::setInputCommands(bool inputOpen)
{
    m_inputRunning = inputOpen;
    commandsChanged();
}

void QtMidiWindows::setOutputCommands(bool outputOpen)
{
    banklib::appState().frmRandomiseVoices().setContinuousEnabled(outputOpen);
    commandsChanged();
}

void QtMidiWindows::setRequestWaiting(bool) { commandsChanged(); }

void QtMidiWindows::setInputRunning(bool running)
{
    m_inputRunning = running;
    commandsChanged();
}

bool QtMidiWindows::appClosing() const { return m_main.AppClosing(); }

void QtMidiWindows::commandsChanged()
{
    if (m_window)
        m_window->updateButtons();
    m_main.updateCommands();
}

bool QtMidiWindows::eventFilter(QObject* watched, QEvent* event)
{
    // Compared as a plain object: the window may be on its way out.
    if (watched == m_subObject) {
        switch (event->type()) {
        case QEvent::Close:
            // However the user closes it (its close button, Ctrl+F4, its window menu), the
            // window is only hidden, as the menu's command hides it. The sub-window's own
            // close would close the MIDI Manager inside it as well, which stays hidden
            // when the frame is shown again: an empty frame.
            event->accept();
            hideManager();
            return true;
        case QEvent::Show:
        case QEvent::Hide:
            QMetaObject::invokeMethod(this, [this] { commandsChanged(); }, Qt::QueuedConnection);
            break;
        case QEvent::Resize:
            // A resized window in its normal state goes back to its place in the workspace.
            if (auto* sub = qobject_cast<QMdiSubWindow*>(watched);
                sub && !m_placing && !sub->isMinimized() && !sub->isMaximized() && sub->isVisible()) {
                m_placing = true;
                sub->move(kManagerPlace);
                m_placing = false;
            }
            break;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace shell
