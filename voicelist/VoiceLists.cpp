// Brevane - the open voice lists as the main window uses them.
#include "voicelist/VoiceLists.h"

#include "banklib/AppState.h"
#include "banklib/CatalogueHooks.h"
#include "banklib/InitVoice.h"
#include "banklib/VoiceEditorView.h"
#include "banklib/clsVoiceNames.h"
#include "catalogue/CatalogueCommands.h"
#include "platform/FileIO.h"
#include "shell/frmStartup.h"
#include "voicelist/PatchClipboard.h"
#include "voicelist/frmFileFormatDialog.h"
#include "voicelist/frmVoiceList.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace shell {
namespace {

banklib::VoiceListView* openList(const std::string& path, bool temporary, bool recent)
{
    banklib::clsVoiceNames names;
    banklib::VoiceListView* window = nullptr;
    return names.CreateVoiceListandFileImage(path, window, temporary, recent) ==
                   banklib::clsVoiceNames::ListOpen::Opened
               ? window
               : nullptr;
}

}  // namespace

VoiceLists::VoiceLists(frmStartup& main)
    : m_main(main),
      m_lists([&main] { return main.mdiArea(); }),
      m_dialogs(makeCatalogueDialogs(main, [&main](banklib::FileType current) {
          return frmFileFormatDialog::choose(current, &main);
      }))
{
    banklib::setVoiceListOpener(openList);
}

VoiceLists::~VoiceLists()
{
    unloadCatalogueDialogs();
    banklib::setVoiceListOpener({});
}

bool VoiceLists::dataAccessAvailable()
{
    // The voice lists live in the program's own in-memory recordsets: making one cannot
    // fail for want of a library.
    banklib::clsVoiceNames probe;
    return probe.rsmfimage.fieldCount() > 0;
}

void VoiceLists::fileNew()
{
    (void)openList(platform::joinPath(m_main.paths().ownFilesFolder(), banklib::kInitBankFileName), true, false);
}

void VoiceLists::fileOpen()
{
    banklib::clsVoiceNames names;
    names.OpenMultipleFiles();
}

frmVoiceList* VoiceLists::voiceListOf(QMdiSubWindow* window) const
{
    if (window == nullptr)
        return nullptr;
    auto* list = qobject_cast<frmVoiceList*>(window->widget());
    return list != nullptr && m_lists.contains(list) ? list : nullptr;
}

void VoiceLists::fileClose(QMdiSubWindow* active)
{
    // The active window itself, never another one that happens to share its caption.
    if (frmVoiceList* list = voiceListOf(active))
        (void)list->unload();
}

void VoiceLists::fileCloseAll()
{
    // A window whose close is refused stays open; the others still close.
    const std::vector<frmVoiceList*> open = m_lists.windows();
    for (frmVoiceList* w : open) {
        QPointer<frmVoiceList> guard(w);
        if (guard && m_lists.contains(w))
            (void)w->unload();
    }
}

void VoiceLists::fileSave(bool saveAs)
{
    banklib::clsVoiceNames names;
    (void)names.FileSave(saveAs, false, nullptr);
}

void VoiceLists::openRecentFile(const std::string& path) { (void)openList(path, false, false); }

void VoiceLists::editCommand(CommandId id)
{
    frmVoiceList* list = voiceListOf(m_main.mdiArea()->activeSubWindow());
    if (list == nullptr)
        return;
    switch (id) {
    case CommandId::EditCut:
        // The voices just copied are the ones deleted; nothing is kept a second time.
        if (list->EditCopy() == 0)
            (void)list->EditDelete(false, {}, nullptr, true);
        break;
    case CommandId::EditCopy: (void)list->EditCopy(); break;
    case CommandId::EditPaste: (void)list->EditPaste(); break;
    case CommandId::EditDelete: (void)list->EditDelete(false, {}, nullptr, true); break;
    case CommandId::EditSort: {
        // Sorting renumbers every voice: the selection is cleared first, so no mark is
        // drawn on a voice that was not selected.
        list->ResetTracker();
        banklib::clsVoiceNames names;
        names.SortVoiceList(*list);
        list->InitList(list->bankPage(), true);
        break;
    }
    case CommandId::EditFind: (void)showFindDialog(m_main, *list); break;
    case CommandId::EditFindNext: findNext(); break;
    case CommandId::EditFindDuplicates: (void)showDuplicatesDialog(m_main, *list); break;
    case CommandId::EditGroupPatches: (void)showGroupPatchesDialog(m_main, *list); break;
    default: break;
    }
}

bool VoiceLists::clipboardHasVoices() const { return GetClipboardCount() > 0; }

bool VoiceLists::closeAllForExit()
{
    const std::vector<frmVoiceList*> open = m_lists.windows();
    for (frmVoiceList* w : open) {
        if (!m_lists.contains(w))
            continue;
        if (!w->unload()) {
            m_main.setUnloadCancelled(true);
            return false;
        }
    }
    return true;
}

std::int32_t VoiceLists::openListCount() const { return m_lists.count(); }

ActiveChildState VoiceLists::describeChild(QMdiSubWindow* window) const
{
    if (window == nullptr)
        return {};
    if (frmVoiceList* list = voiceListOf(window))
        return {ChildKind::VoiceList, list->TotalSelections(), list->renameBoxVisible()};
    if (editorOf(window) != nullptr)
        return {ChildKind::VoiceEditor, 0, false};
    return {ChildKind::Other, 0, false};
}

CommandFeatures VoiceLists::features() const
{
    CommandFeatures f;
    f.voiceFiles = true;
    f.editCommands = true;
    f.sortList = true;
    f.findDialog = true;
    f.duplicateDialog = true;
    f.groupDialog = true;
    return f;
}

void VoiceLists::activeViews(QMdiSubWindow* window, banklib::ActiveWindow& views)
{
    if (frmVoiceList* list = voiceListOf(window)) {
        views.list = list;
    } else if (banklib::VoiceEditorView* editor = editorOf(window)) {
        views.editor = editor;
        views.list = m_lists.window(editor->VoiceListID());
    }
}

banklib::VoiceEditorView* VoiceLists::editorOf(QMdiSubWindow* window) const
{
    // A voice editor of one of the registered lists.
    auto* editor = window != nullptr ? dynamic_cast<banklib::VoiceEditorView*>(window->widget()) : nullptr;
    return editor != nullptr && m_lists.window(editor->VoiceListID()) != nullptr ? editor : nullptr;
}

}  // namespace shell
