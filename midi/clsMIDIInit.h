// Brevane - the MIDI settings and devices of the program.
//
// One clsMIDIInit lives for the whole run (the main window's objMIDIInit, installed with
// installMIDIInit). It holds the [MIDI] settings with their checks, lists the devices of
// the MIDI system, opens the configured input and output, turns device-layer error codes
// into texts, and goes offline when the MIDI system itself goes away. Every other MIDI
// part reads the open flags, channels, device number and device names from it. All
// members run on the GUI thread.
#pragma once

#include "platform/midi/MidiBackend.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace midi {

// Configured device names with a meaning of their own.
inline constexpr std::string_view kDeviceNone = "None";        // no device wanted
inline constexpr std::string_view kDeviceMissing = "Missing";  // configured, but not present

// Device ids beside the listed devices 0, 1, ...
constexpr std::int32_t kDeviceIdMapper = -1;  // the MIDI mapper (outputs only)
constexpr std::int32_t kDeviceIdNone = -2;    // no device, or a missing one

// Outcome of EnumerateMidiDevices. The values are pinned: the start-up sequence keys on them.
enum class EnumerateOutcome : std::int32_t {
    Ok = 1,
    NoDevices = -1,     // no MIDI device at all: work offline
    InputMissing = -2,  // the configured input is not present
    OutputMissing = -3, // the configured output is not present
    ShowDialog = -5,    // both present, but the device dialog was asked for
};

// Outcome of the device selection and opening step of InitialiseMIDI. The values are pinned.
enum class SetupOutcome : std::int32_t {
    Offline = -2,      // no devices, both "None", switch n, the user chose offline, or a
                       // cancel before any synthesizer type was known
    BankReceived = 1,  // devices open and the synthesizer's bank received
    Skipped = 5,       // devices open, detection skipped or abandoned
    Cancelled = 7,     // cancelled: the previous settings are restored
};

// Outcome of synthesizer detection. The values are pinned.
enum class DetectOutcome : std::int32_t { Offline = -2, BankReceived = 1, Skipped = 5 };

// What the device choice dialog shows: two lists, each with "None" at entry 0, and the
// entries to select. OutputDeviceID and InputDeviceID are the ids handed to the dialog
// when a configured id is known (kDeviceIdNone otherwise).
struct DeviceChoiceLists {
    std::vector<std::string> outputs;
    std::vector<std::string> inputs;
    int outputSelected = 0;
    int inputSelected = 0;
    std::int32_t OutputDeviceID = kDeviceIdNone;
    std::int32_t InputDeviceID = kDeviceIdNone;
};

class clsMIDIInit {
public:
    // backend may be null: the program then works offline (no devices). The backend says
    // in the MIDI input queue (midiInputQueue) when its MIDI system goes away.
    explicit clsMIDIInit(platform::MidiBackend* backend = nullptr);
    ~clsMIDIInit();
    clsMIDIInit(const clsMIDIInit&) = delete;
    clsMIDIInit& operator=(const clsMIDIInit&) = delete;

    [[nodiscard]] platform::MidiBackend* backend() const { return m_backend; }
    void setBackend(platform::MidiBackend* backend);

    // ---- public fields
    bool MidiInOpen = false;   // the input is open and started
    bool MidiOutOpen = false;  // the output is open; every immediate send tests it

    // The ports open at one moment, to tell later whether one has closed since, or is dead
    // under the program: the MIDI system went away under a wait or a send (MidiSystemGone
    // has told the user, or will as soon as its notice is handled; the backend knows first).
    struct OpenPorts {
        bool in = false;
        bool out = false;
    };
    [[nodiscard]] OpenPorts openPorts() const { return {MidiInOpen, MidiOutOpen}; }
    [[nodiscard]] bool closedSince(OpenPorts before) const
    {
        return (before.in && !MidiInOpen) || (before.out && !MidiOutOpen) ||
               ((before.in || before.out) && MidiSystemIsGone());
    }
    // Whether the MIDI system has gone from under the program (see closedSince).
    [[nodiscard]] bool MidiSystemIsGone() const { return m_backend && m_backend->systemGone(); }
    // Answer of the detection failure dialog: -2 retry, -1 work offline, 5 skip, 0 cancel.
    std::int32_t FailureAnswer = 0;
    bool InitCancelled = false;  // a set-up dialog was cancelled
    // Successful synthesizer detections in this run (numbers the start-up bank files).
    std::int32_t DetectionCount = 0;
    // The command line has been examined.
    bool CommandLineRead = false;
    // The program's whole command-line argument text, examined by the first InitialiseMIDI
    // of the run: "n" works offline, "c" opens the devices in callback-function mode, "s"
    // skips detection (either letter case); anything else does nothing.
    std::string CommandLineArgument;
    // InitialiseMIDI is running (its commands are disabled meanwhile).
    bool SetupRunning = false;
    // The device dialog's OK was pressed during the running set-up.
    bool DeviceChoiceMade = false;
    // Raised after each unanswered probe of a series synthesizer with the device number
    // probed; a handler sets cancel to stop. Empty: the main window's handling
    // (objMIDIInit_InitStatus).
    std::function<void(std::int16_t& deviceNumber, bool& cancel)> InitStatus;

    // ---- properties
    // Clock value (ms) at which the input was started; reading it before a start, while
    // it is 0, gives the current clock value.
    [[nodiscard]] double MIDIInStartTime() const;
    void setMIDIInStartTime(double ms) { m_inStartTime = ms; }
    // Reply time-out of dump requests in ms; 0 = not set. A System Exclusive message that
    // receives nothing for as long (15000 ms while it is not set) is taken as cut there.
    [[nodiscard]] std::int32_t MIDITimeout() const { return m_timeout; }
    void setMIDITimeout(std::int32_t ms);
    // Channels 0..15; other values are refused with a message and the old value stays.
    [[nodiscard]] std::int32_t MIDIInChannel() const { return m_inChannel; }
    void setMIDIInChannel(std::int32_t channel);
    [[nodiscard]] std::int32_t MIDIOutChannel() const { return m_outChannel; }
    void setMIDIOutChannel(std::int32_t channel);
    // Second-series instruments: send to / get from bank half B. Changing SendToB, and
    // any write of GetFromB, sends the bank-half parameter change while the output is open.
    [[nodiscard]] bool SendToB() const { return m_sendToB; }
    void setSendToB(bool b);
    [[nodiscard]] bool GetFromB() const { return m_getFromB; }
    void setGetFromB(bool b);
    // System Exclusive device number 0..15 (the n of F0 43 xn); others refused with a message.
    [[nodiscard]] std::int32_t MIDIDeviceNumber() const { return m_deviceNumber; }
    void setMIDIDeviceNumber(std::int32_t n);

    [[nodiscard]] bool MidiMapperPresent() const { return m_mapperPresent; }
    void setMidiMapperPresent(bool b) { m_mapperPresent = b; }
    [[nodiscard]] bool SkipMIDIInit() const { return m_skipInit; }
    void setSkipMIDIInit(bool b) { m_skipInit = b; }
    [[nodiscard]] bool SkipMIDIInOpen() const { return m_skipInOpen; }
    void setSkipMIDIInOpen(bool b) { m_skipInOpen = b; }
    [[nodiscard]] bool SkipMIDIOutOpen() const { return m_skipOutOpen; }
    void setSkipMIDIOutOpen(bool b) { m_skipOutOpen = b; }

    [[nodiscard]] std::int32_t NoMidiInDevices() const { return m_noIn; }
    void setNoMidiInDevices(std::int32_t n) { m_noIn = n; }
    [[nodiscard]] std::int32_t NoMidiOutDevices() const { return m_noOut; }
    void setNoMidiOutDevices(std::int32_t n) { m_noOut = n; }
    [[nodiscard]] std::int32_t MIDIOutputDeviceID() const { return m_outId; }
    void setMIDIOutputDeviceID(std::int32_t id) { m_outId = id; }
    [[nodiscard]] std::int32_t MIDIInputDeviceID() const { return m_inId; }
    void setMIDIInputDeviceID(std::int32_t id) { m_inId = id; }
    // Handles of the open devices: non-zero while open.
    [[nodiscard]] std::int32_t MidiInputHandle() const { return m_inHandle; }
    void setMidiInputHandle(std::int32_t h) { m_inHandle = h; }
    [[nodiscard]] std::int32_t MidiOutputHandle() const { return m_outHandle; }
    void setMidiOutputHandle(std::int32_t h) { m_outHandle = h; }

    [[nodiscard]] const std::string& MidiInDeviceName() const { return m_inName; }
    void setMidiInDeviceName(std::string name) { m_inName = std::move(name); }
    [[nodiscard]] const std::string& MidiOutDeviceName() const { return m_outName; }
    void setMidiOutDeviceName(std::string name) { m_outName = std::move(name); }

    // The names listed by the last enumeration, in id order; the output list starts with
    // the MIDI mapper when there is one.
    [[nodiscard]] const std::vector<std::string>& inputNames() const { return m_inNames; }
    [[nodiscard]] const std::vector<std::string>& outputNames() const { return m_outNames; }

    // ---- methods
    // The text for a device-layer result code. For any code but 0 it also shows
    // "Error : " and the text in status panel 1 for 2000 ms.
    void Identify_Midi_Error(std::int32_t code, std::string& text) const;
    // Lists the devices afresh and resolves the configured names to ids; a configured
    // device that is not present becomes "Missing" (unless it is "None").
    void EnumerateMidiDevices(bool showDeviceDialog, EnumerateOutcome& outcome);
    // A device name cut before its first character below 32, above 126, or an apostrophe.
    [[nodiscard]] static std::string CleanDeviceName(std::string_view name);
    // Fills and preselects the device choice dialog's lists.
    void FillDeviceLists(DeviceChoiceLists& dialog) const;
    // The device id of an entry of the dialog's output or input list (entry 0 is "None":
    // kDeviceIdNone), and the entry of a device id (0 when it is not listed). A device
    // whose capabilities query failed is not listed, so entries and ids need not run
    // in step; the dialog maps through these.
    [[nodiscard]] std::int32_t outputIdForEntry(int entry) const;
    [[nodiscard]] std::int32_t inputIdForEntry(int entry) const;
    [[nodiscard]] int outputEntryForId(std::int32_t id) const;
    [[nodiscard]] int inputEntryForId(std::int32_t id) const;
    // Opens the configured devices; failed is false when everything asked for opened. A
    // device left open by its skip flag opens again when it no longer reaches its device.
    void OpenMidiDevices(bool& failed);
    // The MIDI start-up (showDeviceDialog false) and the device set-up from the menu
    // (true): reads the command line once, lists the devices, asks for devices and
    // synthesizer type when needed, opens the devices and detects the synthesizer, whose
    // bank opens as a voice list. Reports its failures itself and falls back to working
    // offline; a cancel restores the previous settings and devices.
    void InitialiseMIDI(bool showDeviceDialog);
    // The MIDI system went away (a JACK server stopped; the input queue hands its notice
    // here): one monitor line, the ports closed as when working offline, and, when MIDI
    // was in use, one message saying so. Voice lists, the MIDI Manager and its slots, and
    // the player's file stay open; the configured devices are kept, so the next MIDI
    // Devices lists and opens them again once the system is back.
    void MidiSystemGone();

private:
    void SelectAndOpenDevices(bool showDeviceDialog, SetupOutcome& outcome);
    void DetectSynth(DetectOutcome& result);
    void restoreOpenDevices(const std::string& openIn, const std::string& openOut, const std::string& nowIn,
                            const std::string& nowOut);
    // Opens a detected bank as the start-up voice list, or keeps it in a free bank slot.
    void keepStartupBank(const std::string& bank);
    void sendBankHalf(bool value);
    [[nodiscard]] std::string listedInputName() const;
    [[nodiscard]] std::string listedOutputName() const;
    void openFailed(std::int32_t code, bool inputHalfOpen, bool outputHalfOpen);

    platform::MidiBackend* m_backend = nullptr;
    std::int16_t m_deviceNumber = 0;
    std::string m_inName;
    std::string m_outName;
    std::int32_t m_inHandle = 0;
    std::int32_t m_outHandle = 0;
    bool m_skipInit = false;
    std::int32_t m_noIn = 0;
    std::int32_t m_noOut = 0;
    bool m_mapperPresent = false;
    std::vector<std::string> m_inNames;
    std::vector<std::string> m_outNames;
    std::vector<std::int32_t> m_inIds;  // device id of each listed name
    std::vector<std::int32_t> m_outIds;
    std::int32_t m_outId = kDeviceIdNone;
    std::int32_t m_inId = kDeviceIdNone;
    bool m_skipInOpen = false;
    bool m_skipOutOpen = false;
    std::int32_t m_timeout = 0;
    std::int32_t m_inChannel = 0;
    std::int32_t m_outChannel = 0;
    bool m_sendToB = false;
    bool m_getFromB = false;
    double m_inStartTime = 0;
    // The configured names of the devices as they were opened (while open).
    std::string m_openInName;
    std::string m_openOutName;
};

// Shows for half a second the status text of devices that were opened or closed
// (outcome "Opened" or "Closed"): "Input: <in>    Output: <out>  Opened OK" for both,
// else the one side that was. Shows nothing when neither was.
void ShowDeviceReport(bool input, const std::string& inName, bool output, const std::string& outName,
                      const std::string& outcome);

// The main window's handling of InitStatus: moves the progress bar and, when the user
// pressed its Cancel, asks whether to stop (cancel set on Yes).
void objMIDIInit_InitStatus(std::int16_t& deviceNumber, bool& cancel);

// ---- program-wide MIDI state

// The program's one settings object; a default one (no backend) until one is installed.
[[nodiscard]] clsMIDIInit& objMIDIInit();
// Installs the settings object (nullptr restores the default). The caller keeps ownership.
void installMIDIInit(clsMIDIInit* init);

// True when the devices are opened in callback-function mode: incoming messages then
// carry the milliseconds since input start as their time stamp (0 otherwise).
[[nodiscard]] bool CallbackFunctionMode();
void setCallbackFunctionMode(bool on);

}  // namespace midi
