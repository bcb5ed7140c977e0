// Brevane - copying, sorting and finding voices in voice lists.
#include "banklib/clsVoiceNames.h"

#include "banklib/AppState.h"
#include "banklib/BusyCursor.h"
#include "banklib/NamePattern.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"

#include <algorithm>

namespace banklib {
namespace {

using platform::Bookmark;
using platform::Recordset;

const std::string kCrLf = "\r\n";

// A new, empty VoiceListRecordset with the equality indexes a list read from a file has,
// so filters and finds on it cost what they cost on a freshly opened list.
Recordset newVoiceList()
{
    Recordset rs(voiceListFields());
    rs.createIndex(VoiceListField::Names);
    rs.createIndex(VoiceListField::CRCAll);
    rs.createIndex(VoiceListField::CRCExName);
    rs.createIndex(VoiceListField::ChecksumAll);
    return rs;
}

// Appends rows of `from` to `to`: rowstocopy (-1: all remaining) visible records from the
// 1-based StartPos (-1: the first). Each record keeps its bookmark where `to` has it free.
void appendRows(Recordset& from, Recordset& to, std::int32_t StartPos, std::int32_t rowstocopy)
{
    const std::vector<Bookmark> marks = from.bookmarks();
    const std::size_t first = StartPos == -1 ? 0 : static_cast<std::size_t>(std::max(StartPos, 1) - 1);
    std::size_t last = marks.size();
    if (rowstocopy >= 0 && first < marks.size())
        last = std::min(marks.size(), first + static_cast<std::size_t>(rowstocopy));
    if (first < last) {
        to.reserve(last - first);
        for (std::size_t i = first; i < last; ++i)
            to.appendRecord(from.rowValuesAt(marks[i]), marks[i]);
    }
    from.moveFirst();
    to.moveFirst();
}

}  // namespace

// ---- copying

std::optional<platform::Recordset> clsVoiceNames::CopyRecordset(platform::Recordset& rsIn, std::int32_t StartPos,
                                                                std::int32_t rowstocopy, bool blnQuiet)
{
    if (rowstocopy == 0)
        return std::nullopt;
    BusyCursor busy(!blnQuiet);
    Recordset out = newVoiceList();
    appendRows(rsIn, out, StartPos, rowstocopy);
    return out;
}

platform::Recordset* clsVoiceNames::CopyRecordset(platform::Recordset& rsIn, platform::Recordset& rsOut,
                                                  std::int32_t StartPos, std::int32_t rowstocopy, bool blnQuiet)
{
    if (rowstocopy == 0)
        return nullptr;
    BusyCursor busy(!blnQuiet);
    appendRows(rsIn, rsOut, StartPos, rowstocopy);
    return &rsOut;
}

// ---- sorting

void clsVoiceNames::SortVoiceList(VoiceListView& vlist)
{
    BusyCursor busy;
    platform::ShowStatusMessage("Please Wait - Sorting " + vlist.FileTitle());
    Recordset& rs = vlist.rsmfimage();
    rs.sort({platform::SortKey{VoiceListField::Names, false, platform::TextCompare::NoCase}});
    std::optional<Recordset> sorted = CopyRecordset(rs, -1, -1, false);
    vlist.setRsmfimage(std::move(*sorted));
    vlist.UpdateListBox(vlist.bankPage(), 0, true);
    vlist.refreshFrame();
    platform::ShowStatusMessage(std::string());
}

// ---- finding

void clsVoiceNames::EndFindSearch()
{
    VoiceListView* start = appState().colVoiceLists().Item(m_findStartList);
    if (start != nullptr) {
        const std::int32_t page = std::max(m_findStartPage, 1);
        const std::int32_t voice =
            platform::BankCountForPatches(m_findStartVoice) == page ? platform::PatchNumberInBank(m_findStartVoice) : 0;
        start->UpdateListBox(page, voice, voice == 0);
        start->refreshFrame();
    }
    m_findListIndex = 0;
    m_findRangeEnd = 0;
    m_findLastMatch = 0;
    m_findMatched = false;
    m_findStartList = 0;
    m_findStartPage = 0;
    m_findStartVoice = 0;
}

void clsVoiceNames::FindVoice(const std::string& VoiceName, std::int32_t CurrentListNo, std::int32_t CurrentPage,
                              std::int32_t CurrentVoiceNo, bool AllLists, bool PatternMatch,
                              std::int16_t SearchDirection)
{
    VoiceListRegistry& lists = appState().colVoiceLists();
    const bool up = SearchDirection == 1;
    if (m_findListIndex == 0) {
        std::int32_t first = CurrentListNo;
        std::int32_t last = CurrentListNo;
        if (AllLists) {
            if (SearchDirection == 0)
                first = 1;
            last = up ? 1 : lists.count();
        }
        m_findListIndex = first;
        m_findRangeEnd = last;
        m_findStartList = CurrentListNo;
        m_findStartPage = CurrentPage;
        m_findStartVoice = CurrentVoiceNo;
        m_findLastMatch = CurrentVoiceNo == 0 ? 1 : CurrentVoiceNo;
        m_findMatched = false;
    }

    if (PatternMatch && !NamePattern::isValid(VoiceName)) {
        (void)platform::messages().messageBox(
            "The search string " + VoiceName + " contains invalid pattern search characters." + kCrLf + kCrLf +
                " The wildcard * character can only be used at the end of a search string or " + kCrLf +
                "together both at the beginning or end of a string (eg BAS* or *AS*)." + kCrLf + kCrLf +
                "Embedded wildcards (eg B*SS) are not allowed.",
            platform::MsgStyle::Exclamation, "Invalid Search String");
        EndFindSearch();
        return;
    }

    const NamePattern criterion(VoiceName, PatternMatch);
    const int step = up ? -1 : 1;
    for (std::int32_t i = m_findListIndex; up ? i >= m_findRangeEnd : i <= m_findRangeEnd; i += step) {
        VoiceListView* list = lists.Item(i);
        if (list == nullptr)
            continue;
        // A clone walks the list without moving the window's own cursor.
        Recordset rs = list->rsmfimage().clone();
        const std::int32_t count = rs.recordCount();
        std::int32_t pos = 0;
        if (i == m_findListIndex) {
            if (!m_findMatched)
                pos = SearchDirection == 0 ? 1 : m_findLastMatch;
            else
                pos = up ? m_findLastMatch - 1 : m_findLastMatch + 1;
        } else {
            // A list reached after the one before it is exhausted is searched whole.
            pos = up ? count : 1;
        }
        for (; pos >= 1 && pos <= count; pos += step) {
            rs.setAbsolutePosition(pos);
            if (!rs.find([&](const platform::RowRef& row) { return criterion.matches(row.text(VoiceListField::Names)); },
                         0, !up))
                break;
            pos = rs.absolutePosition();
            // The voice the search started from is not a match of its own search.
            if (i == m_findStartList && pos == m_findStartVoice)
                continue;
            m_findListIndex = i;
            m_findLastMatch = pos;
            m_findMatched = true;
            list->UpdateListBox(platform::BankCountForPatches(pos), platform::PatchNumberInBank(pos), false);
            list->refreshFrame();
            return;
        }
    }

    (void)platform::messages().messageBox("Search complete " + kCrLf + VoiceName + " not found.",
                                          platform::MsgStyle::OkOnly, "Find");
    EndFindSearch();
}

// ---- restoring a list from its backup

bool clsVoiceNames::RestoreBackup(VoiceListView& vlist, platform::Recordset& BackupList, std::int32_t bankPage)
{
    if (BackupList.recordCount() < 1)
        return false;
    BackupList.moveFirst();
    vlist.setRsmfimage(std::move(BackupList));
    BackupList = newVoiceList();
    vlist.setVoiceCount(vlist.rsmfimage().recordCount());
    vlist.ResetTracker();
    vlist.InitList(std::max(bankPage, 1), false);
    return true;
}

}  // namespace banklib
