// Brevane - opening bank files into voice-list windows, saving and closing them.
#include "banklib/clsVoiceNames.h"

#include "banklib/AppState.h"
#include "banklib/CatalogueDialogs.h"
#include "banklib/GeneratorView.h"
#include "banklib/InitVoice.h"
#include "banklib/VoiceEditorView.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceLists.h"
#include "platform/FileIO.h"
#include "platform/Services.h"
#include "platform/VbText.h"

#include <algorithm>
#include <filesystem>

namespace banklib {
namespace {

using platform::MsgAnswer;
namespace MsgStyle = platform::MsgStyle;

using platform::kCrLf;
constexpr std::size_t kRecentFileCount = 6;

// Whether two paths name the same file: the same text, or the same file reached another
// way (".", "..", a symbolic link).
bool sameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    if (a.empty() || b.empty())
        return false;
    return platform::canonicalPath(a) == platform::canonicalPath(b);
}

// The folder of a path, with its trailing separator ("" for a bare name).
std::string folderOf(const std::string& path)
{
    const std::string title = clsVoiceLists::GetFileTitle(path);
    return path.substr(0, path.size() - title.size());
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// After a layout change between packed and unpacked voices, every record takes the voice
// data of the converted image. The records stay where they are, so their bookmarks (by
// which editors find their voices) survive; fingerprints of the old layout are cleared.
void applyConvertedImage(platform::Recordset& rs, std::span<const std::uint8_t> image, FileType newType)
{
    const std::size_t unit = voiceSizeOf(newType);
    const std::size_t dataSize = unit - kNameLength;
    const std::vector<platform::Bookmark> marks = rs.bookmarks();
    for (std::size_t i = 0; i < marks.size() && (i + 1) * unit <= image.size(); ++i) {
        const auto* at = reinterpret_cast<const char*>(image.data() + i * unit);
        rs.setValueAt(marks[i], VoiceListField::Data, std::string(at, dataSize));
        for (int field : {VoiceListField::CRCAll, VoiceListField::CRCExName, VoiceListField::ChecksumAll,
                          VoiceListField::ChecksumExName})
            rs.setValueAt(marks[i], field, platform::Value{});
    }
    rs.moveFirst();
}

}  // namespace

// ---- the file dialogs

namespace {

// The Help button's topic of a file dialog: the first rule that fits the action (open, or
// any other), the default extension and the title; an empty test fits anything.
struct FileDialogHelpRule {
    bool open;
    const char* defaultExtension;
    const char* title;
    const char* topic;
};

constexpr FileDialogHelpRule kFileDialogHelp[] = {
    {true, "mid", "", "MidiFilePlayer.htm"},
    {true, "rtf", "", "MDIMain.htm#PrintPreview"},
    {true, "", "Choose a file to send to MIDI", "MDIMain.htm#MIDIMenu"},
    {true, "", "Load Sysex File", "MIDIManager.htm"},
    {true, "", "", "MDIMain.htm#FileOpen"},
    {false, "rtf", "", "MDIMain.htm#PrintPreview"},
    {false, "", "Save Sysex Bank", "MidiManager.htm"},
    {false, "", "", "MDIMain.htm#FileSaveAs"},
};

}  // namespace

std::string clsVoiceNames::FileDialogHelpTopic(std::int32_t Fileaction, const std::string& strDefExtn,
                                               const std::string& DialogTitle)
{
    const bool open = Fileaction == 0;
    for (const FileDialogHelpRule& rule : kFileDialogHelp) {
        if (rule.open != open)
            continue;
        const std::string_view extension = rule.defaultExtension;
        const std::string_view title = rule.title;
        if ((extension.empty() || extension == strDefExtn) && (title.empty() || title == DialogTitle))
            return rule.topic;
    }
    return {};
}

std::vector<std::string> clsVoiceNames::FileDialogHelpTopics()
{
    std::vector<std::string> topics;
    for (const FileDialogHelpRule& rule : kFileDialogHelp)
        topics.emplace_back(rule.topic);
    return topics;
}

bool clsVoiceNames::GetFileName(std::string& FileName, std::string& FileTitle, std::int32_t Fileaction,
                                const std::string& DialogTitle, std::vector<std::string>* multipleTitles,
                                const FileFilters& strFilter, const std::string& strDefExtn,
                                std::string& strDirectory)
{
    if (Fileaction != 0 && Fileaction != 1) {
        FileName.clear();
        return true;
    }
    platform::FileDialogRequest request;
    request.title = DialogTitle;
    request.initialFolder = strDirectory.empty() ? appState().DataDirectory() : strDirectory;
    request.fileName = FileName;
    request.filters = strFilter.empty() ? FileFilters{{"DX voice (*.dat,*.syx,*.dx7,*.32)", "*.dat;*.syx;*.dx7;*.32"},
                                                      {"All Files (*.*)", "*.*"}}
                                        : strFilter;
    request.filterIndex = 1;
    request.defaultExtension = strDefExtn.empty() ? std::string("dat") : strDefExtn;
    request.multiSelect = Fileaction == 0;
    request.promptOverwrite = Fileaction == 1;
    request.helpTopic = FileDialogHelpTopic(Fileaction, request.defaultExtension, DialogTitle);

    const platform::FileDialogResult result = Fileaction == 0 ? platform::fileDialogs().openFile(request)
                                                              : platform::fileDialogs().saveFile(request);
    if (!result.accepted || result.files.empty() || result.files.front().empty()) {
        FileName.clear();
        return true;
    }
    // The folder of the choice: the next dialog starts there.
    const std::string folder = folderOf(result.files.front());
    if (strDirectory.empty())
        appState().setDataDirectory(folder);
    else
        strDirectory = folder;
    if (result.files.size() == 1) {
        FileName = result.files.front();
        FileTitle = clsVoiceLists::GetFileTitle(FileName);
    } else {
        FileName.clear();
        FileTitle.clear();
        if (multipleTitles != nullptr) {
            multipleTitles->clear();
            for (const std::string& file : result.files)
                multipleTitles->push_back(clsVoiceLists::GetFileTitle(file));
        }
    }
    platform::status().refreshMainWindow();
    return false;
}

// ---- opening

void clsVoiceNames::OpenMultipleFiles()
{
    std::string name;
    std::string title;
    std::string directory;
    std::vector<std::string> titles;
    if (GetFileName(name, title, 0, "Open DX7 Voice Data File", &titles, {}, "", directory))
        return;
    std::vector<std::string> paths;
    if (!name.empty()) {
        paths.push_back(name);
    } else {
        // Several names, all from the folder just chosen (now the data folder).
        const std::string folder = appState().DataDirectory();
        for (const std::string& t : titles) {
            if (t.empty())
                break;
            paths.push_back(platform::joinPath(folder, t));
        }
    }
    for (const std::string& path : paths) {
        VoiceListView* window = nullptr;
        (void)CreateVoiceListandFileImage(path, window, false, true);
    }
}

clsVoiceNames::ListOpen clsVoiceNames::CreateVoiceListandFileImage(const std::string& path,
                                                                   VoiceListView*& frmVceList,
                                                                   bool IsTemporaryFile, bool AddtoRecentFiles)
{
    frmVceList = nullptr;
    VoiceListRegistry& lists = appState().colVoiceLists();
    bool cancel = false;
    FileType type = FileType::NotFound;
    VoiceListView* window = lists.Add(path, cancel, type);
    if (window == nullptr)
        return ListOpen::NotOpened;
    if (cancel || !isVoiceLayout(type)) {
        lists.Delete(window->ListID());
        return ListOpen::NotOpened;
    }

    const std::string title = clsVoiceLists::GetFileTitle(path);
    clsVoiceNames reader;
    platform::Recordset rs;
    const std::int32_t crc = reader.OpenFileAsRecordsetByt(path, title, type, rs);
    // A read that fails leaves rs without records (a readable file holds at least one
    // voice); the reader has said why.
    if (crc == kCrcNoVoices && rs.recordCount() == 0) {
        lists.Delete(window->ListID());
        return ListOpen::NotOpened;
    }
    window->setRsmfimage(std::move(rs));
    window->setSavedCRC(IsTemporaryFile ? kSavedCrcTemporary : crc);
    window->setVoiceCount(reader.VoiceCount);
    window->show();
    if (AddtoRecentFiles)
        AddToRecentFiles(path);
    frmVceList = window;
    return ListOpen::Opened;
}

void clsVoiceNames::AddToRecentFiles(const std::string& path)
{
    std::vector<std::string> recent = appState().RecentFiles();
    for (const std::string& listed : recent)
        if (sameFile(listed, path))
            return;
    recent.push_back(path);
    if (recent.size() > kRecentFileCount)
        recent.erase(recent.begin(), recent.end() - static_cast<std::ptrdiff_t>(kRecentFileCount));
    appState().setRecentFiles(recent);
}

VoiceListView* clsVoiceNames::InitPatchView(std::span<const std::uint8_t> BulkDump, std::int32_t SetUpCount)
{
    // A received bank never replaces a file: the first free number from SetUpCount on.
    const std::string path = platform::uniqueFileName(
        appState().DataDirectory(), [](std::int64_t n) { return "DX Setup " + platform::Str(n) + ".dat"; },
        std::max<std::int64_t>(SetUpCount, 0));
    if (path.empty() || BulkDump.empty())
        return nullptr;
    if (SaveVoiceDataToFileByt(BulkDump, path, FileType::PackedSysex, false, clsVoiceLists::GetFileTitle(path),
                               kFileAttributeHidden))
        return nullptr;
    VoiceListView* window = nullptr;
    (void)CreateVoiceListandFileImage(path, window, false, true);
    return window;
}

bool clsVoiceNames::FindSubDirs(const std::string& Path, const std::string& Target_Sub)
{
    std::error_code ec;
    std::filesystem::directory_iterator it(std::filesystem::path(Path), ec);
    if (ec)
        return false;
    for (const std::filesystem::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name == "." || name == "..")
            continue;
        std::error_code typeError;
        if (entry.is_directory(typeError) && equalsIgnoringCase(name, Target_Sub))
            return true;
    }
    return false;
}

// ---- saving

bool clsVoiceNames::FileSave(bool blnShowFileNameDialog, bool ClosingForms, VoiceListView* CurrentList)
{
    VoiceListView* list = CurrentList;
    if (!ClosingForms) {
        std::string listId;
        VoiceEditorView* editor = nullptr;
        bool editorNotActive = false;
        list = GetCurrentVoiceListAndEditor(listId, editor, editorNotActive);
        if (listId == kNoForms || list == nullptr) {
            (void)platform::messages().messageBox("Please select a voice list ", MsgStyle::OkOnly,
                                                  "No voice list selection");
            return true;
        }
        // The voice being edited goes into its list first, so the file holds it.
        if (editor != nullptr) {
            clsVoiceData voiceData;
            if (voiceData.SaveVoice(false, false, nullptr, nullptr))
                return true;
        }
    }
    if (list == nullptr)
        return false;

    std::vector<std::uint8_t> image;
    m_lngCurrentCRC = RecordsetToByteArray(list->rsmfimage(), image, list->fileType());
    if (list->rsmfimage().recordCount() == 0) {
        const std::string text = list->FileTitle() + " contains no patches." + kCrLf +
                                 (ClosingForms ? "Do you want to save it as an empty file ?"
                                               : "Are you sure you want to save it as an empty file ?");
        const MsgAnswer answer =
            platform::messages().messageBox(text, MsgStyle::YesNoCancel + MsgStyle::Exclamation, "Empty File");
        // Cancel keeps a closing window open; No lets it close unsaved.
        if (answer == MsgAnswer::Cancel)
            return true;
        if (answer != MsgAnswer::Yes)
            return false;
    }
    if (m_lngCurrentCRC == list->SavedCRC() && !blnShowFileNameDialog)
        return false;

    std::string newPath;
    std::string newTitle;
    switch (PromptSaveChanges(*list, ClosingForms, newPath, newTitle)) {
    case SaveAnswer::Cancel: return true;
    case SaveAnswer::DontSave: return false;
    case SaveAnswer::Save: break;
    }

    const FileType oldType = list->fileType();
    FileType newType = oldType;
    // A cancelled layout choice saves nothing, and a closing window stays open.
    if (!ChooseSaveFormat(oldType, newType, image))
        return true;
    // A failed write has been reported by the writer and left the old file as it was;
    // the list keeps its name, its layout and its edits.
    if (SaveVoiceDataToFileByt(image, newPath, newType, isWrappedLayout(newType), newTitle))
        return true;

    // Written: the list now stands for the new file in the layout it was written in.
    const bool wasTemporary = list->SavedCRC() == kSavedCrcTemporary;
    const std::string oldPath = list->FileName();
    const std::string oldTitle = list->FileTitle();
    if (isPackedLayout(oldType) != isPackedLayout(newType))
        applyConvertedImage(list->rsmfimage(), image, newType);
    list->setFileType(newType);
    list->setFileName(newPath);
    list->setFileTitle(newTitle);
    list->setFilePath(newPath.substr(0, newPath.size() - newTitle.size()));
    list->setSavedCRC(m_lngCurrentCRC);
    // The generator's work list saved under another name is an ordinary list now.
    if (appState().frmRandomiseVoices().isWorkListFile(oldPath))
        appState().frmRandomiseVoices().setWorkListFlag(0);
    // A temporary list's old file goes only now that its voices are safely in the new one.
    if (wasTemporary && oldTitle != kInitBankFileName && !sameFile(oldPath, newPath))
        (void)platform::deleteFile(oldPath);
    // The caption and the page show the new title and, after a conversion, the new data.
    if (blnShowFileNameDialog || wasTemporary || newType != oldType)
        list->UpdateListBox(list->bankPage(), 0, true);
    return false;
}

clsVoiceNames::SaveAnswer clsVoiceNames::PromptSaveChanges(VoiceListView& list, bool closing, std::string& newPath,
                                                           std::string& newTitle)
{
    const bool temporary = list.SavedCRC() == kSavedCrcTemporary;
    if (closing) {
        std::string reason;
        if (temporary)
            reason = " must be saved under a different name";
        else if (list.SavedCRC() != m_lngCurrentCRC)
            reason = " has changed";
        if (!reason.empty()) {
            const MsgAnswer answer = platform::messages().messageBox(
                list.FileTitle() + reason + kCrLf + "OK to save ?", MsgStyle::YesNoCancel, "Save File");
            if (answer == MsgAnswer::Cancel)
                return SaveAnswer::Cancel;
            // No: the window closes unsaved; closing it deletes a temporary list's file.
            if (answer == MsgAnswer::No)
                return SaveAnswer::DontSave;
        }
    }

    std::string initialName = temporary ? std::string() : list.FileName();
    for (;;) {
        std::string name = initialName;
        std::string title;
        std::string directory;
        if (GetFileName(name, title, 1, "Save DX7 Voice Data File ", nullptr, {}, "dat", directory))
            return SaveAnswer::Cancel;
        if (temporary && sameFile(name, list.FileName())) {
            (void)platform::messages().messageBox("Please save " + list.FileTitle() + " under a different name ",
                                                  MsgStyle::Critical, "Invalid File Name");
            initialName.clear();
            continue;
        }

        // Another window shows the chosen file (by whatever path): it must go first.
        VoiceListView* other = nullptr;
        for (VoiceListView* open : appState().colVoiceLists().lists()) {
            if (open != nullptr && open != &list && sameFile(open->FileName(), name)) {
                other = open;
                break;
            }
        }
        if (other != nullptr) {
            const ActiveWindow active = appState().activeWindow();
            if (active.editor != nullptr) {
                clsVoiceData voiceData;
                if (voiceData.SaveVoice(false, false, nullptr, nullptr))
                    return SaveAnswer::Cancel;
            }
            std::vector<std::uint8_t> otherImage;
            const std::int32_t otherCrc = RecordsetToByteArray(other->rsmfimage(), otherImage, other->fileType());
            const std::string opened = "You already have a file open with the name " + name + kCrLf;
            const std::string replace = "Are you sure you want to replace " + title + " ?";
            if (otherCrc == other->SavedCRC()) {
                if (platform::messages().messageBox(opened + replace, MsgStyle::YesNoCancel + MsgStyle::Exclamation,
                                                    "File Open") != MsgAnswer::Yes)
                    return SaveAnswer::Cancel;
            } else {
                if (platform::messages().messageBox(
                        opened + "Changes have been made to the file since it was last saved. " + kCrLf + kCrLf +
                            replace,
                        MsgStyle::YesNoCancel + MsgStyle::Exclamation, "Unsaved Changes") != MsgAnswer::Yes)
                    return SaveAnswer::Cancel;
                // The user gave up its changes: it closes without asking.
                other->setSavedCRC(otherCrc);
            }
            // A window that refuses to close (an editor kept open) keeps its file.
            if (!other->unload())
                return SaveAnswer::Cancel;
        }
        newPath = name;
        newTitle = title.empty() ? clsVoiceLists::GetFileTitle(name) : title;
        return SaveAnswer::Save;
    }
}

bool clsVoiceNames::ChooseSaveFormat(FileType oldType, FileType& newType, std::vector<std::uint8_t>& image)
{
    const std::optional<FileType> chosen = appState().catalogueDialogs().chooseSaveFormat(oldType);
    if (!chosen.has_value() || !isVoiceLayout(*chosen))
        return false;
    newType = *chosen;
    if (isPackedLayout(oldType) != isPackedLayout(newType)) {
        RestructureFileBufferByt(image, oldType, newType);
        if (!image.empty())
            CalcCRC32Byt(image, m_lngCurrentCRC);
    }
    return true;
}

// ---- closing

bool clsVoiceNames::FileClose(VoiceListView& list)
{
    const std::string listId = list.ListID();
    const std::string path = list.FileName();
    const std::string title = list.FileTitle();
    const bool temporary = list.SavedCRC() == kSavedCrcTemporary;
    appState().colVoiceLists().Delete(listId);
    // The program's own bank of initial voices is never deleted.
    if (temporary && title != kInitBankFileName && !path.empty())
        (void)platform::deleteFile(path);
    appState().catalogueDialogs().unloadDuplicatesDialog();
    return false;
}

}  // namespace banklib
