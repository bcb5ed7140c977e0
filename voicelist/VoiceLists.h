// Brevane - the open voice lists as the main window uses them.
//
// Implements the main window's VoiceListHooks with the registry (clsVoiceLists), the
// voice-list windows (frmVoiceList) and the voice bank library's file operations: File
// New, Open, Close, Close All, Save, Save As and the recent files, the Edit commands Cut,
// Copy, Paste, Delete and Sort Voice List on the active list, the closing of every list
// at exit, and the state the command table reads. It also installs the opener the
// catalogue operations use to open the files they write.
#pragma once

#include <memory>

#include "catalogue/CatalogueDialogsQt.h"
#include "shell/VoiceListHooks.h"
#include "voicelist/clsVoiceLists.h"

namespace banklib {
class VoiceEditorView;
}

namespace shell {

class frmStartup;
class frmVoiceList;

class VoiceLists final : public VoiceListHooks {
public:
    explicit VoiceLists(frmStartup& main);
    ~VoiceLists() override;
    VoiceLists(const VoiceLists&) = delete;
    VoiceLists& operator=(const VoiceLists&) = delete;

    bool dataAccessAvailable() override;
    void fileNew() override;
    void fileOpen() override;
    void fileClose(QMdiSubWindow* active) override;
    void fileCloseAll() override;
    void fileSave(bool saveAs) override;
    void openRecentFile(const std::string& path) override;
    void editCommand(CommandId id) override;
    bool closeAllForExit() override;
    std::int32_t openListCount() const override;
    ActiveChildState describeChild(QMdiSubWindow* window) const override;
    // The patch clipboard holds voices (Paste is enabled).
    bool clipboardHasVoices() const override;
    CommandFeatures features() const override;
    banklib::VoiceListRegistry* registry() override { return &m_lists; }
    void activeViews(QMdiSubWindow* window, banklib::ActiveWindow& views) override;
    banklib::CatalogueDialogs* catalogueDialogs() override { return m_dialogs.get(); }

    [[nodiscard]] clsVoiceLists& lists() { return m_lists; }
    // The voice-list window shown in an MDI child, when it is a registered one.
    [[nodiscard]] frmVoiceList* voiceListOf(QMdiSubWindow* window) const;
    // The voice editor shown in an MDI child, when its list is a registered one.
    [[nodiscard]] banklib::VoiceEditorView* editorOf(QMdiSubWindow* window) const;

private:
    frmStartup& m_main;
    clsVoiceLists m_lists;
    std::unique_ptr<CatalogueDialogsQt> m_dialogs;
};

}  // namespace shell
