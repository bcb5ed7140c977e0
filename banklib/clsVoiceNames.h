// Brevane - voice lists: bank files, their recordsets, wrappers, fingerprints, selection.
//
// Every open bank file is catalogued as a VoiceListRecordset (one record per voice in file
// order). This class reads bank files into such recordsets and writes them back in any of
// the four layouts, adds and removes System Exclusive wrappers, converts banks between
// packed and unpacked voices, computes CRC-32 fingerprints and DX7 checksums, and keeps
// the selection tracker of a list. Every user creates its own instance.
//
// Methods that can fail return a bool that is true on failure (nothing was done), or a
// CRC value of -1; messages go through platform::messages().
#pragma once

#include "banklib/ProgressThrottle.h"
#include "banklib/VoiceFormat.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace banklib {

class VoiceEditorView;
class VoiceListView;

// The list ID GetCurrentVoiceListAndEditor reports when no voice list or editor is active.
constexpr std::string_view kNoForms = "No Forms";

// Whether a voice list is built with its fingerprint fields (CRCAll, CRCExName,
// ChecksumAll, ChecksumExName) filled, or with them empty until a search computes them.
enum class Fingerprints : int { Empty = 0, Fill = 1 };

// File attribute values of SaveVoiceDataToFileByt. Linux files have no hidden attribute;
// the value is accepted and has no effect.
constexpr std::int32_t kFileAttributeHidden = 2;
constexpr std::int32_t kFileAttributeNormal = 128;

class clsVoiceNames {
public:
    clsVoiceNames();

    // The list's VoiceListRecordset; a voice-list window's rsmfimage is this member of
    // the window's own instance.
    platform::Recordset rsmfimage;
    // Number of voices of the last bank read or built.
    std::int32_t VoiceCount = 0;

    // ---- the voice-list recordset
    // Gives rs the eight VoiceListRecordset fields, empty.
    static void InitRecordset(platform::Recordset& rs);
    // Builds a new recordset from bare voice data (no wrappers): one record per voice of
    // the layout's size, a short last voice zero-padded. ID runs from "1", names are
    // repaired (CleanVoiceName), the fingerprint fields stay empty unless asked for (one
    // pass, the same values CalcCRCColumns and CalcChecksumColumns give). False on
    // success; true, with rs untouched, when fileType is not a voice layout.
    [[nodiscard]] bool BuildRecordsetFromBytes(FileType fileType, std::string_view FileTitle,
                                               platform::Recordset& rs, std::span<const std::uint8_t> bytes,
                                               bool& NamesRepaired,
                                               Fingerprints fingerprints = Fingerprints::Empty);
    // A voice name with every apostrophe, control byte and byte from 7Fh up replaced by a
    // blank; a replaced first byte is dropped. Sets NamesRepaired when anything changed.
    [[nodiscard]] static std::string CleanVoiceName(std::span<const std::uint8_t> name, bool& NamesRepaired);
    // Fills CRCAll (CRC-32 of Data + Names) or, with ExcludeName, CRCExName (of Data) of
    // every record, as signed decimal text with a leading blank when not negative.
    platform::Recordset& CalcCRCColumns(platform::Recordset& rs, bool ExcludeName);
    // Fills ChecksumAll or ChecksumExName the same way with DX7 checksums.
    platform::Recordset& CalcChecksumColumns(platform::Recordset& rs, bool ExcludeName);
    // Fills all four fingerprint fields in one pass (the same values as the two above).
    platform::Recordset& CalcFingerprintColumns(platform::Recordset& rs);
    // The bytes of the records in the list's layout without wrappers (Data then the 10
    // name bytes per record) and their CRC-32; -1, with out unchanged, when rs is empty.
    [[nodiscard]] std::int32_t RecordsetToByteArray(platform::Recordset& rs, std::vector<std::uint8_t>& out,
                                                    FileType fileType);
    // The CRC-32 RecordsetToByteArray gives for rs (-1 when empty), worked out quietly: no
    // status text, no busy cursor, no bytes kept.
    [[nodiscard]] static std::int32_t BankImageCRC(const platform::Recordset& rs, FileType fileType);
    // The has-changed test of a list: a temporary list always counts as changed, any other
    // when the CRC-32 of its bank image differs from its SavedCRC.
    [[nodiscard]] static bool HasChanged(VoiceListView& list);
    // Lays out the first recCount visible records of a list as bytes: 145 + 10 bytes per
    // record for unpacked layouts, 118 + 10 for packed ones. Always false.
    bool ConvertVariantArraytoByteArray(FileType fileType, const platform::Recordset& varRecset,
                                        std::vector<std::uint8_t>& bytRecsetasArray, std::int32_t recCount);

    // ---- fingerprints and checksums
    // CRC-32 of a byte string, as a signed number; "" gives 0.
    [[nodiscard]] std::int32_t CalcCRC32(std::string_view strTest, bool blnQuiet);
    // CRC-32 of a byte array; also stored in crc.
    static std::int32_t CalcCRC32Byt(std::span<const std::uint8_t> bytes, std::int32_t& crc);
    // DX7 checksum of characters first..last (1-based) of a string; first 0 means the
    // whole string, and first and last are then set to 1 and the length. sum receives
    // the plain sum of the bytes.
    std::uint8_t CalcChecksum(std::string_view text, std::int32_t& first, std::int32_t& last, bool blnQuiet,
                              std::int32_t& sum);
    std::uint8_t CalcChecksumByt(std::span<const std::uint8_t> bytes, bool blnQuiet, std::int32_t& sum);

    // ---- selection tracker (flags indexed by 1-based voice number, and their count)
    // Recreates tr with entries 0..totvoices cleared; VoiceNo 1..totvoices is then the
    // one voice selected. True (nothing changed) for VoiceNo < 0.
    bool TrReset(std::int32_t VoiceNo, std::int32_t totvoices, std::vector<bool>& tr, std::int32_t& nosels);
    // Selects startvoiceno..endvoiceno (endvoiceno lowered to totalnovoices; 0 selects
    // startvoiceno alone); trSelections counts the voices newly selected. True (nothing
    // changed) when startvoiceno is outside 1..totalnovoices.
    bool TrAdd(std::int32_t startvoiceno, std::int32_t& endvoiceno, std::int32_t totalnovoices,
               std::vector<bool>& tr, std::int32_t& trSelections);

    // ---- System Exclusive wrappers and layout conversion
    // Wraps the whole string as one message: a single-voice dump for otype 1, a bulk
    // dump otherwise, with the current MIDI device number, checksum and F7.
    [[nodiscard]] std::string AddWrapper(std::string_view strbuf, FileType otype);
    // A type-1 image (each 155-byte voice wrapped) or type-3 image (each bank of up to 32
    // packed voices wrapped) of bare data. A partial last voice is zero-padded. Always false.
    bool AddWrappersByt(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out, FileType fileType);
    // The voice data of a type-1 or type-3 image without its wrappers (types 0 and 2 are
    // copied). Never reads past the data: a short last bank yields its voices, a cut
    // last unit what it holds. Always false.
    bool StripHeadersByt(std::span<const std::uint8_t> data, FileType fileType, std::vector<std::uint8_t>& out);
    // The string form, for whole received dumps; with ChangeFType, type 1 becomes 0 and
    // type 3 becomes 2 in the caller's variable.
    [[nodiscard]] std::string stripheaders(std::string_view sbuf, FileType& FType, bool ChangeFType);
    // Converts bare bank data between unpacked and packed voices in place when one type
    // is unpacked and the other packed; otherwise leaves it. Always false.
    bool RestructureFileBufferByt(std::vector<std::uint8_t>& bytbuf, FileType oldFileType,
                                  FileType newfiletype);
    // 155 for types 0 and 1, 128 for 2 and 3, -1 otherwise.
    static void VoiceSizeForType(FileType fileType, std::int32_t& size);

    // ---- bank files
    // Reads a bank file of a known layout: checks its size (at least 128 bytes) and its
    // first wrapper, strips the wrappers, counts the voices (VoiceCount) and computes the
    // CRC-32 of the stripped data into lngChecksum. With stripheaders false obyt receives
    // the file as stored. False on success; true after a message on failure.
    [[nodiscard]] bool GetFileByt(const std::string& fname, const std::string& ftitle, FileType FType,
                                  std::vector<std::uint8_t>& obyt, std::int32_t& lngChecksum, bool stripheaders);
    // Reads a bank file into a new VoiceListRecordset (names repaired with a warning).
    // Returns the CRC-32 of the stripped voice data, or -1 on failure (rs untouched).
    [[nodiscard]] std::int32_t OpenFileAsRecordsetByt(const std::string& path, const std::string& title,
                                                      FileType fileType, platform::Recordset& rs,
                                                      Fingerprints fingerprints = Fingerprints::Empty);
    // Writes bytes to fname in a layout, wrapping them first for types 1 and 3 when
    // blnAddHeader. The old file is replaced atomically: a failed write leaves it as it
    // was. False when written; true after a message on failure.
    [[nodiscard]] bool SaveVoiceDataToFileByt(std::span<const std::uint8_t> buf, const std::string& fname,
                                              FileType fileType, bool blnAddHeader, std::string ftitle = {},
                                              std::int32_t lngFlags = kFileAttributeNormal);
    // The same with the data as a byte string; an empty string writes nothing (true).
    [[nodiscard]] bool SaveVoiceDataToFileByt(std::string_view strbuf, const std::string& fname,
                                              FileType fileType, bool blnAddHeader, std::string ftitle = {},
                                              std::int32_t lngFlags = kFileAttributeNormal);
    // Whether another open voice list (not `current`) shows the path; list receives it.
    [[nodiscard]] bool IsFileOpenInOtherList(const std::string& path, VoiceListView* current,
                                             VoiceListView*& list);

    // ---- the active window
    // The voice list of the active window: an editor's list (CurrentEditor receives the
    // editor) or the active voice list (EditorNotActive set). With neither, VoiceListID
    // is kNoForms and nullptr is returned.
    [[nodiscard]] VoiceListView* GetCurrentVoiceListAndEditor(std::string& VoiceListID,
                                                              VoiceEditorView*& CurrentEditor,
                                                              bool& EditorNotActive);

    // ---- opening, saving and closing voice lists
    // Result of CreateVoiceListandFileImage. The values are pinned: callers compare them.
    enum class ListOpen : std::int32_t { Opened = 0, NotOpened = -1 };
    // File types of the program's open and save dialogs: description and patterns.
    using FileFilters = std::vector<std::pair<std::string, std::string>>;

    // The program's open (Fileaction 0, several files may be chosen) or save (Fileaction 1,
    // asks before replacing a file) dialog. strFilter empty: DX voice files and all files;
    // strDefExtn empty: "dat". strDirectory empty: the dialog starts in the data folder and
    // the chosen folder becomes the data folder; otherwise it starts there and the chosen
    // folder comes back in it. One chosen file comes back as FileName (full path) and
    // FileTitle; several come back as names in multipleTitles (when given) with FileName
    // empty. True when nothing was chosen; FileName is then empty.
    [[nodiscard]] bool GetFileName(std::string& FileName, std::string& FileTitle, std::int32_t Fileaction,
                                   const std::string& DialogTitle, std::vector<std::string>* multipleTitles,
                                   const FileFilters& strFilter, const std::string& strDefExtn,
                                   std::string& strDirectory);
    // The help topic of a file dialog's Help button for an action (0 open, 1 save), a
    // default extension and a title, e.g. "MDIMain.htm#FileOpen".
    [[nodiscard]] static std::string FileDialogHelpTopic(std::int32_t Fileaction, const std::string& strDefExtn,
                                                         const std::string& DialogTitle);
    // Every topic FileDialogHelpTopic can give, in the order of its rules.
    [[nodiscard]] static std::vector<std::string> FileDialogHelpTopics();
    // File > Open: asks for voice files and opens each in its own window, in the order
    // chosen, adding each to the recent files. A file that fails does not stop the others.
    void OpenMultipleFiles();
    // The one way a bank file becomes a voice-list window: the registry makes the window
    // (asking about a file already open and checking the file), the file is read into
    // its recordset, and the window is shown at bank 1. IsTemporaryFile: the list keeps
    // SavedCRC kSavedCrcTemporary (it must be saved under another name and its file goes
    // when it closes unsaved, "DXInit.dat" excepted). AddtoRecentFiles: the path joins the
    // recent files. Opened with frmVceList set to the window, or NotOpened with it null
    // (the user has been told why, or declined).
    [[nodiscard]] ListOpen CreateVoiceListandFileImage(const std::string& path, VoiceListView*& frmVceList,
                                                       bool IsTemporaryFile, bool AddtoRecentFiles);
    // A bank received while the synthesizer was detected: written unchanged to the data
    // folder as "DX Setup  n.dat" (Str(n), so two blanks; the first n from SetUpCount on
    // under which no file exists) and opened as an ordinary list that joins the recent
    // files. The window, or nullptr when the file could not be written or opened.
    VoiceListView* InitPatchView(std::span<const std::uint8_t> BulkDump, std::int32_t SetUpCount);
    // Whether the folder Path holds a subfolder named Target_Sub (letter case ignored).
    [[nodiscard]] static bool FindSubDirs(const std::string& Path, const std::string& Target_Sub);
    // File > Save (blnShowFileNameDialog false), File > Save As (true), and the save
    // question of a closing window (ClosingForms true, CurrentList the window). Without
    // ClosingForms the active list is saved (CurrentList is ignored). Returns true when
    // nothing may go on as if saved: the user cancelled, or the file could not be written
    // (a closing window then stays open with its edits). False when saved, when there was
    // nothing to save, or when the user chose not to save.
    [[nodiscard]] bool FileSave(bool blnShowFileNameDialog, bool ClosingForms, VoiceListView* CurrentList);
    // Bookkeeping of a window that closes: it leaves the registry, the file of a
    // temporary list goes ("DXInit.dat" excepted), the duplicate-search dialog closes.
    // Always false.
    bool FileClose(VoiceListView& list);

    // ---- catalogue: copying, sorting, finding, grouping, duplicates
    // Event 1, raised by SearchDuplicates: the voice being searched (its position in the
    // list), the voices in the list when the search began, the voices of the search range
    // still in the list, duplicates found and deleted so far. A handler that sets Cancel
    // stops the search. Raised for every source voice of a large automatic whole-file
    // search and once at the end of every automatic search (SearchedVoice equal to
    // TotalAtStart when the whole list was searched). Without a handler the progress goes
    // to CatalogueDialogs::showDuplicateProgress, at most about 20 times a second and
    // always for the final report.
    using SearchStatusHandler =
        std::function<void(std::int32_t SearchedVoice, std::int32_t TotalAtStart, std::int32_t TotalNow,
                           std::int32_t DupFound, std::int32_t DupDeleted, bool& Cancel)>;
    SearchStatusHandler SearchStatus;
    // Event 2, raised by GroupPatches twice per group: the 0-based group being processed
    // and the index of the last group. A handler that sets Cancel stops the run. Without
    // a handler CatalogueDialogs::updateGroupProgress answers.
    using GroupStatusHandler = std::function<void(std::int32_t fileno, std::int32_t filetotal, bool& Cancel)>;
    GroupStatusHandler GroupStatus;

    // Copies rowstocopy records (-1: all remaining) of rsIn's visible records, from the
    // 1-based StartPos (-1: the first), into a new VoiceListRecordset. Records keep their
    // bookmarks. nullopt when rowstocopy is 0. Both recordsets end on their first record.
    // The busy cursor shows unless blnQuiet.
    [[nodiscard]] std::optional<platform::Recordset> CopyRecordset(platform::Recordset& rsIn,
                                                                   std::int32_t StartPos = -1,
                                                                   std::int32_t rowstocopy = -1,
                                                                   bool blnQuiet = false);
    // The same, appending to rsOut (a bookmark rsOut already holds gets a new one).
    // Returns &rsOut, or nullptr when rowstocopy is 0 (nothing copied).
    platform::Recordset* CopyRecordset(platform::Recordset& rsIn, platform::Recordset& rsOut,
                                       std::int32_t StartPos, std::int32_t rowstocopy, bool blnQuiet);
    // Returns the recordset it is given.
    platform::Recordset& CopyRecordsetX(platform::Recordset& rs) { return rs; }
    // Sorts a list by voice name (stable; ASCII case and trailing blanks ignored, so
    // "Brass 1" and "BRASS 1" stand together) and makes the sorted copy its recordset.
    void SortVoiceList(VoiceListView& vlist);
    // Finds the next voice named VoiceName (a pattern with * at its start and/or end when
    // PatternMatch) in the list at the 1-based registry position CurrentListNo, or in all
    // lists, in SearchDirection 0 all, 1 up, 2 down, and shows it in its window. The
    // position of the match is kept in this object, so the next call goes on from there;
    // at the end of the range "Search complete" is shown and the next call starts anew.
    void FindVoice(const std::string& VoiceName, std::int32_t CurrentListNo, std::int32_t CurrentPage,
                   std::int32_t CurrentVoiceNo, bool AllLists, bool PatternMatch, std::int16_t SearchDirection);
    // Copies or moves (CatalogueDialogs::groupMovesVoices) the voices of vlist whose
    // names match the patterns of a group into a new bank file per group in the data
    // folder and opens each file. strSearchPat holds two patterns per group (an empty
    // one is no pattern). Returns the number of files written (0 when the user stopped
    // the run), or -g when a pattern of group g (1-based) cannot be used; then nothing
    // has changed.
    [[nodiscard]] std::int32_t GroupPatches(VoiceListView& vlist, const std::vector<std::string>& strSearchPat);
    // Searches vlist for duplicate voices with the options of the duplicate-search
    // dialog (CatalogueDialogs::duplicateOptions), asking about or removing them, and
    // offers to restore the list; removed voices are saved to a new file and opened.
    void SearchDuplicates(VoiceListView& vlist);
    // Bookmarks of the voices marked by the last duplicate search: all of them in
    // automatic mode (in marking order), the matches of the last source voice otherwise.
    [[nodiscard]] const std::vector<platform::Bookmark>& MarkedBookmarks() const { return m_markedBookmarks; }

private:
    // ---- opening, saving and closing voice lists: state and steps
    // CRC-32 of the bank image FileSave computed last (kCrcNoVoices for an empty list).
    std::int32_t m_lngCurrentCRC = 0;
    // Adds a path at the bottom of the recent files unless the file is listed already;
    // the oldest of six goes.
    void AddToRecentFiles(const std::string& path);
    // Answers of the save question, as the message box answers them.
    enum class SaveAnswer : std::int32_t { Cancel = 2, Save = 6, DontSave = 7 };
    // The save question and the save dialog. Save with the chosen path and title (the
    // window keeps its name until the file is written), DontSave when the user does not
    // want to save, Cancel when nothing may go on.
    [[nodiscard]] SaveAnswer PromptSaveChanges(VoiceListView& list, bool closing, std::string& newPath,
                                                 std::string& newTitle);
    // The "Save File" layout dialog. True to go on with newType (the image converted
    // between packed and unpacked voices when the layouts differ, its CRC-32 then in
    // m_lngCurrentCRC); false when cancelled.
    [[nodiscard]] bool ChooseSaveFormat(FileType oldType, FileType& newType, std::vector<std::uint8_t>& image);

    // ---- catalogue state and steps (copying, sorting, finding, grouping, duplicates)
    // Find: the list index being searched (0: no search under way), the last list of the
    // range, the position of the last match, whether the search has matched yet, and
    // the list, bank page and voice it started from.
    std::int32_t m_findListIndex = 0;
    std::int32_t m_findRangeEnd = 0;
    std::int32_t m_findLastMatch = 0;
    bool m_findMatched = false;
    std::int32_t m_findStartList = 0;
    std::int32_t m_findStartPage = 0;
    std::int32_t m_findStartVoice = 0;
    void EndFindSearch();
    // Duplicate search.
    std::vector<platform::Bookmark> m_markedBookmarks;
    ProgressThrottle m_progressThrottle;
    struct DuplicateSearch;
    bool AskSortBeforeSearch(VoiceListView& vlist, DuplicateSearch& s);
    bool SetSearchRange(VoiceListView& vlist, DuplicateSearch& s);
    bool SearchDuplicateLoop(VoiceListView& vlist, DuplicateSearch& s);
    void FindSortedDuplicates(VoiceListView& vlist, DuplicateSearch& s);
    std::int32_t MarkMatches(VoiceListView& vlist, DuplicateSearch& s, std::size_t source);
    bool ResolveMatches(VoiceListView& vlist, DuplicateSearch& s, const std::string& name, std::int32_t matchCount);
    std::pair<std::string, std::string> BuildMatchMessage(DuplicateSearch& s, std::int32_t matchCount,
                                                          const std::string& name);
    void DeleteMarkedVoices(VoiceListView& vlist, DuplicateSearch& s);
    void FinishDuplicateSearch(VoiceListView& vlist, DuplicateSearch& s, std::int32_t lastPosition);
    void RaiseSearchStatus(std::int32_t SearchedVoice, std::int32_t TotalAtStart, std::int32_t TotalNow,
                           std::int32_t DupFound, std::int32_t DupDeleted, bool& Cancel);
    // Puts a backup back as the list's recordset and shows bankPage; false (nothing
    // changed) when the backup is empty.
    bool RestoreBackup(VoiceListView& vlist, platform::Recordset& BackupList, std::int32_t bankPage);
    // Grouping.
    std::string MakeGroupFileName(const std::string& first, const std::string& second);
    void DeleteGroupedVoices(VoiceListView& vlist, std::span<const platform::Bookmark> grouped,
                             std::int32_t currentVoice, bool quiet);
    bool ReportGroupProgress(VoiceListView& vlist, platform::Recordset& backup, std::int32_t group, std::int32_t lastGroup, bool& Cancel);

    // Reads a whole file; true after a "Couldn't open" message, with the reason, on failure.
    bool TransferFileIn(const std::string& path, std::vector<std::uint8_t>& bytes);
    // Writes a whole file atomically; true after a "Couldn't save" message, with the
    // reason, on failure (the old file, if any, is left as it was).
    bool TransferFileOut(const std::string& path, std::span<const std::uint8_t> bytes);
};

}  // namespace banklib
