// Brevane - scripted stand-ins for the window services, for tests.
//
// Install one ScriptedServices for the duration of a test; it records every
// question, status text and cursor change, answers message boxes and input
// boxes from a script, and runs a virtual clock that advances only when code waits.
#pragma once

#include "platform/Services.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform::testing {

struct RecordedMessage {
    std::string text;
    int style = 0;
    std::string title;
    MsgAnswer answer = MsgAnswer::Ok;
};

struct RecordedStatus {
    int panel = 1;
    std::string text;
    std::int64_t atMs = 0;
};

class ScriptedServices final : public MessageService,
                               public StatusService,
                               public EventLoop,
                               public FileDialogService,
                               public HelpService {
public:
    // Installs itself on construction and restores the headless defaults on destruction.
    ScriptedServices();
    ~ScriptedServices() override;
    ScriptedServices(const ScriptedServices&) = delete;
    ScriptedServices& operator=(const ScriptedServices&) = delete;

    // Answers for the next message boxes, in order. When the script runs out, the
    // first button of the box is pressed (OK or Yes) and unexpectedMessages() counts it.
    void answer(MsgAnswer a) { m_answers.push_back(a); }
    // Answers for the next input boxes; nullopt cancels.
    void answerInput(std::optional<std::string> text) { m_inputs.push_back(std::move(text)); }

    // Answers for the next file dialogs (open or save), in order; when the script runs
    // out, the dialog is cancelled and unexpectedMessages() counts it.
    void answerFileDialog(FileDialogResult result) { m_fileAnswers.push_back(std::move(result)); }
    void answerFile(const std::string& path) { answerFileDialog({true, {path}, 1}); }

    // Called as each message box opens, before it is answered, for what runs while a modal
    // box is open (the event loop, other code); not for a box shown while it runs.
    void whileMessageShown(std::function<void(const std::string& text)> hook) { m_boxHook = std::move(hook); }
    // Called on every pump of the event loop with the virtual time, so a test can inject
    // events (a MIDI reply, a click) while code waits.
    void onProcessEvents(std::function<void(std::int64_t nowMs)> hook) { m_hook = std::move(hook); }
    // Timed calls (EventLoop::callAfter) run on the virtual clock, from processEvents,
    // after the hook.
    // Virtual milliseconds that pass on each processEvents call that asks to wait.
    void setTick(int ms) { m_tickMs = ms; }
    void advance(std::int64_t ms) { m_nowMs += ms; }

    const std::vector<RecordedMessage>& messagesShown() const { return m_shown; }
    const std::vector<std::string>& inputPrompts() const { return m_prompts; }
    const std::vector<FileDialogRequest>& fileDialogsShown() const { return m_fileRequests; }
    const std::vector<std::string>& helpTopicsShown() const { return m_helpTopics; }
    const std::vector<RecordedStatus>& statusHistory() const { return m_statuses; }
    std::string statusText(int panel = 1) const;
    bool busy() const { return m_busyDepth > 0; }
    int busyChanges() const { return m_busyChanges; }
    int unexpectedMessages() const { return m_unexpected; }
    int refreshCount() const { return m_refreshes; }
    void clear();

    // MessageService
    MsgAnswer messageBox(const std::string& text, int style, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    // StatusService
    void setBusyCursor(bool busy) override;
    void setStatusText(int panel, const std::string& text) override;
    void refreshMainWindow() override { ++m_refreshes; }
    // EventLoop
    std::int64_t nowMs() override { return m_nowMs; }
    void processEvents(int maxWaitMs) override;
    // FileDialogService
    FileDialogResult openFile(const FileDialogRequest& request) override;
    FileDialogResult saveFile(const FileDialogRequest& request) override;
    // HelpService
    void showHelp(const std::string& topic) override { m_helpTopics.push_back(topic); }

private:
    std::deque<MsgAnswer> m_answers;
    std::deque<std::optional<std::string>> m_inputs;
    std::deque<FileDialogResult> m_fileAnswers;
    std::vector<FileDialogRequest> m_fileRequests;
    std::vector<std::string> m_helpTopics;
    std::vector<RecordedMessage> m_shown;
    std::vector<std::string> m_prompts;
    std::vector<RecordedStatus> m_statuses;
    std::vector<std::string> m_panels = std::vector<std::string>(4);
    std::function<void(std::int64_t)> m_hook;
    std::function<void(const std::string&)> m_boxHook;
    bool m_inBoxHook = false;
    std::int64_t m_nowMs = 1'000'000;
    int m_tickMs = 1;
    int m_busyDepth = 0;
    int m_busyChanges = 0;
    int m_unexpected = 0;
    int m_refreshes = 0;
};

}  // namespace platform::testing
