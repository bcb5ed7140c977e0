// Brevane - the road to the MIDI output, and dump requests with their wait for a reply.
#include "midi/modMidiOutput.h"

#include "midi/AuditionNote.h"
#include "midi/MidiWindows.h"
#include "midi/TimedPhrase.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace midi {
namespace {

using platform::MidiEventKind;
using platform::MidiResult;

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kYamaha = 0x43;
constexpr std::uint8_t kRequestSubStatus = 0x20;  // F0 43 2n: a dump or parameter request
constexpr std::uint8_t kDataMax = 0x7F;

// Long messages shorter than this are logged byte by byte, longer ones by their length.
constexpr std::size_t kLogBytesBelow = 12;

constexpr std::int32_t kRandomiserVelocity = 50;
constexpr std::int32_t kRandomiserDefaultMs = 300;
constexpr std::int32_t kRandomiserRoot = 60;
constexpr std::array<std::int32_t, 13> kRandomiserOffsets = {0, 4, 7, 12, 16, 19, 24, 19, 16, 12, 7, 4, 0};

std::span<const std::uint8_t> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Decimal text without the blank that stands for a plus sign.
std::string plain(std::int64_t v) { return platform::Trim(platform::Str(v)); }

std::uint8_t firstByte(std::string_view s) { return s.empty() ? 0 : static_cast<std::uint8_t>(s.front()); }

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

void PlayAuditionNote(std::int32_t note) { auditionNote().play(note); }

void PlayRandomiserNotes(std::int32_t durationMs, std::function<void()> ended)
{
    const std::int32_t hold = durationMs < 1 ? kRandomiserDefaultMs : durationMs;
    std::vector<PhraseNote> notes;
    for (const std::int32_t offset : kRandomiserOffsets)
        notes.push_back({kRandomiserRoot + offset, kRandomiserVelocity, hold, 0});
    // Each failed note would bring its own error message: the first ends the phrase.
    timedPhrase().play(std::move(notes), TimedPhrase::Failure::Stop, std::move(ended));
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

}  // namespace midi
