// Brevane - the installed services and their quiet headless defaults.
#include "platform/Services.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {

class HeadlessMessages final : public MessageService {
public:
    MsgAnswer messageBox(const std::string&, int style, const std::string&) override
    {
        // Answer with the first button of the set, as pressing Enter would.
        switch (style & MsgStyle::ButtonMask) {
        case MsgStyle::YesNoCancel:
        case MsgStyle::YesNo:
            return MsgAnswer::Yes;
        case 2:  // Abort, Retry, Ignore
            return MsgAnswer::Abort;
        case 5:  // Retry, Cancel
            return MsgAnswer::Retry;
        default:
            return MsgAnswer::Ok;
        }
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override
    {
        return std::nullopt;
    }
};

class HeadlessStatus final : public StatusService {
public:
    void setBusyCursor(bool) override {}
    void setStatusText(int, const std::string&) override {}
    void refreshMainWindow() override {}
};

class SteadyLoop final : public EventLoop {
public:
    std::int64_t nowMs() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void processEvents(int maxWaitMs) override
    {
        std::int64_t sleep = maxWaitMs;
        if (const std::int64_t next = msToNextCall(); next >= 0)
            sleep = std::min(sleep, next);
        if (sleep > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(sleep));
        runDueCalls();
    }
};

class HeadlessDialogs final : public FileDialogService, public HelpService {
public:
    FileDialogResult openFile(const FileDialogRequest&) override { return {}; }
    FileDialogResult saveFile(const FileDialogRequest&) override { return {}; }
    void showHelp(const std::string&) override {}
};

HeadlessMessages g_headlessMessages;
HeadlessDialogs g_headlessDialogs;
HeadlessStatus g_headlessStatus;
SteadyLoop g_steadyLoop;

MessageService* g_messages = &g_headlessMessages;
StatusService* g_status = &g_headlessStatus;
EventLoop* g_loop = &g_steadyLoop;
FileDialogService* g_dialogs = &g_headlessDialogs;
HelpService* g_help = &g_headlessDialogs;

std::atomic<EventLoop::CallId> g_lastCallId{0};

}  // namespace

EventLoop::CallId nextCallId() { return ++g_lastCallId; }

// ---- timed calls of loops without timers of their own

EventLoop::CallId EventLoop::callAfter(int ms, std::function<void()> action)
{
    const CallId id = nextCallId();
    m_calls.push_back({id, nowMs() + std::max(ms, 0), std::move(action)});
    return id;
}

void EventLoop::cancelCall(CallId id)
{
    std::erase_if(m_calls, [id](const PendingCall& c) { return c.id == id; });
}

void EventLoop::runDueCalls()
{
    // A call may schedule or cancel others: take one due call at a time, afresh.
    for (;;) {
        const std::int64_t now = nowMs();
        auto due = m_calls.end();
        for (auto it = m_calls.begin(); it != m_calls.end(); ++it)
            if (it->dueMs <= now && (due == m_calls.end() || it->dueMs < due->dueMs))
                due = it;
        if (due == m_calls.end())
            return;
        std::function<void()> action = std::move(due->action);
        m_calls.erase(due);
        if (action)
            action();
    }
}

std::int64_t EventLoop::msToNextCall()
{
    if (m_calls.empty())
        return -1;
    std::int64_t next = m_calls.front().dueMs;
    for (const PendingCall& c : m_calls)
        next = std::min(next, c.dueMs);
    return std::max<std::int64_t>(next - nowMs(), 0);
}

// ---- TimedCall

void TimedCall::start(int ms, std::function<void()> action)
{
    stop();
    m_self = std::make_shared<TimedCall*>(this);
    m_loop = &eventLoop();
    m_id = m_loop->callAfter(ms, [self = std::weak_ptr<TimedCall*>(m_self), action = std::move(action)] {
        const std::shared_ptr<TimedCall*> alive = self.lock();
        if (!alive)
            return;
        TimedCall& call = **alive;
        call.m_id = 0;
        call.m_loop = nullptr;
        call.m_self.reset();
        // The action may start this call again or destroy its owner: it runs from a copy.
        const std::function<void()> run = action;
        run();
    });
}

void TimedCall::stop()
{
    // A loop no longer installed may be gone: its call, if it ever runs, finds itself
    // taken back.
    if (m_id != 0 && m_loop == &eventLoop())
        m_loop->cancelCall(m_id);
    m_id = 0;
    m_loop = nullptr;
    m_self.reset();
}

MessageService& messages() { return *g_messages; }
StatusService& status() { return *g_status; }
EventLoop& eventLoop() { return *g_loop; }
FileDialogService& fileDialogs() { return *g_dialogs; }
HelpService& help() { return *g_help; }

void installMessageService(MessageService* service)
{
    g_messages = service ? service : &g_headlessMessages;
}
void installStatusService(StatusService* service)
{
    g_status = service ? service : &g_headlessStatus;
}
void installEventLoop(EventLoop* loop) { g_loop = loop ? loop : &g_steadyLoop; }
void installFileDialogService(FileDialogService* service)
{
    g_dialogs = service ? service : &g_headlessDialogs;
}
void installHelpService(HelpService* service) { g_help = service ? service : &g_headlessDialogs; }

}  // namespace platform
