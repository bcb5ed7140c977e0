// Brevane - the installed services and their quiet headless defaults.
#include "platform/Services.h"

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
        if (maxWaitMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(maxWaitMs));
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

}  // namespace

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
