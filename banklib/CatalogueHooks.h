// Brevane - what the catalogue operations need from the rest of the program.
//
// The duplicate search opens its file of removed voices, and grouping opens every group
// file, in a new voice-list window, through clsVoiceNames::CreateVoiceListandFileImage.
// Tests may install another opener with setVoiceListOpener.
//
// While a duplicate search or a grouping runs, catalogueRunList() names the list it works
// on, so the windows can refuse to close that list under it.
#pragma once

#include <functional>
#include <string>

namespace banklib {

class VoiceListView;

// Opens the bank file at path in a new voice-list window. isTemporaryFile: the list
// must be saved under another name and its file goes when it closes unsaved.
// addToRecent: the path joins the recent-file list. Returns the window, or nullptr when
// the file could not be opened.
using VoiceListOpener =
    std::function<VoiceListView*(const std::string& path, bool isTemporaryFile, bool addToRecent)>;

// Installs an opener; an empty function restores CreateVoiceListandFileImage.
void setVoiceListOpener(VoiceListOpener opener);
// Opens through the installed opener or CreateVoiceListandFileImage.
VoiceListView* openVoiceListFile(const std::string& path, bool isTemporaryFile, bool addToRecent);

// The list a duplicate search or grouping is working on; nullptr when none runs.
[[nodiscard]] VoiceListView* catalogueRunList();

// Marks a duplicate search or grouping on a list for the length of a scope, and tells
// the dialogs (CatalogueDialogs::beginCatalogueRun / endCatalogueRun) so the shell can
// keep the run application-modal.
class CatalogueRun {
public:
    explicit CatalogueRun(VoiceListView& list);
    ~CatalogueRun();
    CatalogueRun(const CatalogueRun&) = delete;
    CatalogueRun& operator=(const CatalogueRun&) = delete;

private:
    VoiceListView* m_previous;
};

}  // namespace banklib
