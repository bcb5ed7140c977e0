// Brevane - an in-memory voice-list window for tests.
#include "banklib/testing/FakeVoiceList.h"

#include "banklib/clsVoiceLists.h"

namespace banklib::testing {

FakeVoiceList::FakeVoiceList(std::string fileName, FileType type, platform::Recordset records)
    : m_fileName(std::move(fileName)), m_fileType(type)
{
    m_fileTitle = clsVoiceLists::GetFileTitle(m_fileName);
    m_filePath = m_fileName.substr(0, m_fileName.size() - m_fileTitle.size());
    m_caption = m_fileTitle;
    objNames.rsmfimage = std::move(records);
    m_voiceCount = objNames.rsmfimage.recordCount();
}

std::vector<platform::Bookmark> FakeVoiceList::selectedBookmarks()
{
    std::vector<platform::Bookmark> marks;
    const std::vector<platform::Bookmark> all = rsmfimage().bookmarks();
    for (std::size_t v = 1; v < m_tracker.tr.size() && v <= all.size(); ++v)
        if (m_tracker.tr[v])
            marks.push_back(all[v - 1]);
    return marks;
}

void FakeVoiceList::ResetTracker()
{
    m_tracker.tr.assign(static_cast<std::size_t>(std::max(m_voiceCount, 0)) + 1, false);
    m_tracker.TotalSelections = 0;
}

void FakeVoiceList::show()
{
    if (!m_shown)
        ResetTracker();
    m_shown = true;
    m_listBoxPage = 1;
}

void FakeVoiceList::UpdateListBox(std::int32_t bankPage, std::int32_t voiceInBank, bool)
{
    m_listBoxPage = bankPage;
    m_listBoxVoice = voiceInBank;
}

void FakeVoiceList::InitList(std::int32_t bankPage, bool)
{
    m_voiceCount = rsmfimage().recordCount();
    m_listBoxPage = bankPage;
}

platform::Recordset FakeVoiceList::EditDelete(bool, std::span<const platform::Bookmark> bookmarks)
{
    std::vector<platform::Bookmark> doomed(bookmarks.begin(), bookmarks.end());
    if (doomed.empty())
        doomed = selectedBookmarks();
    platform::Recordset& list = rsmfimage();
    // Only the voices that go are copied, as the real window does.
    platform::Recordset removed = list.clone();
    removed.setFilter(std::span<const platform::Bookmark>(doomed));
    platform::Recordset result = removed.copy();
    list.deleteRecords(doomed);
    m_voiceCount = list.recordCount();
    ResetTracker();
    return result;
}

bool FakeVoiceList::unload()
{
    if (m_unloadResult)
        m_unloaded = true;
    return m_unloadResult;
}

}  // namespace banklib::testing
