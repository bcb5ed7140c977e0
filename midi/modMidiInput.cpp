// Brevane - everything the MIDI input delivers, and closing the devices.
#include "midi/modMidiInput.h"

#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "midi/MidiWindows.h"
#include "midi/PendingRequest.h"
#include "midi/ReceivedDump.h"
#include "midi/TimedPhrase.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace midi {
namespace {

using platform::MidiEvent;
using platform::MidiEventKind;

constexpr std::uint8_t kTimingClock = 0xF8;
constexpr std::uint8_t kActiveSensing = 0xFE;
constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kYamaha = 0x43;
constexpr std::uint8_t kFormatSingleVoice = 0x00;
constexpr std::uint8_t kFormatBank = 0x09;
constexpr std::uint8_t kFormatUniversal = 0x7E;  // second-series system messages
// Bytes 11 to 16 of a second-series system setup message.
constexpr std::string_view kSystemSetupId = "8973S ";
constexpr std::size_t kSystemSetupIdOffset = 10;
constexpr std::size_t kParameterChangeBytes = 7;
constexpr std::size_t kLongFrom = 4;  // messages of 4 bytes or more (but not 7) are long

constexpr std::int32_t kInputStoppedMs = 250;
using platform::kCrLf;

// What the input queue holds at most, counted as each notification's record and bytes.
// Input waits here only while its handling is held up (a handler's question is open, the
// GUI thread is busy): 4 MiB holds at least three messages of the largest size the input
// takes (1 MiB), about a thousand DX7 banks (over twenty minutes of a MIDI cable sending
// banks) or some 100,000 short messages (over a minute of a cable at full speed). What
// arrives beyond it is dropped, so a held-up program cannot be flooded out of memory.
constexpr std::size_t kInputQueueCapBytes = std::size_t{4} << 20;

std::size_t queuedCost(const MidiEvent& e) { return sizeof(MidiEvent) + e.bytes.size(); }

// The news that the MIDI system went away is what takes the program offline: it is never
// dropped, and it takes no room from input (it holds no bytes, and a backend says it once
// for each time the system goes).
bool heldUnderCap(const MidiEvent& e) { return e.kind != MidiEventKind::SystemGone; }

// A queued notification, or (dropped > 0) the note of a run of notifications dropped at
// the cap, which takes the place of what it stands for.
struct QueuedInput {
    MidiEvent event;
    std::size_t dropped = 0;
    std::size_t droppedBytes = 0;
};

// Holds notifications from any thread until the GUI thread handles them.
class InputQueue final : public platform::MidiEventReceiver {
public:
    InputQueue() : m_guiThread(std::this_thread::get_id()) {}

    void post(MidiEvent event) override
    {
        if (event.kind == MidiEventKind::Data) {
            // Passed over unhandled anyway: a clock never takes room from real input.
            const auto status = static_cast<std::uint8_t>(event.data & 0xFF);
            if (status == kTimingClock || status == kActiveSensing)
                return;
        }
        bool schedule = false;
        {
            std::lock_guard lock(m_mutex);
            const std::size_t cost = heldUnderCap(event) ? queuedCost(event) : 0;
            if (cost > 0 && m_heldBytes + cost > kInputQueueCapBytes) {
                ++m_dropped;
                m_droppedBytes += event.kind == MidiEventKind::Data
                                      ? static_cast<std::size_t>(
                                            platform::shortMessageLength(static_cast<std::uint8_t>(event.data & 0xFF)))
                                      : event.bytes.size();
            } else {
                // The first notification queued after a run of dropped ones ends the run:
                // the note of the run goes before it.
                endDroppedRun();
                m_heldBytes += cost;
                // The system's going away is handled also while other input is held up
                // (ProcessMidiInput): it always asks for a turn of its own.
                schedule = event.kind == MidiEventKind::SystemGone;
                m_events.push_back({std::move(event), 0, 0});
            }
            if (!m_scheduled) {
                m_scheduled = true;
                schedule = true;
            }
        }
        // With an application object, have its thread handle the input soon; without
        // one (tests, tools) the waits of the MIDI code handle it.
        if (schedule) {
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(app, [] { ProcessMidiInput(); }, Qt::QueuedConnection);
        }
    }

    bool take(QueuedInput& input)
    {
        std::lock_guard lock(m_mutex);
        if (m_events.empty())
            endDroppedRun();  // everything held is handled: the run of drops is over too
        if (m_events.empty()) {
            m_scheduled = false;
            return false;
        }
        input = std::move(m_events.front());
        m_events.pop_front();
        if (input.dropped == 0 && heldUnderCap(input.event))
            m_heldBytes -= queuedCost(input.event);
        return true;
    }

    // Takes the notice that the MIDI system went away out of the queue, ahead of what
    // came before it; false when none waits.
    bool takeSystemGone()
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_events.begin(), m_events.end(), [](const QueuedInput& q) {
            return q.dropped == 0 && q.event.kind == MidiEventKind::SystemGone;
        });
        if (it == m_events.end())
            return false;
        m_events.erase(it);
        return true;
    }

    // Takes the notes of the runs of input dropped at the cap out of the queue, wherever
    // they stand, the run going on included.
    std::vector<QueuedInput> takeDropNotes()
    {
        std::lock_guard lock(m_mutex);
        endDroppedRun();
        std::vector<QueuedInput> notes;
        std::erase_if(m_events, [&](QueuedInput& q) {
            if (q.dropped == 0)
                return false;
            notes.push_back(std::move(q));
            return true;
        });
        return notes;
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_events.clear();
        m_heldBytes = 0;
        m_dropped = 0;
        m_droppedBytes = 0;
        m_scheduled = false;
    }

    [[nodiscard]] bool onGuiThread() const { return std::this_thread::get_id() == m_guiThread; }

private:
    // With the mutex held.
    void endDroppedRun()
    {
        if (m_dropped == 0)
            return;
        m_events.push_back({MidiEvent{}, m_dropped, m_droppedBytes});
        m_dropped = 0;
        m_droppedBytes = 0;
    }

    const std::thread::id m_guiThread;
    std::mutex m_mutex;
    std::deque<QueuedInput> m_events;
    std::size_t m_heldBytes = 0;
    std::size_t m_dropped = 0;  // of the run of drops going on
    std::size_t m_droppedBytes = 0;
    bool m_scheduled = false;
};

InputQueue& queue()
{
    static InputQueue q;
    return q;
}

bool g_processing = false;
bool g_systemGoing = false;  // clsMIDIInit::MidiSystemGone runs
std::array<std::string, 129> g_noteNames;

std::string plain(std::int64_t v) { return platform::Trim(platform::Str(v)); }

std::string oneChar(std::uint8_t b) { return std::string(1, static_cast<char>(b)); }

void logLine(const MonitorLines& line, bool replace = false)
{
    windows().managerData().AddMessage(line, replace);
}

// A damaged dump is kept, exactly as received, in a free bank slot and logged with what is
// wrong; when it answers the pending request, the wait is told to end and say so.
void keepDamagedDump(std::span<const std::uint8_t> bytes, std::uint32_t timeStamp, DumpCheck check,
                     bool answersRequest)
{
    const bool single = isSingleVoiceDump(bytes);
    const std::string damage = DumpDamage(check, bytes);
    std::string received(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    MonitorLines line;
    line[MonitorField::Type] = "Long";
    line[MonitorField::RawMessage] = received;
    line[MonitorField::Timestamp] = plain(timeStamp);
    line[MonitorField::Channel] = plain((bytes[2] & 0x0F) + 1);
    const std::int32_t slot = windows().managerData().StoreInFreeSlot(std::move(received),
                                                                     banklib::toCode(banklib::FileType::Unrecognised),
                                                                     single ? "Damaged Voice" : "Damaged Bank");
    std::string text =
        std::string(single ? "Damaged Single DX Voice Received: it " : "Damaged 32 Voice Bulk Dump Received: it ") +
        damage;
    platform::ShowStatusMessage(text, 0, 1, false, 1);
    line[MonitorField::Message] = std::move(text);
    line[MonitorField::Data1Title] = slot > 0 ? "Sysex Bank" : "Not kept";
    if (slot > 0)
        line[MonitorField::Data1] = platform::Str(slot);
    logLine(line);
    if (!answersRequest)
        return;
    SetDamagedReply("The dump received " + damage + "." + kCrLf +
                    (slot > 0 ? "It was not opened: it is kept exactly as received in Sysex Bank " + plain(slot) +
                                    " of the MIDI Manager, from where it can be saved."
                              : std::string("It was not opened, and could not be kept: every Sysex Bank is in use.")));
}

// A dump request as this program sends it: F0 43 2n type F7.
bool isDumpRequest(std::span<const std::uint8_t> bytes)
{
    return bytes.size() == 5 && bytes[0] == kSysexStart && bytes[1] == kYamaha && (bytes[2] & 0xF0) == 0x20 &&
           bytes[4] == kSysexEnd;
}

const std::string& noteName(std::uint32_t note)
{
    static const std::string unknown = "?";
    if (g_noteNames[0].empty())
        BuildNoteNameTable();
    return note < g_noteNames.size() ? g_noteNames[note] : unknown;
}

void logDropped(const QueuedInput& input)
{
    MonitorLines line;
    line[MonitorField::Message] =
        "MIDI input queue full: " + plain(static_cast<std::int64_t>(input.dropped)) +
        (input.dropped == 1 ? " message (" : " messages (") + plain(static_cast<std::int64_t>(input.droppedBytes)) +
        " bytes) dropped while input waited";
    logLine(line);
}

void handleSystemGone()
{
    g_systemGoing = true;
    objMIDIInit().MidiSystemGone();
    g_systemGoing = false;
}

}  // namespace

platform::MidiEventReceiver& midiInputQueue() { return queue(); }

void SayDroppedInput()
{
    for (const QueuedInput& note : queue().takeDropNotes())
        logDropped(note);
}

void PostMidiNotification(MidiEventKind kind)
{
    MidiEvent e;
    e.kind = kind;
    queue().post(std::move(e));
}

void ProcessMidiInput()
{
    InputQueue& q = queue();
    if (!q.onGuiThread())
        return;
    // A handler holds the input up (its question is open): only the news that the MIDI
    // system went away is handled now, so that the program works offline at once.
    if (g_processing) {
        if (!g_systemGoing && q.takeSystemGone())
            handleSystemGone();
        return;
    }
    g_processing = true;
    struct Done {
        ~Done() { g_processing = false; }
    } done;
    if (platform::MidiBackend* backend = objMIDIInit().backend())
        backend->poll();
    QueuedInput input;
    while (q.take(input)) {
        if (input.dropped == 0)
            MidiSinkWindowProc(input.event);
        else
            logDropped(input);
    }
}

void MidiSinkWindowProc(const MidiEvent& event)
{
    if (event.kind == MidiEventKind::SystemGone) {
        handleSystemGone();
        return;
    }
    if (event.kind == MidiEventKind::Data) {
        const auto status = static_cast<std::uint8_t>(event.data & 0xFF);
        if (status == kTimingClock || status == kActiveSensing)
            return;
    }
    const std::uint32_t timeStamp = CallbackFunctionMode() ? event.timeMs : 0;
    switch (event.kind) {
    case MidiEventKind::LongData:
    case MidiEventKind::LongError:
        // Only real data reaches the hand-over: an error never overwrites a waiting reply.
        if (auto bytes = LongDataHandler(event.kind, event.bytes, timeStamp))
            SetReceivedSysex(std::move(*bytes));
        break;
    default:
        ShortMessageHandler(event.kind, event.data, timeStamp);
        break;
    }
}

void ShortMessageHandler(MidiEventKind message, std::uint32_t data, std::uint32_t timeStamp)
{
    const auto b0 = static_cast<std::uint8_t>(data & 0xFF);
    const auto b1 = static_cast<std::uint8_t>((data >> 8) & 0xFF);
    const auto b2 = static_cast<std::uint8_t>((data >> 16) & 0xFF);
    const std::int32_t channel = (b0 & 0x0F) + 1;
    const clsMIDIInit& init = objMIDIInit();

    MonitorLines line;
    line[MonitorField::Timestamp] = platform::Str(static_cast<std::int64_t>(timeStamp));
    switch (message) {
    case MidiEventKind::InputOpen:
        line[MonitorField::Message] = init.MidiInDeviceName() + " opened for input. ";
        BuildNoteNameTable();
        break;
    case MidiEventKind::InputClose:
        line[MonitorField::Message] = init.MidiInDeviceName() + " input closed";
        break;
    case MidiEventKind::OutputOpen:
        line[MonitorField::Message] = init.MidiOutDeviceName() + " opened for output. ";
        break;
    case MidiEventKind::OutputClose:
        line[MonitorField::Message] = init.MidiOutDeviceName() + "output closed";
        break;
    case MidiEventKind::OutputDone:
        line[MonitorField::Message] = "Midi output completed OK";
        break;
    case MidiEventKind::InputLost:
        line[MonitorField::Message] = "MIDI input: the sender lost " + plain(static_cast<std::int64_t>(data)) +
                                      (data == 1 ? " event" : " events");
        break;
    case MidiEventKind::TooLarge:
        line[MonitorField::Type] = "Long";
        line[MonitorField::Message] =
            "Midi Long Message Error - Sysex Message too large (over " +
            plain(static_cast<std::int64_t>(platform::MidiStreamParser::kMaxMessageBytes)) + " bytes), dropped.";
        break;
    case MidiEventKind::Error:
        if (b0 == kSysexEnd)
            return;
        line[MonitorField::Channel] = platform::Str(channel);
        line[MonitorField::Message] = "Bad MIDI Message:Status " + platform::Str(b0) + " Data1 " + platform::Str(b1) +
                                      " Data2 " + platform::Str(b2);
        break;
    case MidiEventKind::Data: {
        line[MonitorField::Channel] = plain(channel);
        line[MonitorField::Type] = "Short";
        line[MonitorField::RawMessage] = platform::Str(static_cast<std::int64_t>(data));
        line[MonitorField::Status] = oneChar(b0);
        line[MonitorField::ShortData1] = oneChar(b1);
        line[MonitorField::ShortData2] = oneChar(b2);
        std::string& text = line[MonitorField::Message];
        const auto set = [&](const char* title1, std::uint8_t v1) {
            line[MonitorField::Data1Title] = title1;
            line[MonitorField::Data1] = platform::Str(v1);
        };
        const auto set2 = [&](const char* title2, std::uint8_t v2) {
            line[MonitorField::Data2Title] = title2;
            line[MonitorField::Data2] = platform::Str(v2);
        };
        switch (b0 & 0xF0) {
        case 0x80:
        case 0x90: {
            const bool off = (b0 & 0xF0) == 0x80 || b2 == 0;
            text = "Note " + noteName(b1) + (off ? " Off" : " On");
            set("Velocity ", b2);
            break;
        }
        case 0xA0:
            text = "Aftertouch " + noteName(b1);
            set("Velocity ", b2);
            break;
        case 0xB0:
            switch (b1) {
            case 1: text = "Modulation Wheel"; set("Value", b2); break;
            case 6: text = "Data Entry"; set("Value", b2); break;
            case 96: text = "Yes Button pressed"; set("Value", b2); break;
            case 97: text = "No Button pressed"; set("Value", b2); break;
            default:
                text = "Controller Change";
                set("ID", b1);
                set2("Value", b2);
                break;
            }
            break;
        case 0xC0:
            text = "Program Change";
            set("Number ", b1);
            break;
        case 0xD0:
            text = "Channel Aftertouch";
            set("Value", b1);
            break;
        case 0xE0:
            text = "PitchBend";
            set("LSB ", b1);
            set2("MSB ", b2);
            break;
        default:
            switch (b0) {
            case 0xF1: text = "MTC Quarterframe"; set("Value ", b1); break;
            case 0xF2:
                text = "Song Position Pointer";
                set("LSB Value ", b1);
                set2("MSB Value ", b2);
                break;
            case 0xF3: text = "Song Select"; set("Value ", b1); break;
            default: text = "Undefined System Common message received"; break;
            }
            break;
        }
        break;
    }
    default:
        return;
    }
    logLine(line);
}

std::optional<std::string> LongDataHandler(MidiEventKind message, std::span<const std::uint8_t> bytes,
                                           std::uint32_t timeStamp)
{
    // A dump cut before its F7 (by a status byte, or by events the MIDI system lost) is as
    // damaged as a short one; any other broken message is only an error.
    const DumpCheck check =
        message == MidiEventKind::LongError ? CheckCutDump(bytes) : CheckReceivedDump(bytes);
    if (isDamaged(check)) {
        const std::int32_t pending = GetPendingRequest();
        keepDamagedDump(bytes, timeStamp, check,
                        pending != -1 && DumpAnswersRequest(bytes, pending) && ReceivedSysex() == kNoData);
        return std::nullopt;
    }
    if (message != MidiEventKind::LongData || bytes.empty()) {
        MonitorLines line;
        line[MonitorField::Message] =
            message == MidiEventKind::LongError
                ? "Midi Long Message Error - Invalid Sysex Message (" +
                      platform::Str(static_cast<std::int64_t>(bytes.size())) + " bytes) returned."
                : std::string("Midi Long Message Error - Invalid, Empty or Unrecognised Buffer returned.");
        logLine(line);
        return std::nullopt;
    }
    std::string received(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (const std::int32_t pending = GetPendingRequest(); pending != -1) {
        // Only a voice dump answers a request (DumpAnswersRequest); the request's own echo
        // through a MIDI Thru loop is only logged, and anything else (a parameter change,
        // another maker's data) is handled as if nobody waited, while the wait goes on.
        if (!DumpAnswersRequest(bytes, pending)) {
            if (isDumpRequest(bytes))
                (void)DescribeSysexMessage(received, timeStamp, false);
            else
                (void)KeepUnrequestedSysex(std::move(received), timeStamp);
            return std::nullopt;
        }
        if (ReceivedSysex() == kNoData)
            return received;
        // A second answer while the first waits to be taken is kept, not put in its place.
        (void)KeepUnrequestedSysex(std::move(received), timeStamp);
        return std::nullopt;
    }
    return KeepUnrequestedSysex(std::move(received), timeStamp);
}

std::string KeepUnrequestedSysex(std::string received, std::uint32_t timeStamp)
{
    if (DescribeSysexMessage(received, timeStamp, false) != DescribeResult::Long)
        return received;
    banklib::FileType type = banklib::FileType::Unrecognised;
    // Only a voice dump loses its wrapper: any other message is kept as it came, also one
    // whose length happens to fit a voice layout (8 bytes make a bank of no voices).
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(received.data()),
                                              received.size());
    if (CheckReceivedDump(bytes) == DumpCheck::Whole) {
        banklib::clsVoiceLists lists;
        std::string name;
        (void)lists.CheckFileIntegrity(name, type, true, received);
        if (banklib::isVoiceLayout(type)) {
            banklib::clsVoiceNames names;
            received = names.stripheaders(received, type, true);
        }
    }
    std::int32_t fileType = static_cast<std::int32_t>(type);
    const auto length = static_cast<std::int32_t>(received.size());
    (void)windows().managerData().AddSysex(received, length, fileType, "");
    return received;
}

bool DumpAnswersRequest(std::span<const std::uint8_t> bytes, std::int32_t type)
{
    if (bytes.size() < kLongFrom || bytes[0] != kSysexStart || bytes[1] != kYamaha || (bytes[2] & 0xF0) != 0)
        return false;
    // The synthesizer, or whoever sends for it, may answer a request for a voice with a
    // bank and one for a bank with a voice: either is the answer.
    const auto voiceData = [](std::int32_t format) { return format == kFormatSingleVoice || format == kFormatBank; };
    return bytes[3] == type || (voiceData(type) && voiceData(bytes[3]));
}

void BuildNoteNameTable()
{
    static constexpr std::array<const char*, 12> kPitch = {"C",  "C#", "D",  "D#", "E",  "F",
                                                          "F#", "G",  "G#", "A",  "A#", "B"};
    for (std::size_t k = 0; k < g_noteNames.size(); ++k)
        g_noteNames[k] = std::string(kPitch[k % 12]) + plain(static_cast<std::int64_t>(k / 12) - 2);
}

const std::array<std::string, 129>& NoteNames()
{
    if (g_noteNames[0].empty())
        BuildNoteNameTable();
    return g_noteNames;
}

DescribeResult DescribeSysexMessage(std::string_view message, std::uint32_t timeStamp, bool edited)
{
    if (message.empty())
        return DescribeResult::ShortOrParameter;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(message[i]); };
    const std::size_t n = message.size();
    MonitorLines line;
    line[MonitorField::Type] = n >= kParameterChangeBytes ? "Long" : "Short";
    line[MonitorField::RawMessage] = std::string(message);
    line[MonitorField::Timestamp] = plain(timeStamp);
    const std::int32_t channel = n >= kParameterChangeBytes ? (byte(2) & 0x0F) + 1 : (byte(0) & 0x0F) + 1;
    line[MonitorField::Channel] = plain(channel);

    if (n >= kLongFrom && n != kParameterChangeBytes) {
        platform::ShowStatusMessage("", 0, 1, false, 1);
        std::string text;
        if (byte(1) != kYamaha)
            text = "Unrecognised Long Sysex Received";
        else if (byte(3) == kFormatSingleVoice)
            text = "Single DX Voice Received";
        else if (byte(3) == kFormatBank)
            text = "32 Voice Bulk Dump Received";
        else if (byte(3) == kFormatUniversal)
            text = n >= kSystemSetupIdOffset + kSystemSetupId.size() &&
                           message.substr(kSystemSetupIdOffset, kSystemSetupId.size()) == kSystemSetupId
                       ? "System Setup Received"
                       : "Unsupported (DX7II) Sysex received";
        else
            text = "Unrecognised Sysex Recd. ID:" + platform::Str(byte(3));
        platform::ShowStatusMessage(text, 0, 1, false, 1);
        line[MonitorField::Message] = std::move(text);
        logLine(line, edited);
        return DescribeResult::Long;
    }

    std::string text = edited ? "Edited Message:" : "Parm. Change:";
    for (std::size_t i = 0; i < n; ++i)
        text += platform::Str(byte(i));
    line[MonitorField::Message] = std::move(text);
    if (n < kLongFrom) {
        line[MonitorField::Status] = oneChar(byte(0));
        if (n > 1)
            line[MonitorField::ShortData1] = oneChar(byte(1));
        if (n > 2)
            line[MonitorField::ShortData2] = oneChar(byte(2));
    }
    logLine(line, edited);
    return DescribeResult::ShortOrParameter;
}

void CloseMidiDevices(bool closeInput, bool closeOutput, bool systemGone)
{
    clsMIDIInit& init = objMIDIInit();
    if (!init.MidiInOpen && !init.MidiOutOpen)
        return;
    platform::MidiBackend* backend = init.backend();
    MidiWindows& w = windows();
    std::string inName;
    std::string outName;
    bool closedIn = false;
    bool closedOut = false;

    if (init.MidiInOpen && closeInput) {
        inName = init.MidiInDeviceName();
        if (backend)
            (void)backend->stopInput();
        if (!systemGone)
            platform::ShowStatusMessage("MIDI input stopped", kInputStoppedMs, 0);
        if (backend)
            backend->closeInput();
        if (!systemGone)
            PostMidiNotification(MidiEventKind::InputClose);
        w.setInputCommands(false);
        w.setManagerButtonEnabled("Receive", false);
        init.MidiInOpen = false;
        init.setMIDIInputDeviceID(kDeviceIdNone);
        init.setMidiInputHandle(0);
        closedIn = true;
    }
    if (init.MidiOutOpen && closeOutput) {
        outName = init.MidiOutDeviceName();
        // A phrase or note that sounds ends here: nothing more of it goes out, to this
        // output or to one opened before its next note was due.
        ForgetTimedNotes();
        if (backend) {
            if (!systemGone)
                backend->resetOutput();
            backend->closeOutput();
        }
        if (!systemGone)
            PostMidiNotification(MidiEventKind::OutputClose);
        init.setMidiOutputHandle(0);
        w.setOutputCommands(false);
        w.setManagerButtonEnabled("Send", false);
        init.MidiOutOpen = false;
        init.setMIDIOutputDeviceID(kDeviceIdNone);
        closedOut = true;
    }
    // Log the closing while the monitor is still there.
    ProcessMidiInput();
    if (systemGone)
        return;
    if (!init.MidiInOpen && !init.MidiOutOpen)
        w.unloadManager();

    if (w.appClosing() || (!closedIn && !closedOut))
        return;
    ShowDeviceReport(closedIn, inName, closedOut, outName, "Closed");
}

std::int32_t InputHandle() { return objMIDIInit().MidiInOpen ? objMIDIInit().MidiInputHandle() : 0; }
std::int32_t OutputHandle() { return objMIDIInit().MidiOutOpen ? objMIDIInit().MidiOutputHandle() : 0; }

void StopMidiInput()
{
    if (platform::MidiBackend* backend = objMIDIInit().backend(); backend && InputHandle() != 0)
        (void)backend->stopInput();
}

void StartMidiInput()
{
    clsMIDIInit& init = objMIDIInit();
    if (platform::MidiBackend* backend = init.backend(); backend && InputHandle() != 0) {
        (void)backend->startInput();
        init.setMIDIInStartTime(static_cast<double>(platform::eventLoop().nowMs()));
    }
}

void ResetMidiInputState()
{
    queue().clear();
    g_processing = false;
}

}  // namespace midi
