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
#include "platform/VbText.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace banklib {
namespace {

using platform::Bookmark;
using platform::Recordset;

using platform::kCrLf;

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
    const auto count = static_cast<std::size_t>(from.recordCount());
    const std::size_t first = StartPos == -1 ? 0 : static_cast<std::size_t>(std::max(StartPos, 1) - 1);
    std::size_t last = count;
    if (rowstocopy >= 0 && first < count)
        last = std::min(count, first + static_cast<std::size_t>(rowstocopy));
    if (first < last) {
        to.reserve(last - first);
        const int fields = from.fieldCount();
        std::size_t at = 0;
        from.forEach([&](const platform::RowRef& row) {
            if (at >= first && at < last) {
                std::vector<platform::Value> values;
                values.reserve(static_cast<std::size_t>(fields));
                for (int f = 0; f < fields; ++f)
                    values.push_back(row.value(f));
                to.appendRecord(std::move(values), row.bookmark());
            }
            ++at;
        });
    }
    from.moveFirst();
    to.moveFirst();
}

// Whether a recordset has the fields of a voice list, so that a whole copy of it is one.
bool hasVoiceListFields(const Recordset& rs)
{
    const std::vector<platform::FieldDef> fields = voiceListFields();
    if (rs.fieldCount() != static_cast<int>(fields.size()))
        return false;
    for (int f = 0; f < rs.fieldCount(); ++f)
        if (rs.field(f).name != fields[static_cast<std::size_t>(f)].name ||
            rs.field(f).type != fields[static_cast<std::size_t>(f)].type)
            return false;
    return true;
}

// Sorts a list by name, stably, comparing names as the recordset compares text (ASCII
// case and trailing blanks ignored). Names are at most 10 characters: each becomes a
// fixed key, upper case, its trailing blanks turned into zeros so a shorter name sorts
// before a longer one that begins with it.
void sortByName(Recordset& rs)
{
    struct Key {
        std::array<char, kNameLength> name;
        std::uint32_t at;
    };
    std::vector<Key> keys;
    std::vector<Bookmark> marks;
    keys.reserve(static_cast<std::size_t>(rs.recordCount()));
    marks.reserve(keys.capacity());
    bool fits = true;
    rs.forEach([&](const platform::RowRef& row) {
        const platform::Value& v = row.value(VoiceListField::Names);
        const auto* text = std::get_if<std::string>(&v);
        std::string_view name = text != nullptr ? std::string_view(*text) : std::string_view();
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
        Key k{};
        k.at = static_cast<std::uint32_t>(marks.size());
        if (name.size() > kNameLength || name.find('\0') != std::string_view::npos)
            fits = false;
        for (std::size_t i = 0; i < name.size() && i < kNameLength; ++i) {
            const char c = name[i];
            k.name[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        keys.push_back(k);
        marks.push_back(row.bookmark());
    });
    if (!fits) {
        rs.sort({platform::SortKey{VoiceListField::Names, false, platform::TextCompare::NoCase}});
        return;
    }
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        const int c = std::memcmp(a.name.data(), b.name.data(), kNameLength);
        return c != 0 ? c < 0 : a.at < b.at;
    });
    std::vector<Bookmark> order;
    order.reserve(keys.size());
    for (const Key& k : keys)
        order.push_back(marks[k.at]);
    rs.reorder(order);
}

}  // namespace

// ---- copying

std::optional<platform::Recordset> clsVoiceNames::CopyRecordset(platform::Recordset& rsIn, std::int32_t StartPos,
                                                                std::int32_t rowstocopy, bool blnQuiet)
{
    if (rowstocopy == 0)
        return std::nullopt;
    BusyCursor busy(!blnQuiet);
    if (StartPos == -1 && rowstocopy == -1 && hasVoiceListFields(rsIn)) {
        // Every visible record of a voice list: the table is copied whole, in its order.
        Recordset out = rsIn.copy();
        out.createIndex(VoiceListField::Names);
        out.createIndex(VoiceListField::CRCAll);
        out.createIndex(VoiceListField::CRCExName);
        out.createIndex(VoiceListField::ChecksumAll);
        rsIn.moveFirst();
        out.moveFirst();
        return out;
    }
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
    // The records are put in name order where they are: the list's new recordset is a
    // view on the same records in that order, with the same bookmarks, so editors that
    // hold a voice's bookmark still find it.
    Recordset& rs = vlist.rsmfimage();
    sortByName(rs);
    vlist.setRsmfimage(rs.clone());
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
