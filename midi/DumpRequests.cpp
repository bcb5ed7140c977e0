// Brevane - dump requests and their waits for the synthesizer's reply.
//
// A request sequence runs on the event loop's timed calls, not in a loop of its own: its
// countdown, its time-out and the end of a dump cut short come at their time from
// whatever the program runs then (a question, a dialog the user opened meanwhile), and the
// command that started it has long returned. The blocking forms wait for the sequence's
// end and are what the synthesizer detection and the tests use.
#include "midi/modMidiOutput.h"

#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>

namespace midi {
namespace {

using platform::MsgAnswer;

constexpr std::int32_t kFirstWaitMs = 2000;
constexpr std::int32_t kManualWaitMs = 15000;
// When a wait's time is up while the dump asked for is still arriving, the wait goes on
// until its sender has been quiet this long. At cable speed a byte comes every 0.32 ms;
// a slow interface or a merger passes data on in packets some tens of milliseconds apart,
// and a JACK server with long periods (8192 frames at 44.1 kHz is 186 ms) delivers in
// batches as far apart. Half a second is well beyond all of them, and short enough that a
// dump whose end was lost is said at once.
constexpr auto kDumpQuietGap = std::chrono::milliseconds(500);
// ... but never longer than this past its time-out, however slowly its bytes keep coming
// (a whole bank takes 1.3 s at cable speed): a sender that never ends its dump is cut off
// there, and what came is the damaged answer.
constexpr std::int64_t kLongestOverrunMs = 60000;
constexpr std::int32_t kReceivedPauseMs = 1000;
// How often a wait looks at what has come and counts down.
constexpr int kWaitTickMs = 10;
// Message box style of the no-response question: Yes/No/Cancel, exclamation, Help button.
constexpr int kNoResponseStyle = 16435;

// The countdown tail of the status text during a wait; the remaining time overwrites it
// from its hyphen, which stands 28 characters before the end.
constexpr std::string_view kCountdownTail = " -       secs. left to timeout";
constexpr std::int64_t kCountdownFromEnd = 28;
constexpr std::int64_t kCountdownWidth = 6;
// What the status bar says while a dump still arriving is waited for past the time-out.
constexpr std::string_view kStillArriving = "Sysex data still arriving - press Esc to stop receiving";

bool g_sequenceActive = false;
WaitEnd g_lastEnd = WaitEnd::None;

void logLine(const MonitorLines& line) { windows().managerData().AddMessage(line, false); }

// One request sequence: one request with its wait, or a request with its retries, the
// manual path and the questions between them. The dump type stays pending from start to
// end, and a reply left from before the request is never taken for its answer.
class RequestRun final : public std::enable_shared_from_this<RequestRun> {
public:
    using Done = std::function<void(TransportResult, std::string)>;

    // withRetry: the sequence of RequestDumpWithRetry; else one wait of timeoutMs, whose
    // request is sent when sendRequest says so, and a bank that finishes arriving after
    // the time is up is left to whoever asks next.
    RequestRun(std::int16_t type, bool withRetry, std::int32_t timeoutMs, bool sendRequest, Done done)
        : m_type(type), m_withRetry(withRetry), m_timeoutMs(timeoutMs), m_sendRequest(sendRequest),
          m_done(std::move(done))
    {
    }

    static std::shared_ptr<RequestRun>& current()
    {
        static std::shared_ptr<RequestRun> run;
        return run;
    }

    void begin()
    {
        g_sequenceActive = true;
        g_lastEnd = WaitEnd::None;
        BeginPendingRequest(m_type);
        windows().setRequestWaiting(true);
        m_portsBefore = objMIDIInit().openPorts();
        if (m_withRetry)
            startAttempt(kFirstWaitMs, true, true);
        else
            startAttempt(m_timeoutMs, m_sendRequest, false);
    }

    // The user (or the program's closing) ends the wait now. A wait running ends at once;
    // between attempts (a question on screen) the sequence ends when it is answered.
    void end(WaitEnd how)
    {
        if (m_endAsked == WaitEnd::None)
            m_endAsked = how;
        const std::shared_ptr<RequestRun> self = shared_from_this();
        if (m_phase == Phase::Waiting) {
            m_tick.stop();
            tick();
        } else if (m_phase == Phase::Notice) {
            m_tick.stop();
            attemptEnded(TransportResult::Ok, std::move(m_reply));
        }
    }

    // Ends the sequence without a word (the transport's state is reset): whoever waits
    // for it hears that nothing came.
    void drop()
    {
        const std::shared_ptr<RequestRun> self = shared_from_this();
        m_tick.stop();
        m_phase = Phase::Done;
        if (Done done = std::move(m_done))
            done(TransportResult::Failed, std::string());
    }

private:
    enum class Phase { Idle, Waiting, Notice, Between, Done };
    // Which wait of a sequence with retries runs.
    enum class Stage { First, Second };

    void startAttempt(std::int32_t timeoutMs, bool sendRequest, bool endCutDump)
    {
        clsMIDIInit& init = objMIDIInit();
        m_attemptTimeoutMs = timeoutMs;
        m_endCutDump = endCutDump;
        m_damaged.clear();
        m_reply.clear();
        m_overrun = false;
        m_shownTenths = -1;
        platform::SetBusyCursor(true);
        SetPendingRequest(m_type);
        if (sendRequest) {
            const std::string request = BuildDumpRequest(m_type, 0, 0, 0);
            if (request.empty()) {
                (void)platform::messages().messageBox("Unknown dump type requested", platform::MsgStyle::OkOnly,
                                                      std::string(kProgramTitle));
                platform::SetBusyCursor(false);
                attemptEnded(TransportResult::Failed, std::string());
                return;
            }
            const bool outputWasOpen = init.MidiOutOpen;
            if (SendLongSysex(request) == TransportResult::Failed) {
                if (!init.closedSince({false, outputWasOpen}))
                    (void)platform::messages().messageBox("MIDI Output failed", platform::MsgStyle::OkOnly,
                                                          std::string(kProgramTitle));
                platform::SetBusyCursor(false);
                attemptEnded(TransportResult::Failed, std::string());
                return;
            }
            m_text = "Detecting using device no." + platform::Str(init.MIDIDeviceNumber() + 1);
        } else {
            m_text = "PLEASE SEND DATA NOW -  ";
        }
        m_text += kCountdownTail;
        platform::ShowStatusMessage(m_text);
        m_start = platform::eventLoop().nowMs();
        m_inputWasOpen = init.MidiInOpen;
        m_phase = Phase::Waiting;
        tick();
    }

    // Takes the answer once the input has handed one over, whole or damaged.
    bool answered()
    {
        if (ReceivedSysex() != kNoData) {
            m_reply = TakeReceivedSysex();
            // The notice stands a second before the sequence goes on; the program's
            // closing cuts it short.
            platform::ShowStatusMessage("Sysex received on device " +
                                        platform::Str(objMIDIInit().MIDIDeviceNumber() + 1));
            if (m_endAsked == WaitEnd::ByExit) {
                attemptEnded(TransportResult::Ok, std::move(m_reply));
                return true;
            }
            m_phase = Phase::Notice;
            m_tick.start(kReceivedPauseMs, [this] {
                const std::shared_ptr<RequestRun> self = shared_from_this();
                attemptEnded(TransportResult::Ok, std::move(m_reply));
            });
            return true;
        }
        if (std::string taken = TakeDamagedReply(); !taken.empty()) {
            m_damaged = std::move(taken);
            attemptEnded(TransportResult::Failed, std::string(kDamagedReply));
            return true;
        }
        return false;
    }

    void tick()
    {
        if (m_phase != Phase::Waiting)
            return;
        const std::shared_ptr<RequestRun> self = shared_from_this();
        clsMIDIInit& init = objMIDIInit();
        ProcessMidiInput();
        if (answered())
            return;
        // The input closed or died under the wait (the MIDI system went away): nothing can come.
        if (init.closedSince({m_inputWasOpen, false})) {
            attemptEnded(TransportResult::Failed, std::string());
            return;
        }
        const std::int64_t now = platform::eventLoop().nowMs();
        const std::int64_t timeUp = m_start + m_attemptTimeoutMs;
        // Ended by the user, the program's closing, or the longest a dump may run over.
        const bool cut = m_endAsked != WaitEnd::None || now >= timeUp + kLongestOverrunMs;
        if (cut || now >= timeUp) {
            using Arriving = platform::MidiBackend::ArrivingSysex;
            platform::MidiBackend* backend = init.backend();
            const std::int16_t type = m_type;
            const auto asked = [type](std::span<const std::uint8_t> b) { return DumpAnswersRequest(b, type); };
            Arriving arriving = Arriving::None;
            if (backend && cut)
                arriving = backend->endArrivingSysex(asked, std::chrono::milliseconds(0));
            else if (backend && m_endCutDump)
                arriving = backend->endArrivingSysex(asked, kDumpQuietGap);
            if (arriving != Arriving::StillComing) {
                // What the input finished meanwhile (a dump just ended, or one that ended
                // by itself a moment ago) still answers.
                ProcessMidiInput();
                if (answered())
                    return;
                if (m_endAsked != WaitEnd::None) {
                    attemptEnded(TransportResult::Failed, std::string(kEndedReply));
                    return;
                }
                MonitorLines line;
                line[MonitorField::Message] = "Timeout - no data received";
                logLine(line);
                attemptEnded(TransportResult::Failed, std::string(kTimeoutReply));
                return;
            }
            // Written again as the countdown is, each tenth of a second, so that it comes
            // back after another text (a file opened meanwhile) has taken its place.
            const std::int64_t overTenths = (now - timeUp) / 100;
            if (!m_overrun || overTenths != m_shownTenths) {
                m_overrun = true;
                m_shownTenths = overTenths;
                platform::ShowStatusMessage(std::string(kStillArriving));
            }
        }
        // Count down in tenths of a second, each time the tenth changes.
        const std::int64_t tenths = std::max<std::int64_t>(m_attemptTimeoutMs - (now - m_start), 0) / 100;
        if (!m_overrun && tenths != m_shownTenths) {
            m_shownTenths = tenths;
            platform::SetMid(m_text, static_cast<std::int64_t>(m_text.size()) - kCountdownFromEnd, kCountdownWidth,
                             platform::Format(static_cast<double>(tenths) / 10.0, "  0.0"));
            platform::ShowStatusMessage(m_text);
        }
        m_tick.start(kWaitTickMs, [this] { tick(); });
    }

    // One wait has ended: its reply, "Timeout", "Damaged", "Ended", or "" when the request
    // could not go out or the input went away.
    void attemptEnded(TransportResult result, std::string reply)
    {
        const std::shared_ptr<RequestRun> self = shared_from_this();
        m_phase = Phase::Between;
        windows().setManagerCaption("MIDI Manager");
        platform::ShowStatusMessage("", 0, 1);
        platform::SetBusyCursor(false);
        if (!m_damaged.empty())
            (void)platform::messages().messageBox(std::exchange(m_damaged, std::string()),
                                                  platform::MsgStyle::Exclamation, "Damaged Dump Received");
        if (m_phase == Phase::Done)
            return;
        if (!m_withRetry) {
            finish(result, std::move(reply));
            return;
        }
        next(result, std::move(reply));
    }

    // The sequence with retries after a wait: the reply, or a question and the next wait.
    void next(TransportResult result, std::string reply)
    {
        if (result == TransportResult::Ok) {
            finish(result, std::move(reply));
            return;
        }
        // Once a port has closed under a wait (the MIDI system went away, which the user has
        // been told), nothing can answer: no more questions; nor when the user ended the wait.
        const clsMIDIInit& init = objMIDIInit();
        const auto over = [&] {
            return reply == kDamagedReply || m_endAsked != WaitEnd::None || init.closedSince(m_portsBefore);
        };
        if (over()) {
            finish(TransportResult::Failed, std::string());
            return;
        }
        if (m_stage == Stage::First) {
            const MsgAnswer how = platform::messages().messageBox(
                "There was no response from your synth. \r\n\r\nAre you using a MKI DX7 (which does not respond "
                "to bulk dump requests), or would you like to send the data manually anyway ?\r\n\r\nIs so, please "
                "set your synth up to send data now and Click YES when you are ready.\r\nClick NO to resend the "
                "original dump request.",
                kNoResponseStyle, "No response to Bulk Dump Request");
            if (m_phase == Phase::Done)
                return;
            if (m_endAsked != WaitEnd::None || (how != MsgAnswer::Yes && how != MsgAnswer::No)) {
                finish(TransportResult::Failed, std::string());
                return;
            }
            m_stage = Stage::Second;
            if (how == MsgAnswer::Yes)
                startAttempt(kManualWaitMs, false, true);
            else
                startAttempt(kFirstWaitMs, true, true);
            return;
        }
        const MsgAnswer again = platform::messages().messageBox(
            "No data received at timeout\r\n\r\nWould you like to try again ?",
            platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "No data received");
        if (m_phase == Phase::Done)
            return;
        if (again != MsgAnswer::Yes || m_endAsked != WaitEnd::None) {
            finish(TransportResult::Failed, std::string());
            return;
        }
        m_stage = Stage::First;
        startAttempt(kFirstWaitMs, true, true);
    }

    void finish(TransportResult result, std::string reply)
    {
        const std::shared_ptr<RequestRun> self = shared_from_this();
        m_phase = Phase::Done;
        m_tick.stop();
        SetPendingRequest(-1);
        g_sequenceActive = false;
        g_lastEnd = m_endAsked;
        if (current().get() == this)
            current().reset();
        windows().setRequestWaiting(false);
        if (Done done = std::move(m_done))
            done(result, std::move(reply));
    }

    const std::int16_t m_type;
    const bool m_withRetry;
    const std::int32_t m_timeoutMs;
    const bool m_sendRequest;
    Done m_done;

    Phase m_phase = Phase::Idle;
    Stage m_stage = Stage::First;
    WaitEnd m_endAsked = WaitEnd::None;
    clsMIDIInit::OpenPorts m_portsBefore{};
    platform::TimedCall m_tick;

    // The wait running.
    std::int32_t m_attemptTimeoutMs = 0;
    bool m_endCutDump = false;
    bool m_inputWasOpen = false;
    bool m_overrun = false;
    std::int64_t m_start = 0;
    std::int64_t m_shownTenths = -1;
    std::string m_text;
    std::string m_reply;
    std::string m_damaged;
};

bool startRun(std::int16_t type, bool withRetry, std::int32_t timeoutMs, bool sendRequest, RequestRun::Done done)
{
    if (g_sequenceActive)
        return false;
    auto run = std::make_shared<RequestRun>(type, withRetry, timeoutMs, sendRequest, std::move(done));
    RequestRun::current() = run;
    run->begin();
    return true;
}

// Waits for the end of a sequence that was started, keeping the windows alive.
void waitForEnd(const bool& ended)
{
    while (!ended)
        platform::eventLoop().processEvents(kWaitTickMs);
}

}  // namespace

bool RequestSequenceActive() { return g_sequenceActive; }

bool StartDumpRequest(std::int16_t type, std::int32_t timeoutMs, bool sendRequest, DumpRequestDone done)
{
    return startRun(type, false, timeoutMs, sendRequest, std::move(done));
}

bool StartDumpRequestWithRetry(std::int16_t kind, std::function<void(std::string reply)> done)
{
    const std::int16_t type = kind == 0 ? kDumpSingleVoice : kDumpBank;
    return startRun(type, true, 0, true, [done = std::move(done)](TransportResult, std::string reply) {
        if (done)
            done(std::move(reply));
    });
}

TransportResult RequestDumpAndWait(std::int16_t type, std::int32_t timeoutMs, std::string& reply, bool sendRequest)
{
    bool ended = false;
    TransportResult result = TransportResult::Failed;
    std::string answer;
    if (!StartDumpRequest(type, timeoutMs, sendRequest, [&](TransportResult r, std::string got) {
            result = r;
            answer = std::move(got);
            ended = true;
        })) {
        reply.clear();
        return TransportResult::Failed;
    }
    waitForEnd(ended);
    reply = std::move(answer);
    return result;
}

std::string RequestDumpWithRetry(std::int16_t kind)
{
    bool ended = false;
    std::string answer;
    if (!StartDumpRequestWithRetry(kind, [&](std::string got) {
            answer = std::move(got);
            ended = true;
        }))
        return {};
    waitForEnd(ended);
    return answer;
}

bool EndDumpWait(WaitEnd how)
{
    const std::shared_ptr<RequestRun> run = RequestRun::current();
    if (!run || how == WaitEnd::None)
        return false;
    run->end(how);
    return true;
}

WaitEnd LastDumpWaitEnd() { return g_lastEnd; }

void ResetMidiOutputState()
{
    if (const std::shared_ptr<RequestRun> run = std::exchange(RequestRun::current(), nullptr))
        run->drop();
    ResetPendingRequest();
    g_sequenceActive = false;
    g_lastEnd = WaitEnd::None;
}

}  // namespace midi
