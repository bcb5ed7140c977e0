// Brevane - the main window's view of the program's clsMIDIInit.
#include "midiui/MidiInitSetup.h"

#include "midi/MidiSetupHost.h"
#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "midiui/QtMidiSetupHost.h"
#include "midiui/QtMidiWindows.h"
#include "platform/StatusHelpers.h"
#include "platform/midi/MidiBackend.h"
#include "shell/frmStartup.h"

namespace shell {

namespace {
constexpr const char* kOfflineText = "No MIDI Devices found - working off-line";
}

MidiInitSetup::MidiInitSetup() : m_own(std::make_unique<midi::clsMIDIInit>(nullptr)), m_init(*m_own)
{
    midi::installMIDIInit(m_own.get());
}

MidiInitSetup::MidiInitSetup(std::unique_ptr<platform::MidiBackend> backend)
    : m_backend(std::move(backend)),
      m_own(std::make_unique<midi::clsMIDIInit>(m_backend.get())),
      m_init(*m_own)
{
    midi::installMIDIInit(m_own.get());
}

MidiInitSetup::MidiInitSetup(midi::clsMIDIInit& init) : m_init(init) {}

MidiInitSetup::~MidiInitSetup()
{
    // Ports still open go before the device layer and the windows do.
    if (m_own && (m_own->MidiInOpen || m_own->MidiOutOpen))
        midi::CloseMidiDevices(true, true);
    if (m_windows && &midi::windows() == m_windows.get())
        midi::installMidiWindows(nullptr);
    if (m_host && &midi::setupHost() == m_host.get())
        midi::installSetupHost(nullptr);
    if (m_own && &midi::objMIDIInit() == m_own.get())
        midi::installMIDIInit(nullptr);
}

void MidiInitSetup::attachMainWindow(frmStartup& main)
{
    if (m_windows)
        return;
    m_windows = std::make_unique<QtMidiWindows>(main);
    midi::installMidiWindows(m_windows.get());
    if (!m_host && !m_headlessSetup)
        m_host = std::make_unique<QtMidiSetupHost>(main);
    if (m_host)
        midi::installSetupHost(m_host.get());
}

bool MidiInitSetup::available() const { return m_init.backend() != nullptr; }

void MidiInitSetup::InitialiseMIDI(bool showDeviceDialog, CommandLineSwitch commandLine)
{
    const bool startUp = !m_init.CommandLineRead;
    if (startUp) {
        midi::setCallbackFunctionMode(false);
        m_init.CommandLineArgument =
            commandLine == CommandLineSwitch::None ? std::string() : std::string(1, static_cast<char>(commandLine));
    }
    m_init.InitialiseMIDI(showDeviceDialog);
    // At start-up the reason for working off-line stays in the status bar.
    if (startUp && !m_init.MidiInOpen && !m_init.MidiOutOpen)
        announceOffline(commandLine);
}

bool MidiInitSetup::setupRunning() const { return m_init.SetupRunning; }

bool MidiInitSetup::requestWaiting() const { return midi::RequestSequenceActive(); }

bool MidiInitSetup::endRequestWait(bool exiting)
{
    return midi::EndDumpWait(exiting ? midi::WaitEnd::ByExit : midi::WaitEnd::ByUser);
}

bool MidiInitSetup::inputRunning() const { return m_windows ? m_windows->inputRunning() && m_init.MidiInOpen : m_init.MidiInOpen; }

bool MidiInitSetup::managerShown() const { return m_windows && m_windows->managerShown(); }

bool MidiInitSetup::optionsCommand(int index)
{
    if (!m_windows)
        return false;
    switch (index) {
    case 0:
        if (midi::InputHandle() == 0)
            return true;
        if (m_windows->inputRunning()) {
            // A Receive waiting for its answer ends first, as Escape ends it, while what has
            // come of the answer can still be ended and kept: with the input off nothing more
            // comes, and neither answer to its questions could succeed.
            (void)midi::EndDumpWait(midi::WaitEnd::ByUser);
            midi::StopMidiInput();
            m_windows->setInputRunning(false);
            platform::ShowStatusMessage("MIDI input stopped", 2000, 0);
        } else {
            midi::StartMidiInput();
            m_windows->setInputRunning(true);
            platform::ShowStatusMessage("MIDI input started", 2000, 0);
        }
        return true;
    case 1:
        if (m_windows->managerShown())
            m_windows->hideManager();
        else
            m_windows->showManager();
        return true;
    default: return false;
    }
}

std::string MidiInitSetup::MidiInDeviceName() const { return m_init.MidiInDeviceName(); }

bool MidiInitSetup::setMidiInDeviceName(const std::string& name)
{
    m_init.setMidiInDeviceName(name);
    return true;
}

std::string MidiInitSetup::MidiOutDeviceName() const { return m_init.MidiOutDeviceName(); }

bool MidiInitSetup::setMidiOutDeviceName(const std::string& name)
{
    m_init.setMidiOutDeviceName(name);
    return true;
}

// The object refuses a value by keeping its old one (after its own message).
std::int32_t MidiInitSetup::MIDIInChannel() const { return m_init.MIDIInChannel(); }

bool MidiInitSetup::setMIDIInChannel(std::int32_t channel)
{
    m_init.setMIDIInChannel(channel);
    return m_init.MIDIInChannel() == channel;
}

std::int32_t MidiInitSetup::MIDIOutChannel() const { return m_init.MIDIOutChannel(); }

bool MidiInitSetup::setMIDIOutChannel(std::int32_t channel)
{
    m_init.setMIDIOutChannel(channel);
    return m_init.MIDIOutChannel() == channel;
}

std::int32_t MidiInitSetup::MIDIDeviceNumber() const { return m_init.MIDIDeviceNumber(); }

bool MidiInitSetup::setMIDIDeviceNumber(std::int32_t number)
{
    m_init.setMIDIDeviceNumber(number);
    return m_init.MIDIDeviceNumber() == number;
}

bool MidiInitSetup::SendToB() const { return m_init.SendToB(); }

bool MidiInitSetup::setSendToB(bool b)
{
    m_init.setSendToB(b);
    return true;
}

bool MidiInitSetup::GetFromB() const { return m_init.GetFromB(); }

bool MidiInitSetup::setGetFromB(bool b)
{
    m_init.setGetFromB(b);
    return true;
}

std::int32_t MidiInitSetup::MIDITimeout() const { return m_init.MIDITimeout(); }

bool MidiInitSetup::setMIDITimeout(std::int32_t ms)
{
    m_init.setMIDITimeout(ms);
    return true;
}

bool MidiInitSetup::SkipMIDIInit() const { return m_init.SkipMIDIInit(); }

bool MidiInitSetup::setSkipMIDIInit(bool skip)
{
    m_init.setSkipMIDIInit(skip);
    return true;
}

bool MidiInitSetup::MidiInOpen() const { return m_init.MidiInOpen; }

bool MidiInitSetup::MidiOutOpen() const { return m_init.MidiOutOpen; }

void MidiInitSetup::CloseMidiDevices(bool input, bool output) { midi::CloseMidiDevices(input, output); }

void MidiInitSetup::announceOffline(CommandLineSwitch commandLine)
{
    bool devices = false;
    if (platform::MidiBackend* backend = m_init.backend(); backend && commandLine != CommandLineSwitch::WorkOffline) {
        backend->refreshDevices();
        devices = backend->inputCount() > 0 || backend->outputCount() > 0;
    }
    if (!devices)
        platform::ShowStatusMessage(kOfflineText, 0, 1);
}

}  // namespace shell
