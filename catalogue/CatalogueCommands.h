// Brevane - the Edit menu's catalogue commands: Find, Find Next, Find Duplicates and
// Group Voice Patches, and the catalogue dialogs the voice bank library talks to.
//
// Each command shows its modeless dialog over the main window for the active voice list
// (loading it when needed). They read and write the registry of open lists and the
// active window through banklib::appState().
#pragma once

#include "catalogue/CatalogueDialogsQt.h"

#include <memory>

class QWidget;

namespace banklib {
class VoiceListView;
}

namespace shell {

class frmDuplicates;
class frmFind;
class frmGroupPatches;

// Edit > Find...: the Find window, its search starting in activeList.
frmFind& showFindDialog(QWidget& mainWindow, banklib::VoiceListView& activeList);
// Edit > Find Next (F3): presses Find Next while the Find window is loaded; does nothing
// before a Find.
void findNext();
// Edit > Find Duplicates...: the duplicate-search dialog on list.
frmDuplicates& showDuplicatesDialog(QWidget& mainWindow, banklib::VoiceListView& list);
// Edit > Group Voice Patches ...: the grouping dialog on list.
frmGroupPatches& showGroupPatchesDialog(QWidget& mainWindow, banklib::VoiceListView& list);
// Closes every catalogue dialog and progress window (at shut-down).
void unloadCatalogueDialogs();

// The catalogue dialogs for banklib::AppState::catalogueDialogs(): the windows above, their
// progress windows and questions, and chooseSaveFormat for the "Save File" question.
[[nodiscard]] std::unique_ptr<CatalogueDialogsQt> makeCatalogueDialogs(
    QWidget& mainWindow, CatalogueDialogsQt::SaveFormatChooser chooseSaveFormat);

}  // namespace shell
