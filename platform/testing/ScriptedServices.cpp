// Brevane - scripted stand-ins for the window services, for tests.
#include "platform/testing/ScriptedServices.h"

#include <algorithm>

namespace platform::testing {

ScriptedServices::ScriptedServices()
{
    installMessageService(this);
    installStatusService(this);
    installEventLoop(this);
    installFileDialogService(this);
    installHelpService(this);
}

ScriptedServices::~ScriptedServices()
{
    installMessageService(nullptr);
    installStatusService(nullptr);
    installEventLoop(nullptr);
    installFileDialogService(nullptr);
    installHelpService(nullptr);
}

std::string ScriptedServices::statusText(int panel) const
{
    if (panel < 0 || panel >= static_cast<int>(m_panels.size()))
        return {};
    return m_panels[static_cast<std::size_t>(panel)];
}

void ScriptedServices::clear()
{
    m_shown.clear();
    m_prompts.clear();
    m_statuses.clear();
    m_unexpected = 0;
    m_busyChanges = 0;
    m_refreshes = 0;
    m_fileRequests.clear();
    m_helpTopics.clear();
}

MsgAnswer ScriptedServices::messageBox(const std::string& text, int style, const std::string& title)
{
    if (m_boxHook && !m_inBoxHook) {
        m_inBoxHook = true;
        // A copy: the hook may replace itself.
        const auto hook = m_boxHook;
        hook(text);
        m_inBoxHook = false;
    }
    MsgAnswer a;
    if (!m_answers.empty()) {
        a = m_answers.front();
        m_answers.pop_front();
    } else {
        ++m_unexpected;
        const int buttons = style & MsgStyle::ButtonMask;
        a = (buttons == MsgStyle::YesNo || buttons == MsgStyle::YesNoCancel) ? MsgAnswer::Yes
                                                                           : MsgAnswer::Ok;
    }
    m_shown.push_back({text, style, title, a});
    return a;
}

std::optional<std::string> ScriptedServices::inputBox(const std::string& prompt, const std::string&,
                                                      const std::string&)
{
    m_prompts.push_back(prompt);
    if (m_inputs.empty()) {
        ++m_unexpected;
        return std::nullopt;
    }
    auto v = m_inputs.front();
    m_inputs.pop_front();
    return v;
}

void ScriptedServices::setBusyCursor(bool busy)
{
    ++m_busyChanges;
    m_busyDepth = busy ? 1 : 0;
}

void ScriptedServices::setStatusText(int panel, const std::string& text)
{
    if (panel >= static_cast<int>(m_panels.size()))
        m_panels.resize(static_cast<std::size_t>(panel) + 1);
    if (panel >= 0)
        m_panels[static_cast<std::size_t>(panel)] = text;
    m_statuses.push_back({panel, text, m_nowMs});
}

FileDialogResult ScriptedServices::openFile(const FileDialogRequest& request)
{
    m_fileRequests.push_back(request);
    if (m_fileAnswers.empty()) {
        ++m_unexpected;
        return {};
    }
    auto r = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return r;
}

FileDialogResult ScriptedServices::saveFile(const FileDialogRequest& request) { return openFile(request); }

void ScriptedServices::processEvents(int maxWaitMs)
{
    if (maxWaitMs > 0)
        m_nowMs += std::min(maxWaitMs, std::max(m_tickMs, 1));
    if (m_hook)
        m_hook(m_nowMs);
    runDueCalls();
}

}  // namespace platform::testing
