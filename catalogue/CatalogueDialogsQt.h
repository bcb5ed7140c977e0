// Brevane - the catalogue operations' dialogs as Qt windows.
//
// Implements banklib::CatalogueDialogs over the duplicate-search dialog (frmDuplicates)
// and its progress window (frmDupStatus), the continue question (frmContinueSearchDlg),
// and the grouping dialog (frmGroupPatches) and its progress window (frmGroupStatus).
// The "Save File" layout question belongs to the voice-list windows and is passed in.
//
// While a duplicate search or a grouping runs, the program is application-modal: input
// to the main window (menus, toolbar, voice lists) and to the windows that were open when
// the run began is dropped, and none of them can be closed; the progress windows and the
// questions the run asks stay usable.
#pragma once

#include "banklib/CatalogueDialogs.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace shell {

class CatalogueRunGuard;

class CatalogueDialogsQt final : public banklib::CatalogueDialogs {
public:
    // The "Save File" dialog: the chosen layout, or nullopt when cancelled.
    using SaveFormatChooser = std::function<std::optional<banklib::FileType>(banklib::FileType current)>;

    // mainWindow places the progress windows and is the window the runs block; without
    // a chooser the "Save File" question answers Cancel.
    explicit CatalogueDialogsQt(QWidget* mainWindow, SaveFormatChooser chooseSaveFormat = {});
    ~CatalogueDialogsQt() override;
    CatalogueDialogsQt(const CatalogueDialogsQt&) = delete;
    CatalogueDialogsQt& operator=(const CatalogueDialogsQt&) = delete;

    std::optional<banklib::FileType> chooseSaveFormat(banklib::FileType current) override;

    void beginCatalogueRun(banklib::VoiceListView& list) override;
    void endCatalogueRun() override;
    // True between beginCatalogueRun and endCatalogueRun.
    [[nodiscard]] bool runActive() const { return m_guard != nullptr; }

    banklib::DuplicateOptions duplicateOptions() override;
    void showDuplicateProgressWindow() override;
    bool showDuplicateProgress(const banklib::DuplicateProgress& progress) override;
    void hideDuplicateProgress() override;
    void unloadDuplicatesDialog() override;
    ContinueAnswer askContinueSearch() override;
    bool continueDontAskAgain() const override;
    void unloadContinueSearch() override;

    bool groupMovesVoices() override;
    bool groupCurrentSelection() override;
    void showGroupProgress() override;
    bool updateGroupProgress(std::int32_t groupIndex, std::int32_t lastGroupIndex) override;
    void hideGroupProgress() override;

private:
    QPointer<QWidget> m_mainWindow;
    SaveFormatChooser m_chooseSaveFormat;
    std::unique_ptr<CatalogueRunGuard> m_guard;
};

}  // namespace shell
