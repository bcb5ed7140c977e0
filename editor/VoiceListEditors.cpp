// Brevane - a voice list's open editors: opening a voice, following renames, closing.
#include "editor/VoiceListEditors.h"

#include "banklib/AppState.h"
#include "banklib/BusyCursor.h"
#include "banklib/Crc32.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/clsVoiceData.h"
#include "editor/frmAlgorithms.h"
#include "editor/frmVoiceEditor.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "shell/frmStartup.h"
#include "voicelist/frmVoiceList.h"

#include <QMdiArea>
#include <QPointer>

namespace editor {
namespace {

QMdiArea* mainArea()
{
    shell::frmStartup* main = shell::frmStartup::instance();
    return main != nullptr ? main->mdiArea() : nullptr;
}

}  // namespace

VoiceListEditors::VoiceListEditors(shell::frmVoiceList& list) : QObject(&list), m_list(list), m_editors(mainArea)
{
    setObjectName(QStringLiteral("Editors"));
}

VoiceListEditors& VoiceListEditors::of(shell::frmVoiceList& list)
{
    if (VoiceListEditors* found = find(list))
        return *found;
    return *new VoiceListEditors(list);
}

VoiceListEditors* VoiceListEditors::find(const shell::frmVoiceList& list)
{
    return list.findChild<VoiceListEditors*>(QString(), Qt::FindDirectChildrenOnly);
}

void VoiceListEditors::attach(shell::frmVoiceList& list)
{
    QPointer<shell::frmVoiceList> guard(&list);
    QObject::connect(&list, &shell::frmVoiceList::voiceOpenRequested, &list, [guard](int voice) {
        if (guard)
            (void)of(*guard).LoadVoice(voice);
    });
    QObject::connect(&list, &shell::frmVoiceList::voiceRenamed, &list,
                     [guard](int, platform::Bookmark bookmark, const QString&, const QString& newName) {
                         if (guard)
                             if (VoiceListEditors* editors = find(*guard))
                                 editors->voiceRenamed(bookmark, newName);
                     });
    list.setQueryUnloadHandler([](shell::frmVoiceList& closing) {
        VoiceListEditors* editors = find(closing);
        return editors == nullptr || editors->closeEditors();
    });
}

int VoiceListEditors::openEditorCount()
{
    int n = 0;
    for (banklib::VoiceListView* view : banklib::appState().colVoiceLists().lists())
        if (auto* list = dynamic_cast<shell::frmVoiceList*>(view))
            if (VoiceListEditors* editors = find(*list))
                n += editors->m_editors.count();
    return n;
}

std::string VoiceListEditors::keyOf(platform::Bookmark bookmark)
{
    return platform::Str(static_cast<std::int64_t>(bookmark));
}

frmVoiceEditor* VoiceListEditors::editorOf(platform::Bookmark bookmark) const
{
    return m_editors.Item(keyOf(bookmark));
}

frmVoiceEditor* VoiceListEditors::LoadVoice(int voice)
{
    platform::Recordset& voices = m_list.rsmfimage();
    if (voice < 1 || voice > voices.recordCount())
        return nullptr;
    voices.setAbsolutePosition(voice);
    const platform::Bookmark bookmark = voices.bookmark();
    const std::string key = keyOf(bookmark);

    if (frmVoiceEditor* open = m_editors.Item(key)) {
        open->show();
        const auto answer = platform::messages().messageBox(
            "You already have an editor open for this voice, do you want to reset this to the saved version ?",
            platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "");
        if (answer == platform::MsgAnswer::Yes)
            open->ResetVoice();
        return open;
    }

    frmVoiceEditor* editor = nullptr;
    {
        banklib::BusyCursor busy;
        // Painted now: making the editor holds the event loop up until it shows.
        platform::ShowStatusMessage("Loading Voice Editor - Please Wait", 0, 1, true);
        frmVoiceRecordset* holder = m_recordsets.Add(key);
        if (holder == nullptr) {
            // The voice is still held for an earlier editor of it; a second holder would be
            // a second copy of the voice.
            cannotOpen(voice);
            return nullptr;
        }
        holder->VoiceNumber = voice;
        holder->ListID = m_list.ListID();
        holder->VoiceBookmark = bookmark;
        if (holder->InitVoiceDataRecordset() != frmVoiceRecordset::LoadResult::Loaded) {
            // The loader has said why; nothing is left behind.
            (void)m_recordsets.Delete(key);
            platform::ShowStatusMessage("");
            return nullptr;
        }
        editor = m_editors.Add(key, m_list.ListID());
        if (editor == nullptr) {
            (void)m_recordsets.Delete(key);
            cannotOpen(voice);
            return nullptr;
        }
        editor->setRsVoiceData(holder->rsVoiceData().clone());
        editor->setRsProxyData(holder->rsProxyData().clone());
        editor->setChecksumOnEntry(holder->VoiceCRC);
        editor->setFileType(m_list.fileType());
        editor->setVoiceNo(voice);
        editor->setVoiceBookmark(bookmark);
        editor->setHolder(holder);
        connect(editor, &frmVoiceEditor::closed, this, [this, key] { editorClosed(key); });
        editor->InitVoiceEditor(0, 0);
        editor->TagEditorControls(m_list.ListID());
    }
    // The viewer follows the algorithm of the voice opened last, shown or not.
    frmAlgorithms& viewer = frmAlgorithms::load(mainArea());
    viewer.setUpDown1(editor->edits().value(ParameterEdits::kAlgorithmRow));
    editor->show();
    platform::ShowStatusMessage("");
    return editor;
}

void VoiceListEditors::cannotOpen(int voice)
{
    platform::ShowStatusMessage("");
    (void)platform::messages().messageBox(
        "Voice " + platform::Trim(platform::Str(voice)) + " of " + m_list.FileTitle() +
            " can't be opened in an editor: it is still held for an earlier editor." + platform::kCrLf +
            "Close the list and open it again to edit this voice.",
        platform::MsgStyle::Exclamation, "Voice Editor");
}

void VoiceListEditors::editorClosed(const std::string& key)
{
    (void)m_recordsets.Delete(key);
    m_editors.Remove(key);
    if (openEditorCount() == 0)
        frmAlgorithms::unloadViewer();
}

void VoiceListEditors::voiceRenamed(platform::Bookmark bookmark, const QString& newName)
{
    frmVoiceEditor* editor = editorOf(bookmark);
    if (editor == nullptr)
        return;
    bool done = false;
    editor->VoiceNameChange(platform::toBytes(newName), done);
    // The saved fingerprint is that of the voice as the list now holds it.
    banklib::clsVoiceData reader;
    platform::Recordset unused;
    std::int32_t crc = 0;
    std::string voice(banklib::kGetVoiceAsStringOnly);
    if (!reader.GetVoiceDataAt(m_list.rsmfimage(), bookmark, m_list.fileType(), unused, crc, true, voice, 0) &&
        voice.size() == banklib::kUnpackedVoiceSize)
        editor->setChecksumOnEntry(static_cast<std::int32_t>(banklib::crc32(voice)));
}

bool VoiceListEditors::closeEditors()
{
    for (frmVoiceEditor* editor : m_editors.editors()) {
        QPointer<frmVoiceEditor> guard(editor);
        if (guard && !guard->unload())
            return false;
    }
    return true;
}

void installVoiceListHooks(bool install)
{
    shell::frmVoiceList::setWindowAttacher(install ? shell::frmVoiceList::WindowAttacher(&VoiceListEditors::attach)
                                                   : shell::frmVoiceList::WindowAttacher());
}

void installVoiceEditor(shell::StartupOptions& options)
{
    installVoiceListHooks(true);
    options.extraFeatures.voiceEditor = true;
    std::function<void(shell::CommandId)> others = std::move(options.runExtraCommand);
    options.runExtraCommand = [others](shell::CommandId id) {
        if (id == shell::CommandId::FileSaveVoice)
            SaveVoiceCommand();
        else if (others)
            others(id);
    };
}

void SaveVoiceCommand()
{
    banklib::clsVoiceData data;
    (void)data.SaveVoice(false, false, nullptr, nullptr);
}

}  // namespace editor
