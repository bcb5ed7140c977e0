// Brevane - scripted catalogue dialogs for tests.
#pragma once

#include "banklib/CatalogueDialogs.h"

#include <deque>
#include <vector>

namespace banklib::testing {

class FakeCatalogueDialogs final : public CatalogueDialogs {
public:
    std::optional<FileType> chooseSaveFormat(FileType current) override
    {
        formatAskedWith.push_back(current);
        if (saveFormats.empty())
            return current;
        const std::optional<FileType> answer = saveFormats.front();
        saveFormats.pop_front();
        return answer;
    }
    void beginCatalogueRun(VoiceListView& list) override
    {
        runList = &list;
        ++runsBegun;
    }
    void endCatalogueRun() override
    {
        runList = nullptr;
        ++runsEnded;
    }
    DuplicateOptions duplicateOptions() override { return duplicates; }
    void showDuplicateProgressWindow() override
    {
        progressVisible = true;
        ++progressWindowShown;
    }
    bool showDuplicateProgress(const DuplicateProgress& progress) override
    {
        progressShown.push_back(progress);
        return stopAfterProgress >= 0 && static_cast<int>(progressShown.size()) > stopAfterProgress;
    }
    void hideDuplicateProgress() override { progressVisible = false; }
    void unloadDuplicatesDialog() override { ++duplicatesUnloaded; }
    ContinueAnswer askContinueSearch() override
    {
        ++continueAsked;
        if (!continueAnswers.empty()) {
            // The check box, once ticked, stays ticked while the dialog is loaded.
            const bool dontAskAgain = continueAnswer.dontAskAgain || continueAnswers.front().dontAskAgain;
            continueAnswer = continueAnswers.front();
            continueAnswer.dontAskAgain = dontAskAgain;
            continueAnswers.pop_front();
        }
        return continueAnswer;
    }
    bool continueDontAskAgain() const override { return continueAnswer.dontAskAgain; }
    void unloadContinueSearch() override { continueAnswer = {}; }
    bool groupMovesVoices() override { return groupMove; }
    bool groupCurrentSelection() override { return groupSelection; }
    void showGroupProgress() override
    {
        groupProgressVisible = true;
        ++groupProgressShown;
    }
    bool updateGroupProgress(std::int32_t groupIndex, std::int32_t) override
    {
        ++groupProgressUpdates;
        return cancelGroupAt >= 0 && groupIndex >= cancelGroupAt;
    }
    void hideGroupProgress() override { groupProgressVisible = false; }

    // Answers of the "Save File" dialog in order (nullopt = Cancel); when the script is
    // empty the list's own layout is chosen.
    std::deque<std::optional<FileType>> saveFormats;
    std::vector<FileType> formatAskedWith;
    VoiceListView* runList = nullptr;
    int runsBegun = 0;
    int runsEnded = 0;
    DuplicateOptions duplicates;
    int progressWindowShown = 0;
    std::vector<DuplicateProgress> progressShown;
    int stopAfterProgress = -1;
    bool progressVisible = false;
    int duplicatesUnloaded = 0;
    ContinueAnswer continueAnswer;
    // Answers of the continue dialog in order; when empty, continueAnswer is repeated.
    std::deque<ContinueAnswer> continueAnswers;
    int continueAsked = 0;
    bool groupMove = false;
    bool groupSelection = false;
    bool groupProgressVisible = false;
    int groupProgressShown = 0;
    int groupProgressUpdates = 0;
    int cancelGroupAt = -1;
};

}  // namespace banklib::testing
