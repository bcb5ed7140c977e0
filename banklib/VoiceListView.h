// Brevane - what the voice bank library uses of a voice-list window.
//
// One voice-list window shows one open bank file. The shell implements this interface
// with the real window; tests use banklib::testing::FakeVoiceList. The voices live in a
// VoiceListRecordset (see VoiceListRecordset.h) owned by the window's own clsVoiceNames.
//
// Voice numbers are 1-based positions in the list as it is shown now. A later operation
// (sort, delete, grouping) may move a voice to another number, so code that must find
// the same voice again keeps its recordset bookmark instead.
#pragma once

#include "banklib/SelectionTracker.h"
#include "banklib/VoiceFormat.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace banklib {

// SavedCRC of a list opened as a temporary file: such a list always counts as changed,
// must be saved under another name and its file is deleted when it closes unsaved.
constexpr std::int32_t kSavedCrcTemporary = -2;
// CRC value of a list without voices or of a file that could not be read.
constexpr std::int32_t kCrcNoVoices = -1;

class VoiceListView {
public:
    virtual ~VoiceListView() = default;

    // ---- identity, set by the registry when the window is created
    // Key in the registry: "L" and a four-digit number ("L0001").
    [[nodiscard]] virtual std::string ListID() const = 0;
    virtual void setListID(const std::string& id) = 0;
    // Full path as opened or last saved; compared exactly.
    [[nodiscard]] virtual std::string FileName() const = 0;
    virtual void setFileName(const std::string& path) = 0;
    // File name without folder.
    [[nodiscard]] virtual std::string FileTitle() const = 0;
    virtual void setFileTitle(const std::string& title) = 0;
    // Folder of the file, with a trailing separator.
    [[nodiscard]] virtual std::string FilePath() const = 0;
    virtual void setFilePath(const std::string& folder) = 0;
    // Layout of the rows (0..3): 0 and 1 hold unpacked voices, 2 and 3 packed ones.
    [[nodiscard]] virtual FileType fileType() const = 0;
    virtual void setFileType(FileType type) = 0;

    // ---- contents
    // Number of voices; also the highest index of the selection tracker.
    [[nodiscard]] virtual std::int32_t VoiceCount() const = 0;
    virtual void setVoiceCount(std::int32_t count) = 0;
    // Current voice number from 1, 0 when none.
    [[nodiscard]] virtual std::int32_t CurrentVoice() const = 0;
    virtual void setCurrentVoice(std::int32_t voiceNo) = 0;
    // CRC-32 of the voice bytes as last read or written, or kSavedCrcTemporary.
    [[nodiscard]] virtual std::int32_t SavedCRC() const = 0;
    virtual void setSavedCRC(std::int32_t crc) = 0;
    // The list's VoiceListRecordset, held by the window's clsVoiceNames.
    [[nodiscard]] virtual platform::Recordset& rsmfimage() = 0;
    // Replaces the list's recordset (after a sort, a layout change, a restore).
    virtual void setRsmfimage(platform::Recordset rs) = 0;

    // ---- selection
    [[nodiscard]] virtual SelectionTracker& selectionTracker() = 0;
    [[nodiscard]] std::int32_t TotalSelections() { return selectionTracker().TotalSelections; }
    // Bookmarks of the selected voices, in list order.
    [[nodiscard]] virtual std::vector<platform::Bookmark> selectedBookmarks() = 0;
    // Clears the selection tracker.
    virtual void ResetTracker() = 0;
    // Shows the tracker's selections on a bank page.
    virtual void UpdateSelections(std::int32_t bankPage) = 0;

    // ---- display
    // The bank page shown (the bank scroll bar), from 1; page p holds voices 32p-31..32p.
    [[nodiscard]] virtual std::int32_t bankPage() const = 0;
    [[nodiscard]] virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& text) = 0;
    // Shows the window; the first time this resets the tracker, fills the list from
    // rsmfimage at bank page 1 and sets the menus.
    virtual void show() = 0;
    // Refills the list with the 32 voices of a bank page and selects voiceInBank (1..32).
    virtual void UpdateListBox(std::int32_t bankPage, std::int32_t voiceInBank, bool flag) = 0;
    // Rebuilds the list after rsmfimage was replaced and shows that page.
    virtual void InitList(std::int32_t bankPage, bool flag) = 0;
    // Redraws the window's frame at once.
    virtual void refreshFrame() = 0;

    // ---- editing
    // Deletes records from rsmfimage: the listed bookmarks, or the voices marked in the
    // selection tracker when the list is empty. Returns the removed records, in list
    // order, as a recordset with the VoiceListRecordset fields; resets the tracker and
    // refreshes the list.
    [[nodiscard]] virtual platform::Recordset EditDelete(bool flag,
                                                         std::span<const platform::Bookmark> bookmarks) = 0;

    // ---- closing
    // Closes the window as the user would (its editors first, then the save question).
    // Returns false when the close was cancelled and the window stays open.
    virtual bool unload() = 0;
};

}  // namespace banklib
