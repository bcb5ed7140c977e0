// Brevane - the road to the MIDI output, and dump requests with their wait for a reply.
#include "midi/modMidiOutput.h"

#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace midi {
namespace {

using platform::MidiEventKind;
using platform::MidiResult;
using platform::MsgAnswer;

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kYamaha = 0x43;
constexpr std::uint8_t kRequestSubStatus = 0x20;  // F0 43 2n: a dump or parameter request
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kDataMax = 0x7F;

// Long messages shorter than this are logged byte by byte, longer ones by their length.
constexpr std::size_t kLogBytesBelow = 12;

constexpr std::int32_t kAuditionVelocity = 60;
constexpr std::int32_t kAuditionHoldMs = 250;
constexpr std::int32_t kRandomiserVelocity = 50;
constexpr std::int32_t kRandomiserDefaultMs = 300;
constexpr std::int32_t kRandomiserRoot = 60;
constexpr std::array<std::int32_t, 13> kRandomiserOffsets = {0, 4, 7, 12, 16, 19, 24, 19, 16, 12, 7, 4, 0};

constexpr std::int32_t kFirstWaitMs = 2000;
constexpr std::int32_t kManualWaitMs = 15000;
// When a wait's time is up while the dump asked for is still arriving, the wait goes on
// until its sender has been quiet this long. At cable speed a byte comes every 0.32 ms;
// a slow interface or a merger passes data on in packets some tens of milliseconds apart,
// and a JACK server with long periods (8192 frames at 44.1 kHz is 186 ms) delivers in
// batches as far apart. Half a second is well beyond all of them, and short enough that a
// dump whose end was lost is said at once.
constexpr auto kDumpQuietGap = std::chrono::milliseconds(500);
constexpr std::int32_t kReceivedPauseMs = 1000;
// Message box style of the no-response question: Yes/No/Cancel, exclamation, Help button.
constexpr int kNoResponseStyle = 16435;

// The countdown tail of the status text during a wait; the remaining time overwrites it
// from its hyphen, which stands 28 characters before the end.
constexpr std::string_view kCountdownTail = " -       secs. left to timeout";
constexpr std::int64_t kCountdownFromEnd = 28;
constexpr std::int64_t kCountdownWidth = 6;

bool g_sequenceActive = false;

// One request sequence: the dump type stays pending from start to end, and a reply left
// from before the request is never taken for its answer.
class RequestSequence {
public:
    explicit RequestSequence(std::int32_t type)
    {
        g_sequenceActive = true;
        BeginPendingRequest(type);
        windows().setRequestWaiting(true);
    }
    ~RequestSequence()
    {
        SetPendingRequest(-1);
        g_sequenceActive = false;
        windows().setRequestWaiting(false);
    }
    RequestSequence(const RequestSequence&) = delete;
    RequestSequence& operator=(const RequestSequence&) = delete;
};

std::span<const std::uint8_t> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Decimal text without the blank that stands for a plus sign.
std::string plain(std::int64_t v) { return platform::Trim(platform::Str(v)); }

std::uint8_t firstByte(std::string_view s) { return s.empty() ? 0 : static_cast<std::uint8_t>(s.front()); }

std::string oneChar(std::int32_t v) { return std::string(1, static_cast<char>(static_cast<std::uint8_t>(v))); }

void logLine(const MonitorLines& line) { windows().managerData().AddMessage(line, false); }

// Whether an output that was open before a send that failed has gone from under it: the
// MIDI system went away. Its notice, handled here if it waits, tells the user; a send may
// fail before the notice has even arrived, but the backend knows by then.
bool outputGoneUnder(bool wasOpen)
{
    if (!wasOpen)
        return false;
    ProcessMidiInput();
    return objMIDIInit().closedSince({false, true});
}

// A long message in its monitor line: byte by byte when short, else by its length.
std::string describeLong(std::string_view message)
{
    std::string text;
    if (message.size() < kLogBytesBelow) {
        for (const std::uint8_t b : bytesOf(message))
            text += plain(b) + " ";
    } else {
        text = "length " + platform::Str(static_cast<std::int64_t>(message.size())) + " bytes";
    }
    return text;
}

void logNotSent(std::size_t bytes, bool systemGone)
{
    MonitorLines line;
    line[MonitorField::Message] =
        "Sysex slice: " + plain(static_cast<std::int64_t>(bytes)) + " bytes not sent " +
        (systemGone ? "- " + MidiSystemStopped() : std::string("(no whole message, or refused by the device)"));
    logLine(line);
}

// The wait of RequestDumpAndWait, inside a request sequence that its caller runs. With
// endCutDump, a dump that answers the request and is still open when the time is up is
// waited for while its bytes keep coming; once its sender has been quiet for
// kDumpQuietGap it has lost its end: it is ended there, and is the damaged answer.
TransportResult waitForDump(std::int16_t type, std::int32_t timeoutMs, std::string& reply, bool sendRequest,
                            bool endCutDump)
{
    clsMIDIInit& init = objMIDIInit();
    platform::SetBusyCursor(true);
    SetPendingRequest(type);
    std::string text;
    if (sendRequest) {
        const std::string request = BuildDumpRequest(type, 0, 0, 0);
        if (request.empty()) {
            (void)platform::messages().messageBox("Unknown dump type requested", platform::MsgStyle::OkOnly,
                                                  std::string(kProgramTitle));
            platform::SetBusyCursor(false);
            reply.clear();
            return TransportResult::Failed;
        }
        const bool outputWasOpen = init.MidiOutOpen;
        if (SendLongSysex(request) == TransportResult::Failed) {
            if (!init.closedSince({false, outputWasOpen}))
                (void)platform::messages().messageBox("MIDI Output failed", platform::MsgStyle::OkOnly,
                                                      std::string(kProgramTitle));
            platform::SetBusyCursor(false);
            reply.clear();
            return TransportResult::Failed;
        }
        text = "Detecting using device no." + platform::Str(init.MIDIDeviceNumber() + 1);
    } else {
        text = "PLEASE SEND DATA NOW -  ";
    }
    text += kCountdownTail;
    platform::ShowStatusMessage(text);

    platform::EventLoop& loop = platform::eventLoop();
    const std::int64_t start = loop.nowMs();
    const bool inputWasOpen = init.MidiInOpen;
    std::int64_t shownTenths = -1;
    TransportResult result = TransportResult::Failed;
    std::string damaged;
    // Takes the answer once the input has handed one over, whole or damaged.
    const auto answered = [&] {
        if (ReceivedSysex() != kNoData) {
            reply = TakeReceivedSysex();
            platform::ShowStatusMessage("Sysex received on device " + platform::Str(init.MIDIDeviceNumber() + 1),
                                        kReceivedPauseMs, 1);
            result = TransportResult::Ok;
            return true;
        }
        if (std::string taken = TakeDamagedReply(); !taken.empty()) {
            damaged = std::move(taken);
            reply = std::string(kDamagedReply);
            return true;
        }
        return false;
    };
    using Arriving = platform::MidiBackend::ArrivingSysex;
    for (;;) {
        ProcessMidiInput();
        if (answered())
            break;
        // The input closed or died under the wait (the MIDI system went away): nothing can come.
        if (init.closedSince({inputWasOpen, false})) {
            reply.clear();
            break;
        }
        const std::int64_t now = loop.nowMs();
        if (now >= start + timeoutMs) {
            platform::MidiBackend* backend = init.backend();
            const auto asked = [type](std::span<const std::uint8_t> b) { return DumpAnswersRequest(b, type); };
            const Arriving arriving =
                endCutDump && backend ? backend->endArrivingSysex(asked, kDumpQuietGap) : Arriving::None;
            if (arriving != Arriving::StillComing) {
                // What the input finished meanwhile (a dump just ended, or one that ended
                // by itself a moment ago) still answers.
                ProcessMidiInput();
                if (answered())
                    break;
                MonitorLines line;
                line[MonitorField::Message] = "Timeout - no data received";
                logLine(line);
                reply = std::string(kTimeoutReply);
                break;
            }
        }
        // Count down in tenths of a second, each time the tenth changes; the countdown
        // stands at 0.0 while a dump still arriving is waited for.
        const std::int64_t tenths = std::max<std::int64_t>(timeoutMs - (now - start), 0) / 100;
        if (tenths != shownTenths) {
            shownTenths = tenths;
            platform::SetMid(text, static_cast<std::int64_t>(text.size()) - kCountdownFromEnd, kCountdownWidth,
                             platform::Format(static_cast<double>(tenths) / 10.0, "  0.0"));
            platform::ShowStatusMessage(text);
        }
        for (int i = 0; i < 3; ++i)
            loop.processEvents(1);
    }
    windows().setManagerCaption("MIDI Manager");
    platform::ShowStatusMessage("", 0, 1);
    platform::SetBusyCursor(false);
    loop.processEvents(0);
    if (!damaged.empty())
        (void)platform::messages().messageBox(damaged, platform::MsgStyle::Exclamation, "Damaged Dump Received");
    return result;
}

}  // namespace

std::string MidiSystemStopped()
{
    const platform::MidiBackend* backend = objMIDIInit().backend();
    return (backend ? backend->systemName() : std::string("MIDI")) + " stopped";
}

// ---- sending

TransportResult SendLongSysex(std::string_view message)
{
    clsMIDIInit& init = objMIDIInit();
    platform::MidiBackend* backend = init.backend();
    if (message.empty() || !init.MidiOutOpen || !backend)
        return TransportResult::Failed;
    platform::SetBusyCursor(true);
    const MidiResult r = backend->sendMessage(bytesOf(message));
    MonitorLines line;
    line[MonitorField::Channel] = plain(init.MIDIDeviceNumber() + 1);
    line[MonitorField::Type] = "Long";
    line[MonitorField::RawMessage] = std::string(message);
    if (r != MidiResult::NoError) {
        // Cut by the MIDI system going away, which its own notice tells: the monitor says
        // what did not finish, and no box stands beside that notice.
        if (outputGoneUnder(true)) {
            line[MonitorField::Message] = "Long Sysex not sent completely: " + describeLong(message) + " - " +
                                          MidiSystemStopped();
            logLine(line);
        } else {
            (void)platform::messages().messageBox("MIDI output failed", platform::MsgStyle::Critical, "MIDI output");
        }
        platform::SetBusyCursor(false);
        return TransportResult::Failed;
    }
    line[MonitorField::Message] = "Long Sysex sent: " + describeLong(message);
    logLine(line);
    PostMidiNotification(MidiEventKind::OutputDone);
    platform::SetBusyCursor(false);
    return TransportResult::Ok;
}

TransportResult SendSysexSlice(SysexSliceStream& stream, std::span<const std::uint8_t> buffer, std::size_t offset,
                               std::size_t length, std::size_t* bytesNotSent)
{
    platform::MidiBackend* backend = objMIDIInit().backend();
    if (offset > buffer.size())
        offset = buffer.size();
    length = std::min(length, buffer.size() - offset);
    if (bytesNotSent)
        *bytesNotSent = 0;
    if (!backend || !objMIDIInit().MidiOutOpen) {
        // Nothing of this stream can go out any more: a message begun earlier ends here too.
        std::size_t lost = length;
        stream.finish([&](platform::MidiPiece&& p) { lost += p.bytes.size(); });
        logNotSent(lost, objMIDIInit().MidiSystemIsGone());
        if (bytesNotSent)
            *bytesNotSent = lost;
        return TransportResult::Failed;
    }
    const auto report = backend->sendStream(stream, buffer.subspan(offset, length));
    if (report.messagesSent > 0)
        PostMidiNotification(MidiEventKind::OutputDone);
    if (bytesNotSent)
        *bytesNotSent = report.bytesNotSent;
    if (report.bytesNotSent > 0) {
        logNotSent(report.bytesNotSent, outputGoneUnder(report.result != MidiResult::NoError));
        return TransportResult::Failed;
    }
    return TransportResult::Ok;
}

TransportResult EndSysexSlices(SysexSliceStream& stream, std::size_t* bytesNotSent)
{
    platform::MidiBackend* backend = objMIDIInit().backend();
    if (bytesNotSent)
        *bytesNotSent = 0;
    platform::MidiStreamReport report;
    if (backend)
        report = backend->finishStream(stream);
    else
        stream.finish([&](platform::MidiPiece&& p) { report.bytesNotSent += p.bytes.size(); });
    if (bytesNotSent)
        *bytesNotSent = report.bytesNotSent;
    if (report.bytesNotSent > 0) {
        logNotSent(report.bytesNotSent, objMIDIInit().MidiSystemIsGone());
        return TransportResult::Failed;
    }
    return TransportResult::Ok;
}

TransportResult SendShortMessage(std::string_view status, std::string_view data1, std::string_view data2,
                                 std::string_view resendLabel)
{
    clsMIDIInit& init = objMIDIInit();
    const bool withData = !data1.empty() || !data2.empty();
    std::uint32_t packed = 0;
    std::int32_t channel = 0;
    if (withData) {
        packed = firstByte(status) | (static_cast<std::uint32_t>(firstByte(data1)) << 8) |
                 (data2.empty() ? 0U : static_cast<std::uint32_t>(firstByte(data2)) << 16);
        channel = (firstByte(status) & 0x0F) + 1;
    } else {
        const double v = platform::Val(status);
        packed = v > 0 && v < 4294967296.0 ? static_cast<std::uint32_t>(v) : 0U;
    }
    platform::MidiBackend* backend = init.backend();
    const bool outputWasOpen = init.MidiOutOpen;
    const MidiResult r = backend ? backend->sendShort(packed) : MidiResult::InvalidHandle;
    if (r != MidiResult::NoError) {
        if (outputGoneUnder(outputWasOpen))
            return TransportResult::Failed;
        std::string text;
        init.Identify_Midi_Error(static_cast<std::int32_t>(r), text);
        (void)platform::messages().messageBox(text, platform::MsgStyle::Exclamation, std::string(kProgramTitle));
        return TransportResult::Failed;
    }
    MonitorLines line;
    line[MonitorField::Channel] = plain(channel);
    if (withData) {
        line[MonitorField::Message] = "Short Sysex sent:                       Status";
        line[MonitorField::Data1Title] = platform::Str(firstByte(status));
        line[MonitorField::Data1] = "Data";
        line[MonitorField::Data2Title] = platform::Str(firstByte(data1));
        line[MonitorField::Data2] = data2.empty() ? std::string() : platform::Str(firstByte(data2));
    } else {
        line[MonitorField::Message] = "Short Sysex resent:" + std::string(resendLabel);
    }
    logLine(line);
    return TransportResult::Ok;
}

void PlayAuditionNote(std::int32_t note)
{
    clsMIDIInit& init = objMIDIInit();
    if (!init.MidiOutOpen)
        return;
    const std::string status = oneChar(kNoteOn + init.MIDIOutChannel());
    (void)SendShortMessage(status, oneChar(note), oneChar(kAuditionVelocity), "");
    platform::PauseWithEvents(kAuditionHoldMs);
    (void)SendShortMessage(oneChar(kNoteOn + objMIDIInit().MIDIOutChannel()), oneChar(note), oneChar(0), "");
}

void PlayRandomiserNotes(std::int32_t durationMs)
{
    // Each failed note would bring its own error message: stop at the first.
    if (!objMIDIInit().MidiOutOpen)
        return;
    const std::int32_t hold = durationMs < 1 ? kRandomiserDefaultMs : durationMs;
    for (const std::int32_t offset : kRandomiserOffsets) {
        const std::string status = oneChar(kNoteOn + objMIDIInit().MIDIOutChannel());
        const std::string note = oneChar(kRandomiserRoot + offset);
        if (SendShortMessage(status, note, oneChar(kRandomiserVelocity), "") == TransportResult::Failed)
            return;
        platform::PauseWithEvents(hold);
        if (SendShortMessage(status, note, oneChar(0), "") == TransportResult::Failed)
            return;
        platform::eventLoop().processEvents(0);
    }
}

// ---- dump requests

std::string BuildDumpRequest(std::int16_t type, std::int16_t a, std::int16_t b, std::int16_t c)
{
    const auto device = static_cast<std::uint8_t>(kRequestSubStatus + (objMIDIInit().MIDIDeviceNumber() & 0x0F));
    std::string out;
    switch (type) {
    case 0:
    case 1:
    case 2:
    case 9:
    case 125:
        out = {static_cast<char>(kSysexStart), static_cast<char>(kYamaha), static_cast<char>(device),
               static_cast<char>(type), static_cast<char>(kSysexEnd)};
        return out;
    case 4:
    case 8:
    case 13: {
        const std::int32_t first = 4 * type + a;
        if (first < 0 || first > kDataMax || b < 0 || b > kDataMax || c < 0 || c > kDataMax)
            return {};
        out = {static_cast<char>(kSysexStart), static_cast<char>(kYamaha), static_cast<char>(device),
               static_cast<char>(first), static_cast<char>(b), static_cast<char>(c), static_cast<char>(kSysexEnd)};
        return out;
    }
    default:
        return {};
    }
}

bool RequestSequenceActive() { return g_sequenceActive; }

TransportResult RequestDumpAndWait(std::int16_t type, std::int32_t timeoutMs, std::string& reply, bool sendRequest)
{
    if (g_sequenceActive) {
        reply.clear();
        return TransportResult::Failed;
    }
    RequestSequence sequence(type);
    // A bank that finishes arriving after a detection probe has timed out still answers.
    return waitForDump(type, timeoutMs, reply, sendRequest, false);
}

std::string RequestDumpWithRetry(std::int16_t kind)
{
    if (g_sequenceActive)
        return {};
    const std::int16_t type = kind == 0 ? kDumpSingleVoice : kDumpBank;
    RequestSequence sequence(type);
    std::string reply;
    // Once a port has closed under a wait (the MIDI system went away, which the user has
    // been told), nothing can answer: no more questions.
    const clsMIDIInit& init = objMIDIInit();
    const clsMIDIInit::OpenPorts portsBefore = init.openPorts();
    for (;;) {
        if (waitForDump(type, kFirstWaitMs, reply, true, true) == TransportResult::Ok)
            return reply;
        if (reply == kDamagedReply || init.closedSince(portsBefore))
            return {};
        const MsgAnswer how = platform::messages().messageBox(
            "There was no response from your synth. \r\n\r\nAre you using a MKI DX7 (which does not respond to "
            "bulk dump requests), or would you like to send the data manually anyway ?\r\n\r\nIs so, please set "
            "your synth up to send data now and Click YES when you are ready.\r\nClick NO to resend the "
            "original dump request.",
            kNoResponseStyle, "No response to Bulk Dump Request");
        TransportResult second = TransportResult::Failed;
        if (how == MsgAnswer::Yes)
            second = waitForDump(type, kManualWaitMs, reply, false, true);
        else if (how == MsgAnswer::No)
            second = waitForDump(type, kFirstWaitMs, reply, true, true);
        else
            return {};
        if (second == TransportResult::Ok)
            return reply;
        if (reply == kDamagedReply || init.closedSince(portsBefore))
            return {};
        const MsgAnswer again = platform::messages().messageBox(
            "No data received at timeout\r\n\r\nWould you like to try again ?",
            platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "No data received");
        if (again != MsgAnswer::Yes)
            return {};
    }
}

void ResetMidiOutputState()
{
    ResetPendingRequest();
    g_sequenceActive = false;
}

}  // namespace midi
