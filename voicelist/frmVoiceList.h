// Brevane - the voice-list window: one open bank file as banks of 32 names.
//
// The registry (clsVoiceLists) creates the window for a file, the voice bank library's
// opener fills its recordset and shows it. It shows one bank at a time in two columns of
// 16 names under a header ("Bank  1 of  3"), pages with a scroll bar, keeps which voices
// of the whole file are selected (the selection tracker), renames a voice in place, shows
// a file-information panel when the header is clicked, and asks to save a changed file
// when it closes. Its caption carries the modified marker exactly while the list counts
// as changed (clsVoiceNames::HasChanged, the test the save question asks), looked at
// again whenever its voices change, by whatever changes them.
//
// What other subsystems add to the window hangs on its signals: sending the clicked voice
// and a new name over MIDI (voiceAuditionRequested, voiceRenamed), opening a voice in the
// editor (voiceOpenRequested), the generator's source voices (selectionChanged), and the
// editors' say in closing (setQueryUnloadHandler). Voices that must be found again after
// the list changes are addressed by their recordset bookmark.
//
// Edit > Cut, Copy, Paste and Delete work through the program-wide patch clipboard
// (PatchClipboard.h). Voices are dragged from one list to another, or within one list,
// with the left button: the drag starts on a move more than 250 ms after the first move
// with the button down, a drop moves the voices (Ctrl or Alt copies them) to the voice
// under the pointer, and near the top or bottom edge of a longer list the banks step.
#pragma once

#include "banklib/SelectionTracker.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceNames.h"
#include "shell/DeferredCall.h"
#include "shell/SubWindowActivation.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMimeData;
class QScrollBar;

namespace shell {

class VoiceListBox;

// The longest voice name, and the characters a name may hold: printable ASCII without
// the apostrophe.
constexpr int kVoiceNameLength = 10;
[[nodiscard]] bool isVoiceNameCharacter(char c);
// A name as stored: cut or padded with blanks to 10 characters.
[[nodiscard]] std::string paddedVoiceName(std::string_view name);

class frmVoiceList final : public QWidget, public banklib::VoiceListView {
    Q_OBJECT
public:
    // Milliseconds the second click on a selected voice waits for a double click before
    // the rename box opens.
    static constexpr int kRenameDelayMs = 1000;

    // A window for the MDI area (nullptr: a window of its own), hidden until show().
    explicit frmVoiceList(QMdiArea* area, QWidget* parent = nullptr);
    ~frmVoiceList() override;
    frmVoiceList(const frmVoiceList&) = delete;
    frmVoiceList& operator=(const frmVoiceList&) = delete;

    // What makes the rename wait of windows made from now on (QtDeferredCall when empty).
    static void setDeferredCallFactory(DeferredCallFactory factory);

    // Milliseconds the button must be held, moving, before a drag of voices starts.
    static constexpr std::int64_t kDragStartDelayMs = 250;
    // Runs a drag of voices from a list until it is dropped or given up (the program's
    // runs QDrag::exec; tests put in one that drops where they want). It returns when
    // the drag is over.
    using DragRunner = std::function<void(frmVoiceList& source, std::unique_ptr<QMimeData> data)>;
    // Installs the drag runner (empty: QDrag).
    static void setDragRunner(DragRunner runner);
    // What other subsystems attach to every window made from now on (the voice editor
    // hooks its signals and its say in closing); called at the end of the constructor.
    using WindowAttacher = std::function<void(frmVoiceList&)>;
    static void setWindowAttacher(WindowAttacher attacher);

    // ---- VoiceListView: identity
    std::string ListID() const override { return m_listId; }
    void setListID(const std::string& id) override { m_listId = id; }
    std::string FileName() const override { return m_fileName; }
    void setFileName(const std::string& path) override { m_fileName = path; }
    std::string FileTitle() const override { return m_fileTitle; }
    void setFileTitle(const std::string& title) override { m_fileTitle = title; }
    std::string FilePath() const override { return m_filePath; }
    void setFilePath(const std::string& folder) override { m_filePath = folder; }
    banklib::FileType fileType() const override { return m_fileType; }
    void setFileType(banklib::FileType type) override { m_fileType = type; }

    // ---- VoiceListView: contents
    std::int32_t VoiceCount() const override { return m_voiceCount; }
    void setVoiceCount(std::int32_t count) override { m_voiceCount = count; }
    std::int32_t CurrentVoice() const override { return m_currentVoice; }
    void setCurrentVoice(std::int32_t voiceNo) override { m_currentVoice = voiceNo; }
    std::int32_t SavedCRC() const override { return m_savedCrc; }
    // The modified marker follows.
    void setSavedCRC(std::int32_t crc) override;
    platform::Recordset& rsmfimage() override { return m_objNames.rsmfimage; }
    void setRsmfimage(platform::Recordset rs) override;
    // Voices inserted by the last paste.
    [[nodiscard]] std::int32_t PastedCount() const { return m_pastedCount; }
    void setPastedCount(std::int32_t n) { m_pastedCount = n; }
    // The window's own clsVoiceNames (holds rsmfimage).
    [[nodiscard]] banklib::clsVoiceNames& objNames() { return m_objNames; }

    // ---- VoiceListView: selection (the tracker)
    banklib::SelectionTracker& selectionTracker() override { return m_tracker; }
    std::vector<platform::Bookmark> selectedBookmarks() override;
    void ResetTracker() override;
    // bankPage 0: the bank shown.
    void UpdateSelections(std::int32_t bankPage) override;
    // Selects voices from..to (to 0: from alone); returns TotalSelections.
    std::int32_t AddTracker(std::int32_t from, std::int32_t to);
    // A copy of the tracker's flags; true when a voice is selected.
    bool GetTracker(std::vector<bool>& tracker) const;
    // The selected voices' bookmarks (the caller's count is raised by their number).
    std::vector<platform::Bookmark> ConvertTrackToBookMarksArrayVar(std::int32_t& count);
    // The bookmarks of the selected and of the other voices; both empty unless some but
    // not all voices are selected.
    std::vector<platform::Bookmark> ConvertTrackToBookMarks(std::vector<platform::Bookmark>& unselected);
    // A click on voice: plain selects it alone (a voice of the selection keeps it), Ctrl
    // toggles it, Shift selects from the anchor to it. Returns the voice, or 0 for none.
    std::int32_t UpDateTracker(std::int32_t voice, bool shift, bool ctrl);
    // The voice under a point of the list box (its coordinates), 0 past the last voice.
    [[nodiscard]] std::int32_t GetVoiceNo(QPoint pos);
    [[nodiscard]] std::int32_t EntryUnderPointer() const { return m_entryUnderPointer; }

    // ---- VoiceListView: display
    std::int32_t bankPage() const override;
    // The caption without the modified marker.
    std::string caption() const override;
    void setCaption(const std::string& text) override;
    void show() override;
    // voiceInBank 1..32 becomes the current entry and the one selected voice (and
    // CurrentVoice) unless noCurrent (0 or -1: none).
    void UpdateListBox(std::int32_t bankPage, std::int32_t voiceInBank, bool noCurrent) override;
    // Takes VoiceCount from the recordset (clearing the selection when rebuild is set
    // or the count changed) and shows the bank.
    void InitList(std::int32_t bankPage, bool rebuild) override;
    // The same; with rebuild the voices from firstVoice to the last are then selected
    // (voices added at the end of the list by the catalogue or the voice generator).
    void InitList(std::int32_t bankPage, bool rebuild, std::int32_t firstVoice);
    void refreshFrame() override;
    // Scroll bar range, caption, then the page; bank may come back lowered.
    void InitVoiceList(std::int32_t& bank, bool noCurrent, std::int32_t entry);
    // Refills the page (entry 1..32 current unless noCurrent; -1 none); a bank past the
    // last comes back lowered to it.
    void UpdateListBoxPage(std::int32_t& bank, bool noCurrent, std::int32_t entry);
    // Menus and toolbar for this list (active) or for none.
    void SetMenuAndToolbar(bool active);
    // Shows or hides the file-information panel.
    void ShowFileInfo(bool show);
    [[nodiscard]] bool fileInfoShown() const { return m_infoShown; }

    // ---- VoiceListView: editing and closing
    // Deletes the listed voices (empty: the selected ones) and returns them.
    platform::Recordset EditDelete(bool flag, std::span<const platform::Bookmark> bookmarks) override;

    // ---- the Edit commands (patch clipboard)
    // Copies the listed voices (empty: the selected ones) into the clipboard, replacing
    // what it held. -1 when there is nothing to copy, else 0.
    std::int32_t EditCopy(std::span<const platform::Bookmark> bookmarks = {});
    // Deletes the listed voices (empty: the selected ones) in one pass; with keep and a
    // recordset, that receives them. Clears the selection, keeps CurrentVoice within the
    // list and, with redraw, shows the bank again. -1 when there is nothing to delete.
    std::int32_t EditDelete(bool keep, std::span<const platform::Bookmark> bookmarks, platform::Recordset* deleted,
                            bool redraw);
    // Inserts the clipboard's voices at CurrentVoice (kept within 1..VoiceCount + 1),
    // converting them to this list's layout, selects them and shows the bank of the
    // first; the clipboard is then empty. -1 when it was empty already.
    std::int32_t EditPaste();

    // ---- dragging voices
    // The drag line of the selected voices ("2,L0003, 2, 3, 17,:").
    [[nodiscard]] std::string BuildDragText() const;
    // How many voices of a drag line lie before voice `target`: from the whole line, and
    // from the line split at "," (splitDragText).
    [[nodiscard]] static std::int32_t FindSelectionsBeforeTarget(std::string_view text, std::int32_t target);
    [[nodiscard]] static std::int32_t FindSelectionsBeforeTargetB(const std::vector<std::string>& fields,
                                                                  std::int32_t target);
    // A drag of this program's voices over the list at pos (list coordinates): the action
    // it would get, Qt::IgnoreAction where it cannot drop. Any other drag is ignored
    // here and changes nothing. Near the top or bottom edge of a list of more than one
    // bank the banks step while the drag stays there.
    Qt::DropAction List1_OLEDragOver(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers);
    // The drag left the list: bank stepping stops.
    void List1_OLEDragLeave();
    // A drop of this program's voices at pos: moves them (copies them with Ctrl or Alt)
    // from their list to before the voice under the pointer. True when voices arrived.
    bool List1_OLEDragDrop(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers);
    // Steps one bank towards the edge the pointer is near (y in list pixels) once the
    // hover has lasted its interval: 1000 ms, then 1000 / (2n + 1) ms for the n-th
    // repeat in the same direction, never less than 10 ms.
    void ScrollBankWhileDragging(int y);
    // Closes as the user would; false when the close was refused.
    bool unload() override;

    // ---- the rename box
    [[nodiscard]] bool renameBoxVisible() const;
    // Opens the box over voice k + 1 (on the bank shown).
    void ShowRenameBox(std::int32_t k);
    // Enter in the box: the name goes into the record the box was opened on.
    void commitRename();
    [[nodiscard]] bool renamePending() const;
    // The wait for a double click before the rename box opens.
    [[nodiscard]] DeferredCall& renameWait() { return *m_renameTimer; }

    // ---- mouse and keyboard (what the list box and the rename box report)
    void List1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void List1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void List1_DblClick();
    // A move with buttons held: starts a drag of the selected voices (see above).
    void List1_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    // True when the key was handled here (the list box then leaves it alone).
    bool List1_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void List1_KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void HScroll1_Change(int value);
    void Label1_Click();

    // ---- closing
    // The editors' say: called first when the window is asked to close; false keeps it open.
    void setQueryUnloadHandler(std::function<bool(frmVoiceList&)> handler) { m_queryUnload = std::move(handler); }
    [[nodiscard]] QMdiSubWindow* subWindow() const { return m_subWindow; }
    [[nodiscard]] bool loaded() const { return m_loaded; }

    // ---- controls, for the code that drives the window (and tests)
    [[nodiscard]] VoiceListBox* List1() const { return m_list; }
    [[nodiscard]] QLabel* Label1(int index) const;
    [[nodiscard]] QLabel* Label2(int index) const;
    [[nodiscard]] QScrollBar* HScroll1() const { return m_scroll; }
    [[nodiscard]] QLineEdit* Text1() const { return m_text1; }
    [[nodiscard]] QFrame* Frame1() const { return m_frame1; }

signals:
    // A voice was clicked (allowScale true, buttons of the click), reached with the
    // keys or double-clicked (allowScale false): MIDI sends it when the output is open.
    void voiceAuditionRequested(int voice, int buttons, bool allowScale);
    // A double click: open the voice in the editor.
    void voiceOpenRequested(int voice);
    // A name was committed in the rename box (both names 10 characters).
    void voiceRenamed(int voice, platform::Bookmark bookmark, QString oldName, QString newName);
    // The selection tracker changed.
    void selectionChanged();
    // The window has closed; the registry no longer holds it.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    [[nodiscard]] bool Form_QueryUnload();
    void Form_Unload();
    void onSubWindowActivated(QMdiSubWindow* window);
    void Form_Activate();
    void Form_Deactivate();
    void layoutControls();
    void widenToShowCaption();
    // The modified marker set from the has-changed test (worked out again only when the
    // voices, SavedCRC or the layout changed since it was last).
    void refreshModified();
    // A change of the voices: the marker is looked at again once the change is done (when
    // the event loop next runs, after any long operation that yields).
    void scheduleModifiedRefresh();
    // Has the voices' recordset tell this window of each change (scheduleModifiedRefresh).
    void watchVoices();
    void refreshCaption();
    void SelectRangeToAnchor(std::int32_t a, std::int32_t b);
    void startRenameTest();
    void renameTimedOut(std::int32_t voice);
    void hideRenameBox();
    void Text1_Escape();
    bool Text1_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void Text1_DblClick();
    [[nodiscard]] std::int32_t lastEntryOfLastBank() const;
    [[nodiscard]] std::int32_t bankCount() const;
    void moveTo(std::int32_t bank, std::int32_t index);
    void startVoiceDrag();
    void stopDragScroll();

    // public state
    std::string m_listId;
    std::string m_fileName;
    std::string m_fileTitle;
    std::string m_filePath;
    banklib::FileType m_fileType = banklib::FileType::Unpacked;
    std::int32_t m_voiceCount = 0;
    std::int32_t m_currentVoice = 0;
    std::int32_t m_savedCrc = 0;
    std::int32_t m_pastedCount = 0;

    banklib::clsVoiceNames m_objNames;
    banklib::SelectionTracker m_tracker;
    std::int32_t m_selectionAnchor = 0;
    std::int32_t m_entryUnderPointer = 0;

    // event state
    std::int32_t m_lastClickedVoice = 0;
    std::int32_t m_currentListIndex = 0;
    bool m_shiftHeld = false;
    bool m_ctrlHeld = false;
    bool m_renameCommitted = false;
    // The release after a double click: it neither sends the voice nor arms the rename box.
    bool m_suppressRenameTest = false;
    std::string m_startingName;
    platform::Bookmark m_renameBookmark = platform::kNoBookmark;
    std::int32_t m_renameVoice = 0;
    bool m_infoShown = false;
    std::unique_ptr<DeferredCall> m_renameTimer;

    // drag state: the time of the first move with the button down (when armed), and the
    // bank stepping near an edge (its start when armed, repeats, last direction -1/0/+1)
    bool m_dragArmed = false;
    std::int64_t m_dragStartMs = 0;
    bool m_scrollArmed = false;
    std::int64_t m_scrollStartMs = 0;
    std::int32_t m_scrollRepeats = 0;
    std::int32_t m_scrollDirection = 0;
    int m_dragY = 0;
    // Steps banks while a drag hovers near an edge without moving.
    QTimer m_dragScrollPump;

    // life cycle
    QMdiArea* m_area = nullptr;
    QPointer<QMdiSubWindow> m_subWindow;
    SubWindowActivation m_activation;  // the active sub-window of its MDI area (as Form_Activate saw)
    bool m_loaded = false;
    bool m_unloading = false;
    bool m_unloaded = false;
    // what the modified marker was worked out from
    bool m_markKnown = false;
    std::uint64_t m_markedChanges = 0;
    std::int32_t m_markedSavedCrc = 0;
    banklib::FileType m_markedType = banklib::FileType::Unpacked;
    bool m_markRefreshPending = false;
    std::string m_caption;
    std::function<bool(frmVoiceList&)> m_queryUnload;

    // controls
    QLabel* m_header = nullptr;  // Label1(0)
    VoiceListBox* m_list = nullptr;
    QFrame* m_frame2 = nullptr;
    QScrollBar* m_scroll = nullptr;
    QFrame* m_frame1 = nullptr;
    std::array<QLabel*, 6> m_label1{};  // 1..5: the panel's captions
    std::array<QLabel*, 6> m_label2{};  // 1..5: the panel's values
    QLineEdit* m_text1 = nullptr;
};

}  // namespace shell
