// Brevane - the MIDI set-up's windows and main-window state, in Qt.
#include "midiui/QtMidiSetupHost.h"

#include "midi/MidiWindows.h"
#include "midiui/QtMidiWindows.h"

#include "midiui/frmDX7MKIInit.h"
#include "midiui/frmInitFailureDialog.h"
#include "midiui/frmInitStatus.h"
#include "midiui/frmInitialisationMessage.h"
#include "midiui/frmMidiConfigure.h"
#include "shell/frmStartup.h"

#include <QProgressBar>

#include <cmath>

namespace shell {

QtMidiSetupHost::QtMidiSetupHost(frmStartup& main) : m_main(main) {}

QtMidiSetupHost::~QtMidiSetupHost() { delete m_progress.data(); }

std::optional<std::int32_t> QtMidiSetupHost::SynthID() const { return m_main.SynthID(); }

void QtMidiSetupHost::setSynthID(std::optional<std::int32_t> id) { (void)m_main.setSynthID(id); }

void QtMidiSetupHost::setupRunning(bool)
{
    // The MIDI Manager's Receive waits for the set-up as the menus do.
    if (auto* windows = dynamic_cast<QtMidiWindows*>(&midi::windows()); windows && windows->manager())
        windows->manager()->updateButtons();
    m_main.updateCommands();
}

void QtMidiSetupHost::showDeviceDialog(midi::clsMIDIInit& init, const midi::DeviceChoiceLists& lists)
{
    frmMidiConfigure dialog(init, lists, m_main.SynthID().has_value(), &m_main);
    dialog.exec();
}

void QtMidiSetupHost::showSynthTypeDialog(midi::clsMIDIInit& init)
{
    std::optional<std::int32_t> id = m_main.SynthID();
    frmInitialisationMessage dialog(init, id, &m_main);
    dialog.exec();
    (void)m_main.setSynthID(id);
}

void QtMidiSetupHost::showMkIInstructions(midi::clsMIDIInit& init)
{
    frmDX7MKIInit dialog(init, &m_main);
    dialog.exec();
}

void QtMidiSetupHost::showFailureDialog(midi::clsMIDIInit& init)
{
    // The rest of the program waits while the dialog is open.
    frmInitFailureDialog dialog(init, &m_main);
    dialog.exec();
}

void QtMidiSetupHost::showProgress()
{
    if (m_progress.isNull())
        m_progress = new frmInitStatus([this] { m_interrupted = true; }, &m_main);
    m_progress->show();
}

void QtMidiSetupHost::setProgress(float percent)
{
    if (!m_progress.isNull())
        m_progress->ProgressBar1()->setValue(static_cast<int>(std::lround(percent)));
}

void QtMidiSetupHost::hideProgress()
{
    if (frmInitStatus* window = m_progress.data()) {
        m_progress = nullptr;
        window->hide();
        window->deleteLater();
    }
    m_interrupted = false;
}

}  // namespace shell
