// Brevane - what the main window asks of the open voice lists.
//
// The voice-list registry and windows (clsVoiceLists, frmVoiceList) implement this
// interface and the main window calls nothing else of them: the File commands, the
// recent-file entries, the Edit commands, the closing of every list at exit and the state
// that decides which commands are enabled. Until the voice lists are installed,
// NoVoiceLists stands in: no list is ever open and the File commands do nothing.
#pragma once

#include "shell/CommandTable.h"

#include <cstdint>
#include <memory>
#include <string>

class QMdiSubWindow;

namespace banklib {
class CatalogueDialogs;
class VoiceListRegistry;
struct ActiveWindow;
}  // namespace banklib

namespace shell {

class VoiceListHooks {
public:
    virtual ~VoiceListHooks() = default;

    // Start-up step 1: true when voice lists can be kept in memory (the recordset can be
    // created). False ends the program with the "MDAC Missing/Incorrect Version" message.
    [[nodiscard]] virtual bool dataAccessAvailable() = 0;

    // ---- File menu
    // File > New: the program's own "DXInit.dat" (AppPaths::ownFilesFolder) as a temporary list.
    virtual void fileNew() = 0;
    // File > Open: the multi-select open dialog; every chosen file becomes a list.
    virtual void fileOpen() = 0;
    // File > Close: closes `active` when it is a voice-list window, else nothing.
    virtual void fileClose(QMdiSubWindow* active) = 0;
    // File > Close All: closes every list in registry order; a refused close leaves that
    // window open and the others are still closed.
    virtual void fileCloseAll() = 0;
    // File > Save (saveAs false) and Save As (true) on the active list.
    virtual void fileSave(bool saveAs) = 0;
    // A recent-file entry: opens the path as an ordinary list without touching the
    // recent-file list.
    virtual void openRecentFile(const std::string& path) = 0;

    // ---- Edit menu (called only when the active child is a voice list whose rename box
    // is not open): Cut, Copy, Paste, Delete, Find, Find Next, Sort, Find Duplicates,
    // Group Voice Patches.
    virtual void editCommand(CommandId id) = 0;

    // ---- shut-down: closes every list in registry order, each with its editors' and its
    // own save questions. Returns false as soon as one refuses; the lists closed before
    // stay closed and the rest stay open.
    [[nodiscard]] virtual bool closeAllForExit() = 0;

    // ---- state for the command table
    [[nodiscard]] virtual std::int32_t openListCount() const = 0;
    // What an MDI child is: a voice list (with its selection count and rename box), a
    // voice editor, or another window (ChildKind::Other). nullptr gives ChildKind::None.
    [[nodiscard]] virtual ActiveChildState describeChild(QMdiSubWindow* window) const = 0;
    [[nodiscard]] virtual bool clipboardHasVoices() const = 0;
    // Which File and Edit commands are implemented.
    [[nodiscard]] virtual CommandFeatures features() const = 0;

    // ---- what the voice bank library reaches through the main window
    // The registry of open voice lists (colVoiceLists); nullptr while there is none.
    [[nodiscard]] virtual banklib::VoiceListRegistry* registry() = 0;
    // The voice list and voice editor behind an MDI child (both null for other windows).
    virtual void activeViews(QMdiSubWindow* window, banklib::ActiveWindow& views) = 0;
    // The "Save File" layout dialog and the progress windows of the catalogue
    // operations; nullptr while there are none (every dialog then answers Cancel).
    [[nodiscard]] virtual banklib::CatalogueDialogs* catalogueDialogs() = 0;
};

// No voice lists: every command is a no-op and every state is empty.
class NoVoiceLists final : public VoiceListHooks {
public:
    bool dataAccessAvailable() override { return true; }
    void fileNew() override {}
    void fileOpen() override {}
    void fileClose(QMdiSubWindow*) override {}
    void fileCloseAll() override {}
    void fileSave(bool) override {}
    void openRecentFile(const std::string&) override {}
    void editCommand(CommandId) override {}
    bool closeAllForExit() override { return true; }
    std::int32_t openListCount() const override { return 0; }
    ActiveChildState describeChild(QMdiSubWindow* window) const override
    {
        return {window ? ChildKind::Other : ChildKind::None, 0, false};
    }
    bool clipboardHasVoices() const override { return false; }
    CommandFeatures features() const override { return {}; }
    banklib::VoiceListRegistry* registry() override { return nullptr; }
    void activeViews(QMdiSubWindow*, banklib::ActiveWindow&) override {}
    banklib::CatalogueDialogs* catalogueDialogs() override { return nullptr; }
};

}  // namespace shell
