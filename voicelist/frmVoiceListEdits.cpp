// Brevane - the voice-list window: the selection, the Edit commands and dragging voices.
#include "voicelist/frmVoiceList.h"

#include "banklib/AppState.h"
#include "banklib/BusyCursor.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListRegistry.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "voicelist/PatchClipboard.h"
#include "voicelist/VoiceDrag.h"
#include "voicelist/VoiceListBox.h"

#include <QDrag>
#include <QMdiArea>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace shell {
namespace {

using platform::kVoicesPerBank;

// Milliseconds between the bank steps of a drag that hovers near an edge: the first and
// second step, and the shortest interval.
constexpr std::int64_t kDragScrollFirstMs = 1000;
constexpr std::int64_t kDragScrollFastestMs = 10;

frmVoiceList::DragRunner& dragRunner()
{
    static frmVoiceList::DragRunner runner;
    return runner;
}

// The voices an Edit command works on: those given, or else the selected ones (kept in
// selected).
std::span<const platform::Bookmark> givenOrSelected(frmVoiceList& list, std::span<const platform::Bookmark> bookmarks,
                                                    std::vector<platform::Bookmark>& selected)
{
    if (!bookmarks.empty())
        return bookmarks;
    std::int32_t count = 0;
    selected = list.ConvertTrackToBookMarksArrayVar(count);
    return selected;
}

// The program's drag: QDrag runs its own loop until the drop or the give-up. Both
// actions are offered; the drop decides which one it takes.
void runQtDrag(frmVoiceList& source, std::unique_ptr<QMimeData> data)
{
    auto* drag = new QDrag(source.List1());
    drag->setMimeData(data.release());
    (void)drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

}  // namespace

void frmVoiceList::setDragRunner(DragRunner runner) { dragRunner() = std::move(runner); }

// ---------------------------------------------------------------- the selection tracker

std::vector<platform::Bookmark> frmVoiceList::selectedBookmarks()
{
    std::vector<platform::Bookmark> marks;
    if (m_tracker.TotalSelections == 0)
        return marks;
    const std::vector<platform::Bookmark> all = rsmfimage().bookmarks();
    for (std::size_t v = 1; v < m_tracker.tr.size() && v <= all.size(); ++v)
        if (m_tracker.tr[v])
            marks.push_back(all[v - 1]);
    return marks;
}

void frmVoiceList::ResetTracker()
{
    (void)m_objNames.TrReset(0, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
}

std::int32_t frmVoiceList::AddTracker(std::int32_t from, std::int32_t to)
{
    if (to == 0)
        to = from;
    (void)m_objNames.TrAdd(from, to, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
    return m_tracker.TotalSelections;
}

bool frmVoiceList::GetTracker(std::vector<bool>& tracker) const
{
    tracker = m_tracker.tr;
    return m_tracker.TotalSelections != 0;
}

std::vector<platform::Bookmark> frmVoiceList::ConvertTrackToBookMarksArrayVar(std::int32_t& count)
{
    banklib::BusyCursor busy;
    std::vector<platform::Bookmark> marks = selectedBookmarks();
    count += static_cast<std::int32_t>(marks.size());
    rsmfimage().moveFirst();
    return marks;
}

std::vector<platform::Bookmark> frmVoiceList::ConvertTrackToBookMarks(std::vector<platform::Bookmark>& unselected)
{
    std::vector<platform::Bookmark> selected;
    std::vector<platform::Bookmark> others;
    const std::vector<platform::Bookmark> all = rsmfimage().bookmarks();
    for (std::size_t v = 1; v <= all.size(); ++v)
        (v < m_tracker.tr.size() && m_tracker.tr[v] ? selected : others).push_back(all[v - 1]);
    if (selected.empty() || others.empty())
        return {};
    unselected = std::move(others);
    return selected;
}

std::int32_t frmVoiceList::UpDateTracker(std::int32_t voice, bool shift, bool ctrl)
{
    if (m_currentVoice < 1 || voice < 1 || voice > m_voiceCount)
        return 0;
    if (m_tracker.tr.size() != static_cast<std::size_t>(m_voiceCount) + 1)
        ResetTracker();
    if (m_selectionAnchor == 0 || m_selectionAnchor > m_voiceCount)
        m_selectionAnchor = voice;
    const auto at = static_cast<std::size_t>(m_currentVoice);
    if (ctrl) {
        const bool set = !m_tracker.tr[at];
        m_tracker.tr[at] = set;
        m_tracker.TotalSelections += set ? 1 : -1;
    } else if (shift) {
        SelectRangeToAnchor(m_selectionAnchor, voice);
    } else if (m_tracker.tr[at]) {
        // A click inside the selection keeps it (it may be the start of a drag).
        UpdateSelections(0);
    } else {
        (void)m_objNames.TrReset(voice, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
        hideRenameBox();
    }
    if (!shift)
        m_selectionAnchor = voice;
    return voice;
}

void frmVoiceList::SelectRangeToAnchor(std::int32_t a, std::int32_t b)
{
    banklib::BusyCursor busy;
    ResetTracker();
    std::int32_t to = std::max(a, b);
    (void)m_objNames.TrAdd(std::min(a, b), to, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
    UpdateSelections(0);
}

void frmVoiceList::UpdateSelections(std::int32_t bankPage)
{
    const int current = m_list->currentIndex();
    if (bankPage > 0)
        m_scroll->setValue(bankPage);
    const std::int32_t b = m_scroll->value();
    for (int i = 0; i < kVoicesPerBank; ++i) {
        const std::int32_t voice = (b - 1) * kVoicesPerBank + i + 1;
        if (voice > m_voiceCount)
            break;
        const auto at = static_cast<std::size_t>(voice);
        m_list->setSelected(i, at < m_tracker.tr.size() && m_tracker.tr[at]);
    }
    if (current != -1)
        m_list->setCurrentIndex(current);
}

std::int32_t frmVoiceList::GetVoiceNo(QPoint pos)
{
    const int index = m_list->indexAt(pos);
    if (index < 0) {
        m_entryUnderPointer = -1;
        return 0;
    }
    const std::int32_t value = m_scroll->value();
    const std::int32_t offset = value >= 1 ? (value - 1) * kVoicesPerBank : 0;
    const std::int32_t voice = offset + index + 1;
    m_entryUnderPointer = index;
    return voice > m_voiceCount ? 0 : voice;
}

// ---------------------------------------------------------------- editing

platform::Recordset frmVoiceList::EditDelete(bool flag, std::span<const platform::Bookmark> bookmarks)
{
    (void)flag;
    platform::Recordset removed(banklib::voiceListFields());
    (void)EditDelete(true, bookmarks, &removed, true);
    return removed;
}

std::int32_t frmVoiceList::EditCopy(std::span<const platform::Bookmark> bookmarks)
{
    std::vector<platform::Bookmark> selected;
    bookmarks = givenOrSelected(*this, bookmarks, selected);
    if (bookmarks.empty())
        return -1;
    CopySelectedPatches(*this, bookmarks);
    SetMenuAndToolbar(true);
    return 0;
}

std::int32_t frmVoiceList::EditDelete(bool keep, std::span<const platform::Bookmark> bookmarks,
                                      platform::Recordset* deleted, bool redraw)
{
    std::vector<platform::Bookmark> selected;
    bookmarks = givenOrSelected(*this, bookmarks, selected);
    if (bookmarks.empty())
        return -1;
    m_renameTimer->stop();
    platform::Recordset unused;
    const std::int32_t gone =
        DeleteSelectedPatches(*this, bookmarks, keep && deleted != nullptr, deleted != nullptr ? *deleted : unused);
    // The current voice (the paste position) never points past the list.
    m_currentVoice = std::min(m_currentVoice, m_voiceCount);
    ResetTracker();
    if (redraw) {
        std::int32_t bank = m_scroll->value();
        UpdateListBoxPage(bank, true, -1);
    }
    if (gone > 0)
        refreshModified();
    emit selectionChanged();
    SetMenuAndToolbar(true);
    return 0;
}

std::int32_t frmVoiceList::EditPaste()
{
    if (GetClipboardCount() == 0)
        return -1;
    m_renameTimer->stop();
    m_list->setCurrentIndex(-1);
    const std::int32_t pasted = PastePatches(*this);
    m_pastedCount = pasted;
    ResetTracker();
    if (pasted > 0)
        (void)AddTracker(m_currentVoice, m_currentVoice + pasted - 1);
    std::int32_t bank = std::max(platform::BankCountForPatches(m_currentVoice), 1);
    UpdateListBoxPage(bank, true, -1);
    m_lastClickedVoice = m_currentVoice;
    m_list->setCurrentIndex(-1);
    if (pasted > 0)
        refreshModified();
    emit selectionChanged();
    SetMenuAndToolbar(true);
    if (m_subWindow && m_area)
        m_area->setActiveSubWindow(m_subWindow);
    m_list->setFocus(Qt::OtherFocusReason);
    return 0;
}

// ---------------------------------------------------------------- dragging voices

std::string frmVoiceList::BuildDragText() const
{
    std::vector<std::int32_t> voices;
    voices.reserve(static_cast<std::size_t>(std::max(m_tracker.TotalSelections, 0)));
    for (std::int32_t v = 1; v <= m_voiceCount && static_cast<std::size_t>(v) < m_tracker.tr.size(); ++v)
        if (m_tracker.tr[static_cast<std::size_t>(v)])
            voices.push_back(v);
    return BuildDragTextLine(banklib::toCode(m_fileType), m_listId, voices);
}

std::int32_t frmVoiceList::FindSelectionsBeforeTarget(std::string_view text, std::int32_t target)
{
    return FindSelectionsBeforeTargetB(splitDragText(text), target);
}

std::int32_t frmVoiceList::FindSelectionsBeforeTargetB(const std::vector<std::string>& fields, std::int32_t target)
{
    std::int32_t before = 0;
    // Fields 0..2 are the file type, the list and the count; the last one is ":".
    for (std::size_t i = 3; i + 1 < fields.size(); ++i)
        if (platform::Val(fields[i]) < target)
            ++before;
    return before;
}

void frmVoiceList::List1_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    (void)modifiers;
    (void)pos;
    if (DragInProgress || !buttons.testFlag(Qt::LeftButton))
        return;
    // Only a press on a selected voice that did not close the rename box drags.
    if (m_renameCommitted || m_list->count() == 0 || m_currentVoice < 1 ||
        static_cast<std::size_t>(m_currentVoice) >= m_tracker.tr.size() ||
        !m_tracker.tr[static_cast<std::size_t>(m_currentVoice)])
        return;
    const std::int64_t now = platform::eventLoop().nowMs();
    if (!m_dragArmed) {
        m_dragArmed = true;
        m_dragStartMs = now;
        return;
    }
    if (now > m_dragStartMs + kDragStartDelayMs)
        startVoiceDrag();
}

void frmVoiceList::startVoiceDrag()
{
    QPointer<frmVoiceList> self(this);
    {
        // Cleared however the drag ends: dropped, refused, cancelled, or this window gone.
        DragInProgressScope dragging;
        m_renameTimer->stop();
        UpdateSelections(0);
        std::unique_ptr<QMimeData> data = makeVoiceDragData(BuildDragText());
        if (const DragRunner& runner = dragRunner())
            runner(*this, std::move(data));
        else
            runQtDrag(*this, std::move(data));
    }
    if (self) {
        m_dragArmed = false;
        stopDragScroll();
    }
}

void frmVoiceList::stopDragScroll()
{
    m_dragScrollPump.stop();
    m_scrollArmed = false;
}

Qt::DropAction frmVoiceList::List1_OLEDragOver(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers)
{
    if (!isVoiceDrag(data)) {
        stopDragScroll();
        return Qt::IgnoreAction;
    }
    const std::int32_t voice = GetVoiceNo(pos);
    // An empty list takes a drop anywhere; a list with voices only on a voice.
    const bool acceptable = rsmfimage().recordCount() == 0 || voice != 0;
    const int height = m_list->height();
    m_dragY = pos.y();
    if (m_voiceCount > kVoicesPerBank && (pos.y() * 10 < height || pos.y() * 10 > height * 9)) {
        ScrollBankWhileDragging(pos.y());
        if (!m_dragScrollPump.isActive())
            m_dragScrollPump.start();
    } else {
        stopDragScroll();
    }
    UpdateSelections(0);
    if (!acceptable)
        return Qt::IgnoreAction;
    return dropCopiesVoices(modifiers) ? Qt::CopyAction : Qt::MoveAction;
}

void frmVoiceList::List1_OLEDragLeave()
{
    stopDragScroll();
    m_scrollRepeats = 0;
}

void frmVoiceList::ScrollBankWhileDragging(int y)
{
    const std::int64_t now = platform::eventLoop().nowMs();
    if (!m_scrollArmed) {
        m_scrollArmed = true;
        m_scrollStartMs = now;
        return;
    }
    const std::int64_t interval =
        m_scrollRepeats == 0
            ? kDragScrollFirstMs
            : std::max(kDragScrollFastestMs,
                       static_cast<std::int64_t>(std::nearbyint(static_cast<double>(kDragScrollFirstMs) /
                                                                (2.0 * m_scrollRepeats + 1.0))));
    if (now < m_scrollStartMs + interval)
        return;
    const int height = m_list->height();
    std::int32_t direction = 0;
    if (y * 10 > height * 9 && m_scroll->value() < m_scroll->maximum())
        direction = 1;
    else if (y * 10 < height && m_scroll->value() > m_scroll->minimum())
        direction = -1;
    if (direction == 0)
        return;
    // The scroll bar's change handler shows the bank.
    m_scroll->setValue(m_scroll->value() + direction);
    m_scrollRepeats = direction == m_scrollDirection ? m_scrollRepeats + 1 : 0;
    m_scrollDirection = direction;
    m_scrollArmed = false;
}

bool frmVoiceList::List1_OLEDragDrop(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers)
{
    stopDragScroll();
    const std::string line = voiceDragLine(data);
    const std::optional<DragText> drag = parseDragText(line);
    if (!drag)
        return false;
    const std::int32_t target = GetVoiceNo(pos);
    if (target != 0)
        m_currentVoice = target;
    else if (rsmfimage().recordCount() > 0)
        return false;  // beside the names of a list that has voices
    auto* source = dynamic_cast<frmVoiceList*>(banklib::appState().colVoiceLists().Item(drag->listId));
    if (source == nullptr)
        return false;
    if (source == this && drag->voices.size() == 1 && drag->voices.front() == target)
        return false;  // one voice dropped on itself
    // The voices the line names, as they stand in their list now.
    const std::vector<platform::Bookmark> all = source->rsmfimage().bookmarks();
    if (static_cast<std::size_t>(drag->voices.back()) > all.size())
        return false;
    std::vector<platform::Bookmark> marks;
    marks.reserve(drag->voices.size());
    for (const std::int32_t v : drag->voices)
        marks.push_back(all[static_cast<std::size_t>(v - 1)]);

    const bool copy = dropCopiesVoices(modifiers);
    // Within one list the voices before the target leave first, so the target moves up.
    if (!copy && source == this)
        m_currentVoice = std::max(target - FindSelectionsBeforeTargetB(splitDragText(line), target), 1);
    if (source->EditCopy(marks) != 0)
        return false;
    if (!copy)
        (void)source->EditDelete(false, marks, nullptr, true);
    (void)EditPaste();
    m_currentListIndex = 0;
    return true;
}

}  // namespace shell
