// Brevane - MIDI start-up and re-configuration: the devices, the synthesizer type, and
// finding the synthesizer by asking each device number for its bank; opening the
// configured devices, and the bank-half settings, sent to the instrument as they change.
#include "midi/clsMIDIInit.h"

#include "banklib/AppState.h"
#include "banklib/GeneratorView.h"
#include "banklib/clsVoiceNames.h"
#include "midi/MidiSetupHost.h"
#include "midi/MidiSetupRules.h"
#include "midi/MidiWindows.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

namespace midi {
namespace {

using platform::MidiEventKind;
using platform::MidiResult;
using platform::MsgAnswer;

using platform::kCrLf;
constexpr std::int32_t kHighestDeviceNumber = 15;
constexpr std::int32_t kSelectedShowMs = 500;
constexpr std::int32_t kOfflineShowMs = 500;
constexpr std::int32_t kOpenedShowMs = 2000;
constexpr std::int32_t kInitialisedShowMs = 500;
constexpr std::uint8_t kYamaha = 0x43;
constexpr std::uint8_t kFormatSingleVoice = 0x00;
constexpr std::uint8_t kFormatBank = 0x09;
constexpr std::size_t kBankDumpBytes = 4104;
constexpr std::int32_t kReportShowMs = 500;

// The bank-half switch of second-series instruments: parameter 77 of group 25 (19h 4Ch).
constexpr std::int32_t kBankHalfParameter = 77;
constexpr std::int32_t kBankHalfGroup = 25;

std::int32_t g_nextHandle = 0;

std::int32_t nextHandle()
{
    g_nextHandle = g_nextHandle >= 0x7FFFFFFE ? 1 : g_nextHandle + 1;
    return g_nextHandle;
}

// Pumps the notifications of an open or start through, as a window-message loop pass would.
void runMessageLoopOnce()
{
    ProcessMidiInput();
    platform::eventLoop().processEvents(0);
}

void showOffline()
{
    platform::ShowStatusMessage(" Working Offline - Press F1 for Help", kOfflineShowMs, 0);
}

}  // namespace

void objMIDIInit_InitStatus(std::int16_t& deviceNumber, bool& cancel)
{
    MidiSetupHost& host = setupHost();
    host.setProgress(progressPercent(deviceNumber));
    if (!host.InitInterrupted())
        return;
    host.setInitInterrupted(false);
    if (platform::messages().messageBox("Are you sure you want to stop initialising ?",
                                        platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question,
                                        "Initialisation Interrupted") == MsgAnswer::Yes) {
        host.hideProgress();
        cancel = true;
    }
}

void clsMIDIInit::InitialiseMIDI(bool showDeviceDialog)
{
    // One set-up at a time, and none while a dump request waits on the ports: its
    // commands are disabled meanwhile.
    if (SetupRunning || RequestSequenceActive())
        return;
    MidiSetupHost& host = setupHost();
    SetupRunning = true;
    host.setupRunning(true);

    const std::string outName = m_outName;
    const std::string inName = m_inName;
    const std::optional<std::int32_t> synthId = host.SynthID();
    const std::int32_t timeout = m_timeout;
    // What was open before, by name.
    const std::string openIn = MidiInOpen ? m_openInName : std::string();
    const std::string openOut = MidiOutOpen ? m_openOutName : std::string();
    DeviceChoiceMade = false;

    SetupOutcome outcome = SetupOutcome::Offline;
    SelectAndOpenDevices(showDeviceDialog, outcome);
    switch (outcome) {
    case SetupOutcome::Offline:
        CloseMidiDevices(true, true);
        // Working offline for this run keeps the configured devices for the next; only
        // "None" chosen in the device dialog is kept as "None".
        if (!DeviceChoiceMade) {
            m_outName = outName;
            m_inName = inName;
        }
        showOffline();
        break;
    case SetupOutcome::BankReceived:
        platform::ShowStatusMessage("Input: " + platform::Trim(m_inName) + "  Output: " + platform::Trim(m_outName),
                                    kOpenedShowMs, 0);
        break;
    case SetupOutcome::Cancelled: {
        const std::string nowIn = MidiInOpen ? m_openInName : std::string();
        const std::string nowOut = MidiOutOpen ? m_openOutName : std::string();
        m_outName = outName;
        m_inName = inName;
        host.setSynthID(synthId);
        setMIDITimeout(timeout);
        restoreOpenDevices(openIn, openOut, nowIn, nowOut);
        break;
    }
    case SetupOutcome::Skipped:
        break;
    }
    platform::SetBusyCursor(false);
    SetupRunning = false;
    host.setupRunning(false);
}

void clsMIDIInit::restoreOpenDevices(const std::string& openIn, const std::string& openOut, const std::string& nowIn,
                                     const std::string& nowOut)
{
    // A failed open may have closed a device that worked, and one that opened may not be
    // wanted: what was open before is open again.
    if (nowIn == openIn && nowOut == openOut)
        return;
    const bool keepIn = !openIn.empty() && nowIn == openIn;
    const bool keepOut = !openOut.empty() && nowOut == openOut;
    if (MidiInOpen && !keepIn)
        CloseMidiDevices(true, false);
    if (MidiOutOpen && !keepOut)
        CloseMidiDevices(false, true);
    if ((openIn.empty() || keepIn) && (openOut.empty() || keepOut))
        return;

    // Open what was open before under its own name; the configured names come back after.
    const std::string configuredIn = m_inName;
    const std::string configuredOut = m_outName;
    m_inName = openIn.empty() ? std::string(kDeviceNone) : openIn;
    m_outName = openOut.empty() ? std::string(kDeviceNone) : openOut;
    EnumerateOutcome listed = EnumerateOutcome::Ok;
    EnumerateMidiDevices(false, listed);
    bool failed = true;
    if (listed == EnumerateOutcome::Ok) {
        m_skipInOpen = keepIn;
        m_skipOutOpen = keepOut;
        OpenMidiDevices(failed);
    }
    m_skipInOpen = false;
    m_skipOutOpen = false;
    m_inName = configuredIn;
    m_outName = configuredOut;
    if (!failed)
        return;
    CloseMidiDevices(true, true);
    (void)platform::messages().messageBox(
        "The MIDI devices in use before (Input: " + (openIn.empty() ? std::string(kDeviceNone) : openIn) +
            "  Output: " + (openOut.empty() ? std::string(kDeviceNone) : openOut) +
            ") could not be opened again - Brevane is working offline.",
        platform::MsgStyle::Exclamation, "Midi Open/Start Error");
    showOffline();
}

void clsMIDIInit::SelectAndOpenDevices(bool showDeviceDialog, SetupOutcome& outcome)
{
    MidiSetupHost& host = setupHost();
    outcome = SetupOutcome::Offline;
    banklib::appState().frmRandomiseVoices().setContinuousEnabled(false);

    if (!CommandLineRead) {
        CommandLineRead = true;
        const std::string& arg = CommandLineArgument;
        if (arg == "n" || arg == "N")
            return;
        if (arg == "c" || arg == "C")
            setCallbackFunctionMode(true);
        else if (arg == "s" || arg == "S")
            m_skipInit = true;
    }

    const auto cancelPath = [&] {
        outcome = host.SynthID().has_value() ? SetupOutcome::Cancelled : SetupOutcome::Offline;
    };
    const auto bothNone = [&] { return m_inName == kDeviceNone && m_outName == kDeviceNone; };

    EnumerateOutcome listed = EnumerateOutcome::Ok;
    EnumerateMidiDevices(showDeviceDialog, listed);
    if (listed == EnumerateOutcome::NoDevices)
        return;
    if (listed != EnumerateOutcome::Ok) {
        DeviceChoiceLists lists;
        FillDeviceLists(lists);
        InitCancelled = false;
        host.showDeviceDialog(*this, lists);
        if (InitCancelled) {
            cancelPath();
            return;
        }
    }
    if (bothNone())
        return;

    if (!m_skipInit) {
        platform::ShowStatusMessage("Input: " + m_inName + "    Output: " + m_outName + "  Selected",
                                    kSelectedShowMs, 0);
        InitCancelled = false;
        host.showSynthTypeDialog(*this);
        if (InitCancelled) {
            cancelPath();
            return;
        }
        if (host.SynthID().value_or(0) == 0 && !m_skipInit) {
            InitCancelled = false;
            host.showMkIInstructions(*this);
            if (InitCancelled) {
                cancelPath();
                return;
            }
        }
    }

    bool failed = true;
    OpenMidiDevices(failed);
    if (!failed) {
        InitCancelled = false;
        DetectOutcome r = DetectOutcome::Skipped;
        DetectSynth(r);
        if (InitCancelled) {
            r = DetectOutcome::Skipped;
            m_skipInit = true;
        }
        if (r == DetectOutcome::BankReceived) {
            outcome = SetupOutcome::BankReceived;
            m_skipInit = true;  // the next start opens the devices without detecting again
        } else if (r == DetectOutcome::Skipped) {
            outcome = SetupOutcome::Skipped;
        } else {
            outcome = SetupOutcome::Offline;
        }
        return;
    }

    const std::string failedIn = !m_skipInOpen && !MidiInOpen && m_inName != kDeviceNone ? m_inName : std::string();
    const std::string failedOut =
        !m_skipOutOpen && !MidiOutOpen && m_outName != kDeviceNone ? m_outName : std::string();
    m_skipInOpen = false;
    m_skipOutOpen = false;
    std::string names;
    if (!failedIn.empty() && !failedOut.empty())
        names = failedIn + " (Input)" + " and " + failedOut + " (Output)";
    else if (!failedOut.empty())
        names = failedOut + " (Output)";
    else
        names = failedIn + " (Input)";
    const std::string crlf = kCrLf;
    const MsgAnswer answer = platform::messages().messageBox(
        names +
            " failed to open - the device(s) may be unplugged or there may be a problem with their settings. " +
            crlf + crlf +
            "To check your device settings, list the MIDI ports with \"aconnect -l\" in a terminal, or look in "
            "the patchbay of your JACK control program, and check that your device is connected and switched on" +
            crlf + crlf + "Click OK to work offline ?",
        platform::MsgStyle::OkCancel + platform::MsgStyle::Exclamation, "Midi Open/Start Error");
    if (answer == MsgAnswer::Ok) {
        CloseMidiDevices(true, true);
        return;
    }
    InitCancelled = true;
    cancelPath();
}

void clsMIDIInit::DetectSynth(DetectOutcome& result)
{
    MidiSetupHost& host = setupHost();
    result = DetectOutcome::Skipped;
    const std::optional<std::int32_t> type = host.SynthID();
    const bool series = type.value_or(0) != 0;
    setMIDITimeout(effectiveTimeout(type, m_timeout));
    if (m_skipInit)
        return;

    // A detection that finds nothing leaves the device number the user had.
    const std::int16_t configuredDevice = m_deviceNumber;
    const OpenPorts portsBefore = openPorts();
    for (;;) {
        platform::SetBusyCursor(true);
        std::int16_t device = 0;
        std::string reply;
        bool answered = false;
        for (;;) {
            if (device > kHighestDeviceNumber)
                break;
            if (device == 1)
                host.showProgress();
            platform::ShowStatusMessage("Please wait - detecting using device " + platform::Str(device + 1));
            m_deviceNumber = device;
            if (RequestDumpAndWait(kDumpBank, m_timeout, reply, series) == TransportResult::Ok) {
                answered = true;
                break;
            }
            // A port closed under the probe (the MIDI system went away, and the user has
            // been told): nothing can answer, and the program works offline.
            if (closedSince(portsBefore)) {
                m_deviceNumber = configuredDevice;
                host.hideProgress();
                platform::SetBusyCursor(false);
                result = DetectOutcome::Offline;
                return;
            }
            // The program closing ends the detection without another word.
            if (LastDumpWaitEnd() == WaitEnd::ByExit) {
                m_deviceNumber = configuredDevice;
                host.hideProgress();
                platform::SetBusyCursor(false);
                return;
            }
            // A damaged answer (the user has been told) ends the probes, as does a wait
            // the user ended: the failure dialog offers another try.
            if (!series || reply == kDamagedReply || LastDumpWaitEnd() == WaitEnd::ByUser)
                break;
            platform::eventLoop().processEvents(0);
            bool cancel = false;
            if (InitStatus)
                InitStatus(device, cancel);
            else
                objMIDIInit_InitStatus(device, cancel);
            if (cancel)
                break;
            ++device;
        }

        if (answered) {
            host.hideProgress();
            platform::SetBusyCursor(false);
            const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(reply[i]); };
            if (reply.size() < 4 || byte(1) != kYamaha) {
                m_deviceNumber = configuredDevice;
                return;
            }
            if (byte(3) != kFormatBank && byte(3) != kFormatSingleVoice) {
                m_deviceNumber = configuredDevice;
                return;
            }
            // Only a whole bank is the synthesizer's answer; the instrument is the one
            // whose device number the bank carries, whichever probe it finished in.
            if (reply.size() == kBankDumpBytes) {
                m_deviceNumber = static_cast<std::int16_t>(byte(2) & 0x0F);
                // The MkI has no device number apart from its MIDI channel: the number
                // its bank came on is the channel its notes go to as well.
                if (!series)
                    m_outChannel = m_deviceNumber;
                ++DetectionCount;
                keepStartupBank(reply);
                platform::ShowStatusMessage(series ? "DX7 (Series) - Initialised OK " : "DX7 (MKI) - Initialised OK ",
                                            kInitialisedShowMs, 0);
                result = DetectOutcome::BankReceived;
                return;
            }
            // A voice is no bank, but it is not lost: it is kept as one sent unasked is.
            (void)KeepUnrequestedSysex(reply, 0);
        }

        // No answer: the failure dialog, with the rest of the program blocked.
        m_deviceNumber = configuredDevice;
        host.hideProgress();
        platform::SetBusyCursor(false);
        host.showFailureDialog(*this);
        switch (FailureAnswer) {
        case -2: continue;
        case -1: result = DetectOutcome::Offline; return;
        default: result = DetectOutcome::Skipped; return;
        }
    }
}

void clsMIDIInit::keepStartupBank(const std::string& bank)
{
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(bank.data()), bank.size());
    banklib::clsVoiceNames names;
    if (names.InitPatchView(bytes, DetectionCount) != nullptr)
        return;
    // The bank is not lost when it cannot be written or opened: it waits in a slot.
    banklib::FileType type = banklib::FileType::PackedSysex;
    std::string stripped = names.stripheaders(bank, type, true);
    const std::int32_t slot = windows().managerData().StoreInFreeSlot(std::move(stripped), banklib::toCode(type),
                                                                     "DX Setup " + std::to_string(DetectionCount));
    if (slot > 0)
        (void)platform::messages().messageBox(
            "The bank received from your synth could not be opened as a voice list." + std::string(kCrLf) +
                "It is kept in Sysex Bank " + std::to_string(slot) +
                " of the MIDI Manager, from where it can be saved.",
            platform::MsgStyle::Exclamation, "DX7 Bank Received");
}

// ---- opening the devices

void clsMIDIInit::openFailed(std::int32_t code, bool inputHalfOpen, bool outputHalfOpen)
{
    std::string text;
    Identify_Midi_Error(code, text);
    // A device whose opening failed half-way is released again.
    if (inputHalfOpen && m_backend) {
        m_backend->closeInput();
        m_inHandle = 0;
    }
    if (outputHalfOpen && m_backend) {
        m_backend->closeOutput();
        m_outHandle = 0;
    }
    // The MIDI Manager window stays while a device that opened earlier needs it.
    if (!MidiInOpen && !MidiOutOpen)
        windows().unloadManager();
}

void clsMIDIInit::OpenMidiDevices(bool& failed)
{
    failed = true;
    MidiWindows& w = windows();
    bool openedIn = false;
    bool openedOut = false;
    std::string inName;
    std::string outName;

    // An open device is kept only while it still reaches its device: one whose other end
    // went away (the instrument's program restarted, its interface was plugged in again)
    // opens again, which connects it, or says that it is not there.
    if (m_backend && m_skipInOpen && MidiInOpen && !m_backend->inputConnected())
        m_skipInOpen = false;
    if (m_backend && m_skipOutOpen && MidiOutOpen && !m_backend->outputConnected())
        m_skipOutOpen = false;

    if (m_inName != kDeviceNone && !m_skipInOpen) {
        if (MidiInOpen) {
            const std::int32_t keep = m_inId;
            CloseMidiDevices(true, false);
            m_inId = keep;
        }
        w.loadManager();
        if (!m_backend) {
            openFailed(static_cast<std::int32_t>(MidiResult::NoDriver), false, false);
            return;
        }
        MidiResult r = m_backend->openInput(m_inId, midiInputQueue());
        if (r != MidiResult::NoError) {
            openFailed(static_cast<std::int32_t>(r), false, false);
            return;
        }
        m_inHandle = nextHandle();
        PostMidiNotification(MidiEventKind::InputOpen);
        runMessageLoopOnce();
        r = m_backend->startInput();
        if (r != MidiResult::NoError) {
            openFailed(static_cast<std::int32_t>(r), true, false);
            return;
        }
        runMessageLoopOnce();
        SetPendingRequest(-1);
        w.setInputCommands(true);
        w.setManagerButtonEnabled("Receive", true);
        m_inStartTime = static_cast<double>(platform::eventLoop().nowMs());
        MidiInOpen = true;
        inName = listedInputName();
        m_openInName = m_inName;
        openedIn = true;
    }

    if (m_outName != kDeviceNone && !m_skipOutOpen) {
        if (MidiOutOpen) {
            const std::int32_t keep = m_outId;
            CloseMidiDevices(false, true);
            m_outId = keep;
        }
        if (!m_backend) {
            openFailed(static_cast<std::int32_t>(MidiResult::NoDriver), false, false);
            return;
        }
        const MidiResult r = m_backend->openOutput(m_outId);
        if (r != MidiResult::NoError) {
            openFailed(static_cast<std::int32_t>(r), false, false);
            return;
        }
        m_outHandle = nextHandle();
        if (!w.managerLoaded())
            w.loadManager();
        PostMidiNotification(MidiEventKind::OutputOpen);
        runMessageLoopOnce();
        w.setOutputCommands(true);
        w.setManagerButtonEnabled("Send", true);
        MidiOutOpen = true;
        outName = listedOutputName();
        m_openOutName = m_outName;
        openedOut = true;
    }

    if (!openedIn && !openedOut) {
        m_skipInOpen = false;
        m_skipOutOpen = false;
        failed = false;
        return;
    }

    w.showManagerMinimised();
    SetPendingRequest(-1);
    ShowDeviceReport(openedIn, inName, openedOut, outName, "Opened");
    if (m_skipInit)
        platform::ShowStatusMessage("Initialisation skipped", kReportShowMs, 0);
    m_skipInOpen = false;
    m_skipOutOpen = false;
    failed = false;
}

// ---- settings sent to the instrument as they change

void clsMIDIInit::sendBankHalf(bool value)
{
    clsMidiManagerData sender;
    (void)sender.SendParametertoMIDI(kBankHalfParameter, value ? 1 : 0, kBankHalfGroup, false, false);
}

void clsMIDIInit::setSendToB(bool b)
{
    if (b != m_sendToB && MidiOutOpen)
        sendBankHalf(b);
    m_sendToB = b;
}

void clsMIDIInit::setGetFromB(bool b)
{
    if (MidiOutOpen)
        sendBankHalf(b);
    m_getFromB = b;
}

}  // namespace midi
