// Brevane - grouping the voices of a list by name patterns into new bank files.
//
// Every pattern is checked before anything changes: a pattern the matcher cannot take
// gives the group's number, negated, and leaves the list alone. The voices to search
// (the whole list, or the selection as it was when the run began) are matched against each
// group's one or two patterns; the matches are written to a new file per group, which is
// opened, and with "Move" deleted from the list, but only once their file is written.
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

namespace banklib {

using platform::Bookmark;
using platform::MsgAnswer;
using platform::Recordset;

namespace {

// A list of more than this many voices shows the progress window when it is grouped
// into three groups or more.
constexpr std::int32_t kProgressWindowThreshold = 1024;
constexpr std::int32_t kProgressWindowMinLastGroup = 2;

void status(const std::string& text, bool redraw = false) { platform::ShowStatusMessage(text, 0, 1, redraw); }
void clearStatus() { platform::ShowStatusMessage(std::string()); }

// A pattern as a part of a file name: wildcards, "_", "/", control bytes and bytes from
// 128 up dropped.
std::string cleanPattern(const std::string& pattern)
{
    std::string out;
    for (const char ch : pattern) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '*' || c == '_' || c == '/' || c < 32 || c >= 128)
            continue;
        out.push_back(ch);
    }
    return out;
}

const std::string& textOf(const platform::Value& v)
{
    static const std::string kEmpty;
    const auto* s = std::get_if<std::string>(&v);
    return s != nullptr ? *s : kEmpty;
}

}  // namespace

std::string clsVoiceNames::MakeGroupFileName(const std::string& first, const std::string& second)
{
    const std::string a = cleanPattern(first);
    const std::string b = cleanPattern(second);
    const std::string base = (!a.empty() && !b.empty()) ? a + "and" + b : (a.empty() ? b : a);
    const std::int64_t n = appState().colVoiceLists().NextFileNo();
    // A group file never replaces an existing file: the next free number is taken.
    return platform::uniqueFileName(
        appState().DataDirectory(),
        [&base](std::int64_t k) { return base + " " + platform::Format(k, "####") + ".dat"; }, n);
}

void clsVoiceNames::DeleteGroupedVoices(VoiceListView& vlist, std::span<const platform::Bookmark> grouped,
                                        std::int32_t currentVoice, bool quiet)
{
    status("Please Wait - deleting patches");
    BusyCursor busy(!quiet);
    // Exactly the voices written to the group file go; an empty list of bookmarks would
    // mean the tracker's selection to EditDelete, so nothing is asked then.
    if (!grouped.empty())
        (void)vlist.EditDelete(false, grouped);
    const std::int32_t count = vlist.rsmfimage().recordCount();
    if (vlist.CurrentVoice() > count)
        vlist.setCurrentVoice(count);
    vlist.InitList(platform::BankCountForPatches(std::min(currentVoice, std::max(count, 1))), false);
    clearStatus();
}

bool clsVoiceNames::ReportGroupProgress(VoiceListView& vlist, platform::Recordset& backup,
                                        std::int32_t group, std::int32_t lastGroup, bool& Cancel)
{
    CatalogueDialogs& dialogs = appState().catalogueDialogs();
    if (GroupStatus)
        GroupStatus(group, lastGroup, Cancel);
    else
        Cancel = dialogs.updateGroupProgress(group, lastGroup) || Cancel;
    if (!Cancel)
        return false;
    if (dialogs.groupMovesVoices()) {
        const MsgAnswer answer = platform::messages().messageBox(
            "Restore deletions from" + vlist.FileTitle() + " ?",
            platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "Search Terminated");
        if (answer == MsgAnswer::Yes)
            (void)RestoreBackup(vlist, backup, platform::BankCountForPatches(vlist.CurrentVoice()));
    }
    clearStatus();
    Cancel = false;
    platform::SetBusyCursor(false);
    return true;
}

std::int32_t clsVoiceNames::GroupPatches(VoiceListView& vlist, const std::vector<std::string>& strSearchPat)
{
    // Two patterns per group; an odd last entry is a group with one pattern.
    const auto groups = static_cast<std::int32_t>((strSearchPat.size() + 1) / 2);
    auto pattern = [&](std::int32_t g, int which) -> const std::string& {
        static const std::string kNone;
        const auto at = static_cast<std::size_t>(2 * g + which);
        return at < strSearchPat.size() ? strSearchPat[at] : kNone;
    };
    for (std::int32_t g = 0; g < groups; ++g)
        for (int which = 0; which < 2; ++which)
            if (!pattern(g, which).empty() && !NamePattern::isValid(pattern(g, which)))
                return -(g + 1);
    if (groups == 0)
        return 0;

    CatalogueRun run(vlist);
    CatalogueDialogs& dialogs = appState().catalogueDialogs();
    status("Please Wait - Backing up database for " + vlist.FileTitle(), true);
    Recordset backup = std::move(*CopyRecordset(vlist.rsmfimage(), -1, -1, false));

    // The selection holds for every group of the run, also after earlier groups moved
    // voices out of the list.
    const bool selectionOnly = dialogs.groupCurrentSelection();
    std::vector<Bookmark> selection;
    if (selectionOnly)
        selection = vlist.selectedBookmarks();

    const std::int32_t lastGroup = groups - 1;
    std::int32_t filesWritten = 0;
    bool moved = false;
    for (std::int32_t g = 0; g <= lastGroup; ++g) {
        const bool progressWindow =
            vlist.rsmfimage().recordCount() > kProgressWindowThreshold && lastGroup >= kProgressWindowMinLastGroup;
        if (progressWindow)
            dialogs.showGroupProgress();
        else
            platform::SetBusyCursor(true);
        std::string text = "Please wait - processing search ";
        if (lastGroup != 0)
            text += std::to_string(g + 1) + " of " + std::to_string(lastGroup + 1);
        status(text);

        // The voices of this group, in list order.
        const std::string& first = pattern(g, 0);
        const std::string& second = pattern(g, 1);
        const NamePattern p1(first, true);
        const NamePattern p2(second, true);
        std::vector<Bookmark> grouped;
        if (!first.empty() || !second.empty()) {
            Recordset working = vlist.rsmfimage().clone();
            if (selectionOnly)
                working.setFilter(std::span<const Bookmark>(selection));
            working.forEach([&](const platform::RowRef& row) {
                const std::string& name = textOf(row.value(VoiceListField::Names));
                if ((!first.empty() && p1.matches(name)) || (!second.empty() && p2.matches(name)))
                    grouped.push_back(row.bookmark());
            });
        }

        bool cancel = false;
        if (ReportGroupProgress(vlist, backup, g, lastGroup, cancel)) {
            if (progressWindow)
                dialogs.hideGroupProgress();
            return 0;
        }

        if (!grouped.empty()) {
            const std::string path = MakeGroupFileName(first, second);
            Recordset voices = vlist.rsmfimage().clone();
            voices.setFilter(std::span<const Bookmark>(grouped));
            std::vector<std::uint8_t> bytes;
            const FileType type = vlist.fileType();
            (void)RecordsetToByteArray(voices, bytes, type);
            // A group whose file cannot be written is skipped, and its voices stay.
            if (!path.empty() && !bytes.empty() && !SaveVoiceDataToFileByt(bytes, path, type, false)) {
                ++filesWritten;
                (void)openVoiceListFile(path, false, false);
                if (dialogs.groupMovesVoices()) {
                    DeleteGroupedVoices(vlist, grouped, vlist.CurrentVoice(), progressWindow);
                    moved = true;
                }
            }
        }

        if (ReportGroupProgress(vlist, backup, g, lastGroup, cancel)) {
            if (progressWindow)
                dialogs.hideGroupProgress();
            return 0;
        }
        if (progressWindow)
            dialogs.hideGroupProgress();
    }

    if (moved && dialogs.groupMovesVoices()) {
        const MsgAnswer answer = platform::messages().messageBox(
            " Search Complete - would you like to restore the deletions you have made from " + vlist.FileTitle() +
                "?",
            platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "Restore Deletions");
        if (answer == MsgAnswer::Yes)
            (void)RestoreBackup(vlist, backup, platform::BankCountForPatches(vlist.CurrentVoice()));
    }
    clearStatus();
    platform::SetBusyCursor(false);
    return filesWritten;
}

}  // namespace banklib
