// Brevane - the catalogue's dialogs as the program has them so far.
//
// The "Save File" layout choice is the real dialog (frmFileFormatDialog). The duplicate
// search and grouping dialogs come with their own windows later; until then their
// options are the defaults, their progress windows stop every run at once and the
// continue question answers stop, so no run can go on without its window.
#pragma once

#include "banklib/CatalogueDialogs.h"

#include <functional>

class QWidget;

namespace shell {

class ShellCatalogueDialogs final : public banklib::CatalogueDialogs {
public:
    // owner: the window the dialogs belong to (asked each time).
    explicit ShellCatalogueDialogs(std::function<QWidget*()> owner) : m_owner(std::move(owner)) {}

    std::optional<banklib::FileType> chooseSaveFormat(banklib::FileType current) override;
    banklib::DuplicateOptions duplicateOptions() override { return {}; }
    bool showDuplicateProgress(const banklib::DuplicateProgress&) override { return true; }
    void hideDuplicateProgress() override {}
    void unloadDuplicatesDialog() override {}
    ContinueAnswer askContinueSearch() override { return {false, true}; }
    bool continueDontAskAgain() const override { return false; }
    void unloadContinueSearch() override {}
    bool groupMovesVoices() override { return false; }
    bool groupCurrentSelection() override { return false; }
    void showGroupProgress() override {}
    bool updateGroupProgress(std::int32_t, std::int32_t) override { return true; }
    void hideGroupProgress() override {}

private:
    std::function<QWidget*()> m_owner;
};

}  // namespace shell
