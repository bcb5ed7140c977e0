// Brevane - what the catalogue operations use of their dialogs and progress windows.
//
// Saving asks for a layout, the duplicate search and the grouping tool read their
// options from their dialogs and show progress windows. The shell implements this with
// the real windows; tests use banklib::testing::FakeCatalogueDialogs.
#pragma once

#include "banklib/VoiceFormat.h"

#include <cstdint>
#include <optional>

namespace banklib {

class VoiceListView;

// Options of the duplicate-search dialog, read each time they are needed.
struct DuplicateOptions {
    // 0 names only, 1 name and checksum, 2 CRC of data and name, 3 CRC of data only.
    std::int32_t Option1 = 1;
    // 0 whole list, 1 the current voice, 2 the bank page shown.
    std::int32_t Option2 = 0;
    // 1: delete duplicates automatically; 0: ask for every source voice.
    std::int32_t Check1 = 1;
    // 1: sort the list by name first.
    std::int32_t Check2 = 1;
};

// What the progress window of a large duplicate search shows.
struct DuplicateProgress {
    std::int32_t SearchedVoice = 0;
    std::int32_t TotalAtStart = 0;
    std::int32_t TotalNow = 0;
    std::int32_t DupFound = 0;
    std::int32_t DupDeleted = 0;
};

class CatalogueDialogs {
public:
    virtual ~CatalogueDialogs() = default;

    // ---- "Save File" layout dialog
    // Shows the four layouts with `current` chosen; returns the chosen layout (also
    // kept as the main window's SaveFileFormat), or nullopt when cancelled.
    [[nodiscard]] virtual std::optional<FileType> chooseSaveFormat(FileType current) = 0;

    // ---- duplicate search and grouping runs
    // A duplicate search or grouping starts and ends on a list. The run is
    // application-modal: until endCatalogueRun no other command may run and the list
    // must not close (banklib::catalogueRunList() names it meanwhile).
    virtual void beginCatalogueRun(VoiceListView& list) { (void)list; }
    virtual void endCatalogueRun() {}

    // ---- duplicate search
    [[nodiscard]] virtual DuplicateOptions duplicateOptions() = 0;
    // Shows the modeless progress window "Searching for Duplicates..." (a large automatic
    // whole-file search shows it before its first voice).
    virtual void showDuplicateProgressWindow() {}
    // Shows or updates the modeless progress window; returns true when the user
    // confirmed a stop ("Are you sure you want to stop this search ?").
    [[nodiscard]] virtual bool showDuplicateProgress(const DuplicateProgress& progress) = 0;
    virtual void hideDuplicateProgress() = 0;
    // Closes the duplicate-search dialog (done whenever a voice-list window closes).
    virtual void unloadDuplicatesDialog() = 0;
    // "Cancel Search ?": shows the continue dialog modally. dontAskAgain stays set while
    // the dialog stays loaded; stop is true after No or Cancel.
    struct ContinueAnswer {
        bool dontAskAgain = false;
        bool stop = false;
    };
    [[nodiscard]] virtual ContinueAnswer askContinueSearch() = 0;
    [[nodiscard]] virtual bool continueDontAskAgain() const = 0;
    virtual void unloadContinueSearch() = 0;

    // ---- grouping
    // "&Move Patches" (true) or "&Copy Patches".
    [[nodiscard]] virtual bool groupMovesVoices() = 0;
    // "C&urrent Selection" (true) or "&All voice patches in file".
    [[nodiscard]] virtual bool groupCurrentSelection() = 0;
    virtual void showGroupProgress() = 0;
    // Moves the progress bar; returns true when the user pressed Cancel.
    [[nodiscard]] virtual bool updateGroupProgress(std::int32_t groupIndex, std::int32_t lastGroupIndex) = 0;
    virtual void hideGroupProgress() = 0;
};

}  // namespace banklib
