// Brevane - the windows of a program that has none.
//
// The headless main-window state uses these, and the shell's state answers with them
// until the voice lists are installed: nothing is open and nothing can be opened, the
// generator keeps only its work-list flag, dialogs answer as if cancelled and progress
// windows are never stopped.
#pragma once

#include "banklib/CatalogueDialogs.h"
#include "banklib/GeneratorView.h"
#include "banklib/VoiceListRegistry.h"

namespace banklib {

class HeadlessRegistry final : public VoiceListRegistry {
public:
    VoiceListView* Add(const std::string&, bool& cancel, FileType& fileType) override
    {
        cancel = false;
        fileType = FileType::NotFound;
        return nullptr;
    }
    void Delete(const std::string&) override {}
    VoiceListView* Item(const std::string&) override { return nullptr; }
    VoiceListView* Item(std::int32_t) override { return nullptr; }
    std::int32_t count() const override { return 0; }
    std::vector<VoiceListView*> lists() override { return {}; }
    std::int16_t NextFileNo() override { return ++m_fileNo; }

private:
    std::int16_t m_fileNo = 0;
};

class HeadlessGenerator final : public GeneratorView {
public:
    void setContinuousEnabled(bool) override {}
    std::int16_t WorkListFlag() const override { return m_flag; }
    void setWorkListFlag(std::int16_t flag) override { m_flag = flag; }
    void ResetState() override { m_flag = 0; }

private:
    std::int16_t m_flag = 0;
};

class HeadlessDialogs final : public CatalogueDialogs {
public:
    std::optional<FileType> chooseSaveFormat(FileType) override { return std::nullopt; }
    DuplicateOptions duplicateOptions() override { return {}; }
    bool showDuplicateProgress(const DuplicateProgress&) override { return false; }
    void hideDuplicateProgress() override {}
    void unloadDuplicatesDialog() override {}
    ContinueAnswer askContinueSearch() override { return {false, true}; }
    bool continueDontAskAgain() const override { return false; }
    void unloadContinueSearch() override {}
    bool groupMovesVoices() override { return false; }
    bool groupCurrentSelection() override { return false; }
    void showGroupProgress() override {}
    bool updateGroupProgress(std::int32_t, std::int32_t) override { return false; }
    void hideGroupProgress() override {}
};

struct HeadlessViews {
    HeadlessRegistry registry;
    HeadlessGenerator generator;
    HeadlessDialogs dialogs;
};

}  // namespace banklib
