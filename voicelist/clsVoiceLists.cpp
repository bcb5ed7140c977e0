// Brevane - the registry of open voice-list windows.
#include "voicelist/clsVoiceLists.h"

#include "banklib/AppState.h"
#include "banklib/GeneratorView.h"
#include "midi/MidiTransfers.h"
#include "platform/FileIO.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/VbText.h"
#include "shell/frmStartup.h"
#include "voicelist/frmVoiceList.h"

#include <algorithm>

namespace shell {

clsVoiceLists::clsVoiceLists(std::function<QMdiArea*()> area) : m_area(std::move(area)) {}

clsVoiceLists::~clsVoiceLists()
{
    // Windows still registered belong to the MDI area (or to no one when never shown).
    for (frmVoiceList* w : m_windows)
        if (!w->loaded())
            delete w;
}

void clsVoiceLists::setID(const std::string& id)
{
    if (m_idSet) {
        (void)platform::messages().messageBox("Error: VoiceList form ID already set",
                                              platform::MsgStyle::Critical, "");
        return;
    }
    m_id = id;
    m_idSet = true;
}

std::int16_t clsVoiceLists::NextFileNo() { return static_cast<std::int16_t>(m_fileCounter + 1); }

std::string clsVoiceLists::GetFileTitle(const std::string& path) { return banklib::clsVoiceLists::GetFileTitle(path); }

banklib::FileCheck clsVoiceLists::CheckFileIntegrity(std::string& fname, banklib::FileType& fileType, bool quiet)
{
    banklib::clsVoiceLists check;
    return check.CheckFileIntegrity(fname, fileType, quiet);
}

banklib::FileType clsVoiceLists::GetFileType(std::int64_t length) { return banklib::clsVoiceLists::GetFileType(length); }

bool clsVoiceLists::FindOpenList(const std::string& path, std::string& key) const
{
    const std::string wanted = platform::canonicalPath(path);
    for (const frmVoiceList* w : m_windows) {
        if (w->FileName() == path || platform::canonicalPath(w->FileName()) == wanted) {
            key = w->ListID();
            return true;
        }
    }
    return false;
}

bool clsVoiceLists::closeForReopen(const std::string& path)
{
    std::string key;
    if (!FindOpenList(path, key))
        return true;
    const platform::MsgAnswer answer = platform::messages().messageBox(
        "You already have a file open with this name.\r\nRevert to last saved version ?",
        platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "File already open");
    if (answer != platform::MsgAnswer::Yes)
        return false;
    // The open window closes with its own questions; when it stays open (its save was
    // cancelled) the file is not opened a second time.
    frmVoiceList* open = window(key);
    return open == nullptr || open->unload();
}

banklib::VoiceListView* clsVoiceLists::Add(const std::string& path, bool& cancel, banklib::FileType& fileType)
{
    cancel = false;
    if (!closeForReopen(path)) {
        cancel = true;
        return nullptr;
    }

    std::string name = path;
    if (CheckFileIntegrity(name, fileType, false) != banklib::FileCheck::Ok) {
        fileType = banklib::FileType::NotFound;
        return nullptr;
    }
    m_lastFileType = fileType;
    auto* w = new frmVoiceList(m_area ? m_area() : nullptr);
    // The list auditions its voices on the synthesizer, and sends a new name there too.
    QObject::connect(w, &frmVoiceList::voiceAuditionRequested, w, [w](int voice, int buttons, bool allowScale) {
        midi::SendPatchToMidi(*w, voice, buttons, allowScale);
    });
    QObject::connect(w, &frmVoiceList::voiceRenamed, w, [](int, platform::Bookmark, const QString&, const QString& name) {
        midi::SendPatchNameToMidi(platform::toBytes(name));
    });
    ++m_fileCounter;
    w->setListID("L" + platform::Format(m_fileCounter, "0000"));
    w->setFileName(path);
    w->setFileType(fileType);
    w->setFileTitle(GetFileTitle(path));
    w->setFilePath(path.substr(0, path.size() - w->FileTitle().size()));
    m_windows.push_back(w);
    banklib::appState().frmRandomiseVoices().listAdded(*w);
    SetSendCommands();
    return w;
}

void clsVoiceLists::Delete(const std::string& listID)
{
    const auto it = std::find_if(m_windows.begin(), m_windows.end(),
                                 [&](const frmVoiceList* w) { return w->ListID() == listID; });
    if (it == m_windows.end())
        return;
    frmVoiceList* w = *it;
    if (banklib::appState().frmRandomiseVoices().isWorkListFile(w->FileName()))
        banklib::appState().frmRandomiseVoices().ResetState();
    m_windows.erase(it);
    banklib::appState().frmRandomiseVoices().listRemoved(listID);
    // A window that was never shown has no MDI frame to delete it.
    if (!w->loaded())
        w->deleteLater();
    SetSendCommands();
}

banklib::VoiceListView* clsVoiceLists::Item(const std::string& listID) { return window(listID); }

banklib::VoiceListView* clsVoiceLists::Item(std::int32_t position)
{
    if (position < 1 || position > count())
        return nullptr;
    return m_windows[static_cast<std::size_t>(position - 1)];
}

std::vector<banklib::VoiceListView*> clsVoiceLists::lists()
{
    return {m_windows.begin(), m_windows.end()};
}

frmVoiceList* clsVoiceLists::window(const std::string& listID) const
{
    for (frmVoiceList* w : m_windows)
        if (w->ListID() == listID)
            return w;
    return nullptr;
}

bool clsVoiceLists::contains(const frmVoiceList* window) const
{
    return std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end();
}

void clsVoiceLists::SetSendCommands()
{
    if (frmStartup* main = frmStartup::instance())
        main->updateCommands();
}

}  // namespace shell
