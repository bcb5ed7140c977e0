// Brevane - services the windows provide to the code below them.
//
// Logic code never opens a window itself: it asks these services, which the
// shell implements with real widgets and tests replace with scripted fakes
// (see platform/testing/ScriptedServices.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Message box styles, as the sum of a button set and an icon.
namespace MsgStyle {
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int Critical = 16;  // stop sign
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int ButtonMask = 0x0F;
constexpr int IconMask = 0x70;
}  // namespace MsgStyle

// Message box answers. The values are pinned: callers compare with them.
enum class MsgAnswer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// Questions and notices for the user. Texts are byte strings (one character per byte, Latin-1).
class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a modal message box; style is a MsgStyle sum (0, 16, 35, 48, 49, 51, ...).
    [[nodiscard]] virtual MsgAnswer messageBox(const std::string& text, int style,
                                               const std::string& title) = 0;
    // Asks for one line of text; nullopt when the user cancels.
    [[nodiscard]] virtual std::optional<std::string> inputBox(const std::string& prompt,
                                                              const std::string& title,
                                                              const std::string& defaultText) = 0;
};

// The main window's running commentary and busy cursor.
class StatusService {
public:
    virtual ~StatusService() = default;
    virtual void setBusyCursor(bool busy) = 0;
    // Writes text into a status-bar panel (1-based); an empty text clears it.
    virtual void setStatusText(int panel, const std::string& text) = 0;
    // Repaints the main window at once.
    virtual void refreshMainWindow() = 0;
};

// A monotonic millisecond clock and the event loop, so waits keep the windows alive
// and tests can run a 15-second wait in no time.
class EventLoop {
public:
    // Names a timed call; 0 names none.
    using CallId = std::uint64_t;

    virtual ~EventLoop() = default;
    // Milliseconds on a monotonic clock.
    [[nodiscard]] virtual std::int64_t nowMs() = 0;
    // Handles pending events, blocking at most maxWaitMs for one to arrive.
    virtual void processEvents(int maxWaitMs) = 0;

    // Calls action once, ms milliseconds from now (at once for ms <= 0, but never from
    // inside this call), from whatever the event loop runs then: a wait, a long
    // operation, a dialog or a question. What has to happen at its time (a note off, the
    // end of a wait for the synthesizer) so never waits for the code that scheduled it to
    // get its turn back. Returns the call's id.
    virtual CallId callAfter(int ms, std::function<void()> action);
    // Takes back a call that has not run yet; nothing for one that ran or an unknown id.
    virtual void cancelCall(CallId id);

protected:
    // For loops without timers of their own: the calls whose time has come run, oldest
    // time first, each once, from processEvents.
    void runDueCalls();
    // Milliseconds until the next call is due (0 when one is due), -1 with none waiting.
    [[nodiscard]] std::int64_t msToNextCall();

private:
    struct PendingCall {
        CallId id;
        std::int64_t dueMs;
        std::function<void()> action;
    };
    std::vector<PendingCall> m_calls;
};

// A new call id, never given before in this run, whichever loop asks.
[[nodiscard]] EventLoop::CallId nextCallId();

// A call made once after a delay on the installed event loop (EventLoop::callAfter),
// which the owner takes back by stopping or destroying it. It never runs after that, even
// when the loop it was scheduled on is no longer the one installed.
class TimedCall {
public:
    TimedCall() = default;
    ~TimedCall() { stop(); }
    TimedCall(const TimedCall&) = delete;
    TimedCall& operator=(const TimedCall&) = delete;

    // Calls action once after ms milliseconds, replacing a call still waiting.
    void start(int ms, std::function<void()> action);
    void stop();
    [[nodiscard]] bool isActive() const { return m_id != 0; }

private:
    EventLoop* m_loop = nullptr;
    EventLoop::CallId m_id = 0;
    // Shared with the scheduled call, which runs only while this still holds it.
    std::shared_ptr<TimedCall*> m_self;
};

// What a file dialog is asked to show.
struct FileDialogRequest {
    std::string title;
    std::string initialFolder;  // empty: the dialog's own choice
    std::string fileName;       // proposed name (save) or initial selection (open)
    // Filter pairs: description ("DX voice (*.dat,*.syx)") and patterns ("*.dat;*.syx").
    std::vector<std::pair<std::string, std::string>> filters;
    int filterIndex = 1;  // 1-based
    bool multiSelect = false;
    bool promptOverwrite = true;  // save dialogs: ask before replacing a file
    std::string defaultExtension;  // without the dot
    std::string helpTopic;         // e.g. "MDIMain.htm#FileOpen"; empty: no Help button
};

struct FileDialogResult {
    bool accepted = false;
    std::vector<std::string> files;  // full paths
    int filterIndex = 1;
};

// Open and save dialogs.
class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    [[nodiscard]] virtual FileDialogResult openFile(const FileDialogRequest& request) = 0;
    [[nodiscard]] virtual FileDialogResult saveFile(const FileDialogRequest& request) = 0;
};

// Help topics ("MDIMain.htm#FileOpen"); an empty topic shows the contents.
class HelpService {
public:
    virtual ~HelpService() = default;
    virtual void showHelp(const std::string& topic) = 0;
};

// The installed services. Until something is installed, a quiet headless set is used:
// message boxes answer with their first button, input boxes and file dialogs cancel, the
// status and help go nowhere, and the clock is the system's steady clock.
MessageService& messages();
StatusService& status();
EventLoop& eventLoop();
FileDialogService& fileDialogs();
HelpService& help();

// Installs services (nullptr restores the headless default). The caller keeps ownership.
void installMessageService(MessageService* service);
void installStatusService(StatusService* service);
void installEventLoop(EventLoop* loop);
void installFileDialogService(FileDialogService* service);
void installHelpService(HelpService* service);

}  // namespace platform
