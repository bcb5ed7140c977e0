// Brevane - the duplicate voice search, the removal of duplicates and their restore.
//
// The copies of a voice are found through a hash index on the match key, built once per
// search, instead of one filter pass over the whole list per voice:
//   mode 0  the name, compared as names compare (ASCII case and trailing blanks ignored);
//   mode 1  name and 7-bit checksum: the voice's bytes (data and name) must be equal;
//   mode 2  CRC-32 of data and name: the data and name bytes must be equal;
//   mode 3  CRC-32 of the data alone: the data bytes must be equal.
// A checksum or CRC match only admits candidates: two different voices that collide on it
// are not duplicates. Of a set of equal voices the first one met in list order stays and
// every later one is marked, exactly as a per-voice filter would mark them.
//
// The search range is taken as bookmarks when the search starts, so deleting voices in
// asking mode never makes the search skip a voice or leave its bank.
#include "banklib/clsVoiceNames.h"

#include "banklib/AppState.h"
#include "banklib/BusyCursor.h"
#include "banklib/CatalogueDialogs.h"
#include "banklib/CatalogueHooks.h"
#include "banklib/NamePattern.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "platform/FileIO.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <algorithm>
#include <functional>

namespace banklib {

using platform::Bookmark;
using platform::MsgAnswer;
using platform::Recordset;
using platform::Str;

namespace {

using platform::kCrLf;

// Match modes of the duplicate-search dialog (its Option1).
constexpr std::int32_t kMatchName = 0;
constexpr std::int32_t kMatchChecksum = 1;
constexpr std::int32_t kMatchCrc = 2;
constexpr std::int32_t kMatchCrcExName = 3;
// Scopes (its Option2).
constexpr std::int32_t kScopeFile = 0;
constexpr std::int32_t kScopeVoice = 1;
constexpr std::int32_t kScopeBank = 2;
// A larger automatic whole-file search reports through the progress window.
constexpr std::int32_t kProgressWindowThreshold = 1024;

const std::string& textOf(const platform::Value& v)
{
    static const std::string kEmpty;
    const auto* s = std::get_if<std::string>(&v);
    return s != nullptr ? *s : kEmpty;
}

void status(const std::string& text) { platform::ShowStatusMessage(text); }
void clearStatus() { platform::ShowStatusMessage(std::string()); }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Whether two names compare equal as names compare.
bool sameName(std::string_view a, std::string_view b)
{
    a = trimRight(a);
    b = trimRight(b);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

std::uint64_t hashText(std::string_view s) { return std::hash<std::string_view>{}(s); }

std::uint64_t combine(std::uint64_t a, std::uint64_t b) { return (a * 0x9E3779B97F4A7C15ULL) ^ (b + 0x632BE59BD9B4E019ULL); }

}  // namespace

// The state of one duplicate search.
struct clsVoiceNames::DuplicateSearch {
    DuplicateOptions options;
    std::string title;
    std::int32_t startVoice = 0;
    Recordset backup;
    Recordset removed;
    std::int32_t totalAtStart = 0;
    bool sorted = false;
    bool progressWindow = false;
    std::int32_t dupFound = 0;
    std::int32_t dupDeleted = 0;
    std::int32_t lastPosition = 0;

    // Every voice of the list when the search began, in list order (index = position - 1).
    std::vector<Bookmark> marks;
    std::vector<const std::string*> data;
    std::vector<const std::string*> names;
    std::vector<char> marked;
    std::vector<char> deleted;
    std::vector<char> inRange;
    bool anyDeleted = false;
    // The search range, in list order, and how many of its voices are still in the list.
    std::vector<std::uint32_t> range;
    std::int32_t rangeLive = 0;
    // Hash index: (hash of the match key, voice index) sorted, and each voice's group in it.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> index;
    std::vector<std::uint32_t> groupBegin;
    std::vector<std::uint32_t> groupEnd;

    bool automatic() const { return options.Check1 == 1; }

    // Sets the DelSelected mark of voice x: by its position while nothing has been
    // deleted, by its bookmark afterwards.
    void setMark(Recordset& rs, std::uint32_t x) const
    {
        if (anyDeleted) {
            rs.setValueAt(marks[x], VoiceListField::DelSelected, true);
        } else {
            rs.setAbsolutePosition(static_cast<int>(x) + 1);
            rs.setValue(VoiceListField::DelSelected, true);
        }
    }

    // The stored data and name of voice x: straight from the rows while nothing has been
    // deleted, through the list's recordset by bookmark afterwards.
    const std::string& dataOf(Recordset& rs, std::uint32_t x) const
    {
        return anyDeleted ? textOf(rs.valueAt(marks[x], VoiceListField::Data)) : *data[x];
    }
    const std::string& nameOf(Recordset& rs, std::uint32_t x) const
    {
        return anyDeleted ? textOf(rs.valueAt(marks[x], VoiceListField::Names)) : *names[x];
    }

    std::uint64_t keyHash(std::uint32_t x) const
    {
        switch (options.Option1) {
        case kMatchName:
            return hashText(normalisedName(*names[x]));
        case kMatchCrcExName:
            return hashText(*data[x]);
        default:
            return combine(hashText(*data[x]), hashText(*names[x]));
        }
    }

    bool sameKey(Recordset& rs, std::uint32_t a, std::uint32_t b) const
    {
        switch (options.Option1) {
        case kMatchName:
            return sameName(nameOf(rs, a), nameOf(rs, b));
        case kMatchCrcExName:
            return dataOf(rs, a) == dataOf(rs, b);
        default:
            return dataOf(rs, a) == dataOf(rs, b) && nameOf(rs, a) == nameOf(rs, b);
        }
    }

    // Takes every voice of the list, in order.
    void snapshot(Recordset& rs)
    {
        const auto n = static_cast<std::size_t>(rs.recordCount());
        marks.clear();
        data.clear();
        names.clear();
        marks.reserve(n);
        data.reserve(n);
        names.reserve(n);
        rs.forEach([&](const platform::RowRef& row) {
            marks.push_back(row.bookmark());
            data.push_back(&textOf(row.value(VoiceListField::Data)));
            names.push_back(&textOf(row.value(VoiceListField::Names)));
        });
        marked.assign(n, 0);
        deleted.assign(n, 0);
        inRange.assign(n, 0);
    }

    void buildIndex()
    {
        const std::size_t n = marks.size();
        index.resize(n);
        for (std::size_t x = 0; x < n; ++x)
            index[x] = {keyHash(static_cast<std::uint32_t>(x)), static_cast<std::uint32_t>(x)};
        std::sort(index.begin(), index.end());
        groupBegin.assign(n, 0);
        groupEnd.assign(n, 0);
        for (std::size_t b = 0; b < n;) {
            std::size_t e = b + 1;
            while (e < n && index[e].first == index[b].first)
                ++e;
            for (std::size_t k = b; k < e; ++k) {
                groupBegin[index[k].second] = static_cast<std::uint32_t>(b);
                groupEnd[index[k].second] = static_cast<std::uint32_t>(e);
            }
            b = e;
        }
    }
};

void clsVoiceNames::RaiseSearchStatus(std::int32_t SearchedVoice, std::int32_t TotalAtStart, std::int32_t TotalNow,
                                      std::int32_t DupFound, std::int32_t DupDeleted, bool& Cancel)
{
    if (SearchStatus) {
        SearchStatus(SearchedVoice, TotalAtStart, TotalNow, DupFound, DupDeleted, Cancel);
        return;
    }
    // The progress window repaints at most about 20 times a second, and always for the
    // final report.
    if (SearchedVoice == TotalAtStart || m_progressThrottle.due())
        Cancel = appState().catalogueDialogs().showDuplicateProgress(
                     {SearchedVoice, TotalAtStart, TotalNow, DupFound, DupDeleted}) ||
                 Cancel;
}

// ---- the search

void clsVoiceNames::SearchDuplicates(VoiceListView& vlist)
{
    CatalogueRun run(vlist);
    CatalogueDialogs& dialogs = appState().catalogueDialogs();
    DuplicateSearch s;
    s.options = dialogs.duplicateOptions();
    s.title = vlist.FileTitle();
    s.startVoice = vlist.CurrentVoice();
    m_markedBookmarks.clear();
    m_progressThrottle.reset();

    status("Please Wait - Backing up " + s.title + " database.");
    s.backup = std::move(*CopyRecordset(vlist.rsmfimage(), -1, -1, true));
    s.totalAtStart = s.backup.recordCount();

    if (!AskSortBeforeSearch(vlist, s)) {
        clearStatus();
        platform::SetBusyCursor(false);
        return;
    }

    status("Please Wait - Preparing to search " + s.title);
    // Only marks left from an earlier search are cleared: a pass that writes every voice
    // would cost as much as the search itself.
    Recordset& rs = vlist.rsmfimage();
    std::vector<Bookmark> marked;
    rs.forEach([&](const platform::RowRef& row) {
        if (row.boolean(VoiceListField::DelSelected))
            marked.push_back(row.bookmark());
    });
    for (const Bookmark b : marked)
        rs.setValueAt(b, VoiceListField::DelSelected, false);
    rs.moveFirst();

    // The fingerprint fields show what the search compared; the fast path of a sorted
    // whole-file automatic search computes its own values inside runs of equal names.
    const bool fastPath = s.options.Option2 == kScopeFile && s.automatic() && s.sorted &&
                          s.options.Option1 != kMatchCrcExName;
    if (!fastPath) {
        if (s.options.Option1 == kMatchChecksum)
            CalcChecksumColumns(rs, false);
        else if (s.options.Option1 == kMatchCrc)
            CalcCRCColumns(rs, false);
        else if (s.options.Option1 == kMatchCrcExName)
            CalcCRCColumns(rs, true);
    }

    s.removed = Recordset(voiceListFields());
    status("Please Wait - Searching " + s.title + " for duplicate patches");
    const bool searched = SearchDuplicateLoop(vlist, s);
    if (searched && s.automatic())
        FinishDuplicateSearch(vlist, s, s.lastPosition);
    if (s.progressWindow)
        dialogs.hideDuplicateProgress();
    platform::SetBusyCursor(false);
}

bool clsVoiceNames::AskSortBeforeSearch(VoiceListView& vlist, DuplicateSearch& s)
{
    s.progressWindow = s.automatic() && s.options.Option2 == kScopeFile &&
                       vlist.rsmfimage().recordCount() > kProgressWindowThreshold;
    if (s.options.Option1 == kMatchCrcExName)
        return true;
    if (s.options.Check2 == 1) {
        SortVoiceList(vlist);
        s.sorted = true;
        return true;
    }
    if (!s.progressWindow)
        return true;
    const MsgAnswer answer = platform::messages().messageBox(
        "Searches are quicker on sorted files." + kCrLf + kCrLf + "Would you like to sort " + s.title + " now ?",
        platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "Sort File");
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::Yes) {
        SortVoiceList(vlist);
        s.sorted = true;
    }
    return true;
}

bool clsVoiceNames::SetSearchRange(VoiceListView& vlist, DuplicateSearch& s)
{
    const auto count = static_cast<std::int32_t>(s.marks.size());
    std::int32_t first = 1;
    std::int32_t last = count;
    if (s.options.Option2 == kScopeVoice) {
        const std::int32_t current = vlist.CurrentVoice();
        if (current < 1 || current > count) {
            (void)platform::messages().messageBox("Please select a voice in " + s.title + " to use in this search",
                                                  platform::MsgStyle::Exclamation, "No Selection");
            return true;
        }
        first = last = current;
    } else if (s.options.Option2 == kScopeBank) {
        const std::int32_t page = std::max(vlist.bankPage(), 1);
        first = page * platform::kVoicesPerBank - (platform::kVoicesPerBank - 1);
        last = std::min(first + platform::kVoicesPerBank - 1, count);
    }
    s.range.clear();
    for (std::int32_t v = first; v <= last; ++v) {
        s.range.push_back(static_cast<std::uint32_t>(v - 1));
        s.inRange[static_cast<std::size_t>(v - 1)] = 1;
    }
    s.rangeLive = static_cast<std::int32_t>(s.range.size());
    return false;
}

bool clsVoiceNames::SearchDuplicateLoop(VoiceListView& vlist, DuplicateSearch& s)
{
    Recordset& rs = vlist.rsmfimage();
    s.snapshot(rs);
    if (SetSearchRange(vlist, s)) {
        clearStatus();
        platform::SetBusyCursor(false);
        return false;
    }
    vlist.ResetTracker();
    if (s.progressWindow)
        appState().catalogueDialogs().showDuplicateProgressWindow();

    if (s.automatic() && s.options.Option1 != kMatchCrcExName && s.sorted && s.options.Option2 == kScopeFile) {
        FindSortedDuplicates(vlist, s);
        s.lastPosition = static_cast<std::int32_t>(s.marks.size());
        clearStatus();
        return true;
    }

    s.buildIndex();
    std::int32_t lastSearched = 0;
    for (const std::uint32_t x : s.range) {
        if (s.deleted[x] || s.marked[x])
            continue;
        const std::int32_t matches = MarkMatches(vlist, s, x);
        const std::int32_t i = s.anyDeleted ? vlist.rsmfimage().positionOf(s.marks[x]) : static_cast<std::int32_t>(x) + 1;
        lastSearched = i;
        if (!s.automatic()) {
            vlist.UpdateListBox(platform::BankCountForPatches(i), platform::PatchNumberInBank(i), false);
            const std::string name(trimRight(s.nameOf(vlist.rsmfimage(), x)));
            if (ResolveMatches(vlist, s, name, matches))
                return true;
        }
        if (s.progressWindow) {
            bool cancel = false;
            RaiseSearchStatus(i, s.totalAtStart, s.rangeLive, s.dupFound, s.dupDeleted, cancel);
            if (cancel) {
                clearStatus();
                platform::SetBusyCursor(false);
                s.lastPosition = i;
                return true;
            }
        } else {
            status("Please Wait - voice " + Str(i) + " (of " + platform::Trim(Str(vlist.rsmfimage().recordCount())) +
                   " total)" + Str(s.dupFound) + " dup.found." + Str(s.dupDeleted) + " dup.deleted.");
        }
    }
    // The position after the last voice of the range; past the end of the list that is
    // the number of voices.
    const std::int32_t count = vlist.rsmfimage().recordCount();
    if (!s.range.empty() && !s.deleted[s.range.back()])
        lastSearched = s.anyDeleted ? vlist.rsmfimage().positionOf(s.marks[s.range.back()]) : static_cast<std::int32_t>(s.range.back()) + 1;
    s.lastPosition = std::min(lastSearched + 1, count);
    if (s.range.empty())
        s.lastPosition = count;
    clearStatus();
    return true;
}

std::int32_t clsVoiceNames::MarkMatches(VoiceListView& vlist, DuplicateSearch& s, std::size_t source)
{
    if (!s.automatic()) {
        vlist.ResetTracker();
        m_markedBookmarks.clear();
    }
    Recordset& rs = vlist.rsmfimage();
    const auto src = static_cast<std::uint32_t>(source);
    std::int32_t matches = 0;
    for (std::uint32_t k = s.groupBegin[src]; k < s.groupEnd[src]; ++k) {
        const std::uint32_t x = s.index[k].second;
        if (x == src || s.deleted[x] || (s.automatic() && s.marked[x]))
            continue;
        if (!s.sameKey(rs, src, x))
            continue;
        ++matches;
        ++s.dupFound;
        m_markedBookmarks.push_back(s.marks[x]);
        s.marked[x] = 1;
        s.setMark(rs, x);
    }
    return matches;
}

void clsVoiceNames::FindSortedDuplicates(VoiceListView& vlist, DuplicateSearch& s)
{
    Recordset& rs = vlist.rsmfimage();
    const auto n = static_cast<std::uint32_t>(s.marks.size());
    auto mark = [&](std::uint32_t x) {
        s.marked[x] = 1;
        ++s.dupFound;
        m_markedBookmarks.push_back(s.marks[x]);
        s.setMark(rs, x);
    };
    // Within a run: (hash of the voice bytes, voice) and the copies found, as
    // (first equal voice, copy), so copies are marked in the order a comparison of every
    // voice with every later one marks them.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> hashed;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> copies;
    std::uint32_t i = 0;
    while (i < n) {
        std::uint32_t j = i + 1;
        while (j < n && sameName(*s.names[i], *s.names[j]))
            ++j;
        if (j - i >= 2) {
            if (s.options.Option1 == kMatchName) {
                for (std::uint32_t x = i + 1; x < j; ++x)
                    mark(x);
            } else {
                hashed.clear();
                copies.clear();
                for (std::uint32_t x = i; x < j; ++x)
                    hashed.emplace_back(s.keyHash(x), x);
                std::sort(hashed.begin(), hashed.end());
                for (std::size_t b = 0; b < hashed.size();) {
                    std::size_t e = b + 1;
                    while (e < hashed.size() && hashed[e].first == hashed[b].first)
                        ++e;
                    // Members of one hash bucket, in list order; each joins the first
                    // earlier member whose bytes it equals.
                    for (std::size_t m = b + 1; m < e; ++m)
                        for (std::size_t r = b; r < m; ++r) {
                            const std::uint32_t rep = hashed[r].second;
                            const std::uint32_t x = hashed[m].second;
                            if (*s.data[rep] == *s.data[x] && *s.names[rep] == *s.names[x]) {
                                copies.emplace_back(rep, x);
                                break;
                            }
                        }
                    b = e;
                }
                // A copy's first equal voice is itself never a copy, so ordering by it
                // gives each source voice's copies together, sources in list order.
                std::sort(copies.begin(), copies.end());
                for (const auto& c : copies)
                    mark(c.second);
            }
        }
        i = j;
    }
}

// ---- what becomes of the voices found

std::pair<std::string, std::string> clsVoiceNames::BuildMatchMessage(DuplicateSearch& s, std::int32_t matchCount,
                                                                     const std::string& name)
{
    const bool one = matchCount == 1;
    std::string text = Str(matchCount) + (one ? " match for " : " matches for ") + name +
                       (one ? " was found " : " were found ");
    if (s.options.Option1 == kMatchChecksum)
        text += one ? "with an identical checksum. " : "with identical checksums. ";
    else if (s.options.Option1 == kMatchCrc || s.options.Option1 == kMatchCrcExName)
        text += one ? "with  an identical CRC value. " : "with identical CRC values. ";
    text += kCrLf + kCrLf + (one ? "OK to delete the matching patch ?" : "OK to delete the matching patches ?");
    return {text, one ? "Matching patch found" : "Matching patches found"};
}

void clsVoiceNames::DeleteMarkedVoices(VoiceListView& vlist, DuplicateSearch& s)
{
    if (m_markedBookmarks.empty())
        return;
    // Voices leaving the list are no longer read through the rows of the snapshot.
    std::vector<char> doomed(s.marks.size(), 0);
    std::vector<Bookmark> sorted(m_markedBookmarks);
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t x = 0; x < s.marks.size(); ++x)
        if (std::binary_search(sorted.begin(), sorted.end(), s.marks[x]))
            doomed[x] = 1;
    s.anyDeleted = true;
    Recordset gone = vlist.EditDelete(false, m_markedBookmarks);
    if (s.removed.recordCount() == 0 && gone.fieldCount() == s.removed.fieldCount())
        s.removed = std::move(gone);
    else
        CopyRecordset(gone, s.removed, -1, -1, true);
    for (std::size_t x = 0; x < s.marks.size(); ++x) {
        if (!doomed[x] || vlist.rsmfimage().contains(s.marks[x]))
            continue;
        s.deleted[x] = 1;
        if (s.inRange[x])
            --s.rangeLive;
    }
    const std::int32_t count = vlist.rsmfimage().recordCount();
    if (vlist.CurrentVoice() > count)
        vlist.setCurrentVoice(count);
}

bool clsVoiceNames::ResolveMatches(VoiceListView& vlist, DuplicateSearch& s, const std::string& name,
                                   std::int32_t matchCount)
{
    CatalogueDialogs& dialogs = appState().catalogueDialogs();
    platform::SetBusyCursor(false);
    const auto showCurrentPage = [&] {
        vlist.ResetTracker();
        vlist.UpdateSelections(platform::BankCountForPatches(vlist.CurrentVoice()));
    };
    bool end = false;
    if (matchCount == 0) {
        showCurrentPage();
        const MsgAnswer answer = platform::messages().messageBox("No duplicates of " + name + " were found.",
                                                                 platform::MsgStyle::OkCancel, "Search Result");
        end = answer == MsgAnswer::Cancel;
    } else if (s.automatic()) {
        DeleteMarkedVoices(vlist, s);
        s.dupDeleted += matchCount;
    } else {
        const auto [text, title] = BuildMatchMessage(s, matchCount, name);
        const MsgAnswer answer =
            platform::messages().messageBox(text, platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, title);
        if (answer == MsgAnswer::Yes) {
            DeleteMarkedVoices(vlist, s);
            s.dupDeleted += matchCount;
        } else if (answer == MsgAnswer::No) {
            showCurrentPage();
        } else {
            end = true;
        }
        if (!end && s.options.Option2 != kScopeVoice && !dialogs.continueDontAskAgain()) {
            if (dialogs.askContinueSearch().stop) {
                dialogs.unloadContinueSearch();
                end = true;
            }
        }
    }
    if (!end) {
        if (!s.automatic())
            m_markedBookmarks.clear();
        return false;
    }
    if (s.dupDeleted > 0) {
        const MsgAnswer answer = platform::messages().messageBox(
            "Would you like to restore the deletions from " + s.title + "?",
            platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "Restore deletions");
        if (answer == MsgAnswer::Yes)
            RestoreBackup(vlist, s.backup, platform::BankCountForPatches(vlist.CurrentVoice()));
    }
    return true;
}

void clsVoiceNames::FinishDuplicateSearch(VoiceListView& vlist, DuplicateSearch& s, std::int32_t lastPosition)
{
    if (lastPosition < 1)
        lastPosition = vlist.rsmfimage().recordCount();
    if (s.dupFound == 0) {
        (void)platform::messages().messageBox("Search complete - no duplicates found ", platform::MsgStyle::OkOnly,
                                              "No Duplicates Found");
        return;
    }
    std::string sourceName;
    if (s.options.Option2 == kScopeVoice && !s.range.empty())
        sourceName = "of " + std::string(trimRight(s.nameOf(vlist.rsmfimage(), s.range.front())));
    const std::string summary = Str(s.dupFound) + " duplicates " + sourceName + " found.";

    bool ignored = false;
    RaiseSearchStatus(lastPosition, s.totalAtStart, s.rangeLive, s.dupFound, s.dupFound, ignored);
    status("Please Wait - Deleting duplicate patches.");
    ResolveMatches(vlist, s, std::string(), s.dupFound);
    clearStatus();

    if (s.dupDeleted < 1) {
        (void)platform::messages().messageBox("Search complete - " + summary + kCrLf + kCrLf +
                                                  "No patches were deleted.",
                                              platform::MsgStyle::OkOnly, "Duplicates Found/Deleted");
        return;
    }
    const MsgAnswer answer = platform::messages().messageBox(
        "Search complete - " + summary + kCrLf + kCrLf + platform::Trim(Str(s.dupDeleted)) +
            " patches were removed from " + s.title + kCrLf + kCrLf + "These patches will be saved in a new file " +
            kCrLf + kCrLf + "OK to make these changes ? ",
        platform::MsgStyle::YesNo + platform::MsgStyle::Question, "Duplicates Found/Deleted");

    const auto undo = [&] {
        RestoreBackup(vlist, s.backup, platform::BankCountForPatches(lastPosition - 1));
        s.dupDeleted = 0;
        vlist.UpdateListBox(platform::BankCountForPatches(s.startVoice), platform::PatchNumberInBank(s.startVoice),
                            false);
    };
    if (answer != MsgAnswer::Yes) {
        undo();
        return;
    }

    // The removed voices go to "Del n from <title>" in the data folder, never over an
    // existing file; the list keeps its deletions unsaved.
    const std::int64_t n = appState().colVoiceLists().NextFileNo();
    const std::string& title = s.title;
    const std::string path = platform::uniqueFileName(
        appState().DataDirectory(),
        [&title](std::int64_t k) { return "Del " + platform::Format(k, "#### from ") + title; }, n - 1);
    std::vector<std::uint8_t> bytes;
    const FileType type = vlist.fileType();
    (void)RecordsetToByteArray(s.removed, bytes, type);
    if (path.empty() || bytes.empty() || SaveVoiceDataToFileByt(bytes, path, type, false, "", kFileAttributeHidden)) {
        // Without their file the removed voices would be lost: they go back into the list.
        undo();
        return;
    }
    (void)openVoiceListFile(path, true, false);
}

}  // namespace banklib
