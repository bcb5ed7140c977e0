// Brevane - the Edit menu's catalogue commands.
#include "catalogue/CatalogueCommands.h"

#include "banklib/AppState.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "catalogue/frmContinueSearchDlg.h"
#include "catalogue/frmDupStatus.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmFind.h"
#include "catalogue/frmGroupPatches.h"
#include "catalogue/frmGroupStatus.h"

#include <QLineEdit>

namespace shell {
namespace {

void bringUp(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace

frmFind& showFindDialog(QWidget& mainWindow, banklib::VoiceListView& activeList)
{
    frmFind& find = frmFind::load(&mainWindow);
    std::int32_t position = 0;
    std::int32_t at = 0;
    for (banklib::VoiceListView* list : banklib::appState().colVoiceLists().lists()) {
        ++at;
        if (list == &activeList)
            position = at;
    }
    find.setSearchListNo(position);
    bringUp(find);
    find.Text1()->setFocus();
    return find;
}

void findNext()
{
    if (frmFind* find = frmFind::instance())
        find->Command1_Click(frmFind::kFindNext);
}

frmDuplicates& showDuplicatesDialog(QWidget& mainWindow, banklib::VoiceListView& list)
{
    frmDuplicates& dialog = frmDuplicates::load(&mainWindow);
    if (!dialog.searching())
        dialog.setTargetList(list);
    bringUp(dialog);
    return dialog;
}

frmGroupPatches& showGroupPatchesDialog(QWidget& mainWindow, banklib::VoiceListView& list)
{
    frmGroupPatches& dialog = frmGroupPatches::load(&mainWindow);
    if (!dialog.running())
        dialog.setTargetList(list);
    bringUp(dialog);
    return dialog;
}

void unloadCatalogueDialogs()
{
    frmFind::unload();
    frmDuplicates::unload();
    frmGroupPatches::unload();
    frmDupStatus::unload();
    frmGroupStatus::unload();
    frmContinueSearchDlg::unload();
}

std::unique_ptr<CatalogueDialogsQt> makeCatalogueDialogs(QWidget& mainWindow,
                                                         CatalogueDialogsQt::SaveFormatChooser chooseSaveFormat)
{
    return std::make_unique<CatalogueDialogsQt>(&mainWindow, std::move(chooseSaveFormat));
}

}  // namespace shell
