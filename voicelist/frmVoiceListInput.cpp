// Brevane - the voice-list window: the rename box, the mouse and the keys.
#include "voicelist/frmVoiceList.h"

#include "banklib/VoiceListRecordset.h"
#include "platform/Latin1.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "shell/UpdatingFlag.h"
#include "voicelist/VoiceDrag.h"
#include "voicelist/VoiceListBox.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include <algorithm>

namespace shell {
namespace {

using platform::kVoicesPerBank;

// Mouse buttons as the MIDI audition reads them: 1 left, 2 right, 4 middle.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

int buttonMask(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return kLeftButton;
    case Qt::RightButton: return kRightButton;
    case Qt::MiddleButton: return kMiddleButton;
    default: return 0;
    }
}

// The Shift, Ctrl and Alt bits of a key event as the MIDI audition reads them (1, 2, 4).
int shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: return true;
    default: return false;
    }
}

}  // namespace

// ---------------------------------------------------------------- the rename box

bool frmVoiceList::renameBoxVisible() const { return !m_text1->isHidden(); }

bool frmVoiceList::renamePending() const { return m_renameTimer->isActive(); }

void frmVoiceList::ShowRenameBox(std::int32_t k)
{
    if (k < 0 || k >= m_voiceCount)
        return;
    const int index = k % kVoicesPerBank;
    const QRect entry = m_list->itemRect(index).translated(m_list->pos());
    m_text1->setGeometry(entry.left(), entry.top() - 2, entry.width() + 2, entry.height() + 4);
    if (m_renameVoice != k + 1 || m_text1->isHidden()) {
        platform::Recordset& rs = rsmfimage();
        const int position = rs.absolutePosition();
        rs.setAbsolutePosition(k + 1);
        m_renameBookmark = rs.bookmark();
        if (position >= 1)
            rs.setAbsolutePosition(position);
        m_renameVoice = k + 1;
        m_startingName = paddedVoiceName(platform::toBytes(m_list->text(index)));
        m_text1->setText(platform::fromBytes(m_startingName));
        m_text1->selectAll();
    }
    m_text1->show();
    m_text1->raise();
    m_text1->setFocus(Qt::OtherFocusReason);
    SetMenuAndToolbar(true);
}

void frmVoiceList::hideRenameBox()
{
    if (m_text1->isHidden())
        return;
    const bool hadFocus = m_text1->hasFocus();
    m_text1->hide();
    if (hadFocus)
        m_list->setFocus(Qt::OtherFocusReason);
    SetMenuAndToolbar(true);
}

void frmVoiceList::commitRename()
{
    if (!renameBoxVisible())
        return;
    platform::Recordset& rs = rsmfimage();
    const std::string newName = paddedVoiceName(platform::toBytes(m_text1->text()));
    // The record the box was opened on, wherever it stands now.
    if (m_renameBookmark == platform::kNoBookmark || !rs.contains(m_renameBookmark)) {
        hideRenameBox();
        return;
    }
    const platform::Value& stored = rs.valueAt(m_renameBookmark, banklib::VoiceListField::Names);
    const std::string oldName =
        paddedVoiceName(std::holds_alternative<std::string>(stored) ? std::get<std::string>(stored) : std::string());
    if (oldName != newName) {
        rs.setValueAt(m_renameBookmark, banklib::VoiceListField::Names, newName);
        refreshModified();
    }
    m_startingName = newName;
    hideRenameBox();
    const std::int32_t voice = rs.positionOf(m_renameBookmark);
    if (voice >= 1 && platform::BankCountForPatches(voice) == m_scroll->value())
        m_list->setText(platform::PatchNumberInBank(voice) - 1, platform::fromBytes(newName));
    emit voiceRenamed(voice, m_renameBookmark, platform::fromBytes(oldName), platform::fromBytes(newName));
}

void frmVoiceList::Text1_Escape()
{
    if (paddedVoiceName(platform::toBytes(m_text1->text())) == m_startingName) {
        hideRenameBox();
        if (m_currentVoice >= 1)
            (void)m_objNames.TrReset(m_currentVoice, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
        m_lastClickedVoice = 0;
        std::int32_t bank = m_scroll->value();
        UpdateListBoxPage(bank, true, -1);
        emit selectionChanged();
    } else {
        // A second Esc closes the box.
        m_text1->setText(platform::fromBytes(m_startingName));
        m_text1->selectAll();
    }
}

bool frmVoiceList::Text1_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (!isNavigationKey(key) || !(modifiers & Qt::ShiftModifier))
        return false;
    commitRename();
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(m_list, &press);
    return true;
}

void frmVoiceList::Text1_DblClick()
{
    commitRename();
    List1_DblClick();
}

void frmVoiceList::startRenameTest()
{
    const std::int32_t voice = m_currentVoice;
    m_renameTimer->start(kRenameDelayMs, [this, voice] { renameTimedOut(voice); });
}

void frmVoiceList::renameTimedOut(std::int32_t voice)
{
    if (voice != m_currentVoice || voice < 1 || voice > m_voiceCount ||
        platform::BankCountForPatches(voice) != m_scroll->value())
        return;
    (void)m_objNames.TrReset(voice, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
    std::int32_t bank = m_scroll->value();
    UpdateListBoxPage(bank, false, platform::PatchNumberInBank(voice));
    ShowRenameBox(voice - 1);
    emit selectionChanged();
}

// ---------------------------------------------------------------- mouse and keys

void frmVoiceList::List1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    (void)button;
    // A press starts a new click: a double click in the rename box leaves no release here.
    m_suppressRenameTest = false;
    if (DragInProgress)
        return;
    // Each press times a drag afresh (the release that ends a drag never reaches us).
    m_dragArmed = false;
    m_renameTimer->stop();
    if (renameBoxVisible()) {
        commitRename();
        m_renameCommitted = true;
    } else {
        m_renameCommitted = false;
    }
    const std::int32_t voice = GetVoiceNo(pos);
    if (voice == 0) {
        m_currentVoice = 0;
        return;
    }
    m_currentVoice = voice;
    m_shiftHeld = modifiers.testFlag(Qt::ShiftModifier);
    m_ctrlHeld = modifiers.testFlag(Qt::ControlModifier);
    (void)UpDateTracker(m_currentVoice, m_shiftHeld, m_ctrlHeld);
    emit selectionChanged();
    UpdateSelections(0);
    m_list->setCurrentIndex(m_entryUnderPointer);
    SetMenuAndToolbar(true);
}

void frmVoiceList::List1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    (void)modifiers;
    (void)pos;
    m_dragArmed = false;
    // The release that ends a double click neither sends the voice again (its first click
    // did, and its editor does) nor arms the rename box.
    const bool afterDoubleClick = m_suppressRenameTest;
    m_suppressRenameTest = false;
    if (!afterDoubleClick)
        emit voiceAuditionRequested(m_currentVoice, buttonMask(button), true);
    if (m_currentVoice == 0 || button == Qt::RightButton)
        return;
    if (!afterDoubleClick && button == Qt::LeftButton && !m_shiftHeld && !m_ctrlHeld &&
        (m_currentVoice == m_lastClickedVoice || m_tracker.TotalSelections > 1))
        startRenameTest();
    m_lastClickedVoice = m_currentVoice;
    m_currentListIndex = platform::PatchNumberInBank(m_currentVoice) - 1;
}

void frmVoiceList::List1_DblClick()
{
    m_renameTimer->stop();
    m_suppressRenameTest = true;
    if (m_currentVoice < 1)
        return;
    // The double click's first click has sent the voice, and the editor sends it as it
    // becomes the active window: nothing more goes out here.
    emit voiceOpenRequested(m_currentVoice);
}

void frmVoiceList::moveTo(std::int32_t bank, std::int32_t index)
{
    if (bank != m_scroll->value())
        m_scroll->setValue(bank);
    m_list->setCurrentIndex(index);
}

bool frmVoiceList::List1_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    m_shiftHeld = modifiers.testFlag(Qt::ShiftModifier);
    m_ctrlHeld = modifiers.testFlag(Qt::ControlModifier);
    m_renameTimer->stop();
    const std::int32_t b = m_scroll->value();
    const std::int32_t i = std::max(m_list->currentIndex(), 0);
    const std::int32_t last = bankCount();
    const std::int32_t lastEntry = lastEntryOfLastBank();
    switch (key) {
    case Qt::Key_PageUp:
        if (b >= 2)
            moveTo(b - 1, i);
        return true;
    case Qt::Key_PageDown:
        if (b < last)
            moveTo(b + 1, b + 1 == last ? std::min(i, lastEntry) : i);
        return true;
    case Qt::Key_Home:
        moveTo(m_ctrlHeld ? 1 : b, 0);
        return true;
    case Qt::Key_End: {
        const std::int32_t bank = m_ctrlHeld ? last : b;
        moveTo(bank, bank == last ? lastEntry : kVoicesPerBank - 1);
        return true;
    }
    case Qt::Key_Up:
        if (i == 0 && b >= 2) {
            moveTo(b - 1, kVoicesPerBank - 1);
            return true;
        }
        return false;
    case Qt::Key_Down:
        if (i == kVoicesPerBank - 1 && b < last) {
            moveTo(b + 1, 0);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (i < VoiceListBox::kRows && b >= 2) {
            moveTo(b - 1, i + VoiceListBox::kRows);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (i >= VoiceListBox::kRows && b < last) {
            const std::int32_t next = i - VoiceListBox::kRows;
            moveTo(b + 1, b + 1 == last ? std::min(next, lastEntry) : next);
            return true;
        }
        return false;
    default: return false;
    }
}

void frmVoiceList::List1_KeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (!isNavigationKey(key) || m_list->currentIndex() < 0)
        return;
    const std::int32_t voice = (m_scroll->value() - 1) * kVoicesPerBank + m_list->currentIndex() + 1;
    emit voiceAuditionRequested(voice, shiftMask(modifiers), false);
}

void frmVoiceList::HScroll1_Change(int value)
{
    if (Updating)
        return;
    std::int32_t bank = value;
    UpdateListBoxPage(bank, true, -1);
}

void frmVoiceList::Label1_Click() { ShowFileInfo(!m_infoShown); }

QLabel* frmVoiceList::Label1(int index) const
{
    if (index == 0)
        return m_header;
    return index >= 1 && index <= 5 ? m_label1[static_cast<std::size_t>(index)] : nullptr;
}

QLabel* frmVoiceList::Label2(int index) const
{
    return index >= 1 && index <= 5 ? m_label2[static_cast<std::size_t>(index)] : nullptr;
}

bool frmVoiceList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_header && event->type() == QEvent::MouseButtonRelease) {
        Label1_Click();
        return true;
    }
    if (watched == m_text1) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                commitRename();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                Text1_Escape();
                return true;
            }
            return Text1_KeyDown(key->key(), key->modifiers());
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            Text1_DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace shell
