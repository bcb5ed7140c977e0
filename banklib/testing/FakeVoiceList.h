// Brevane - an in-memory voice-list window for tests.
#pragma once

#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceNames.h"

#include <cstdint>
#include <string>
#include <vector>

namespace banklib::testing {

class FakeVoiceList final : public VoiceListView {
public:
    FakeVoiceList() = default;
    // A list showing these records (VoiceCount follows the record count).
    FakeVoiceList(std::string fileName, FileType type, platform::Recordset records);

    std::string ListID() const override { return m_listId; }
    void setListID(const std::string& id) override { m_listId = id; }
    std::string FileName() const override { return m_fileName; }
    void setFileName(const std::string& path) override { m_fileName = path; }
    std::string FileTitle() const override { return m_fileTitle; }
    void setFileTitle(const std::string& title) override { m_fileTitle = title; }
    std::string FilePath() const override { return m_filePath; }
    void setFilePath(const std::string& folder) override { m_filePath = folder; }
    FileType fileType() const override { return m_fileType; }
    void setFileType(FileType type) override { m_fileType = type; }
    std::int32_t VoiceCount() const override { return m_voiceCount; }
    void setVoiceCount(std::int32_t count) override { m_voiceCount = count; }
    std::int32_t CurrentVoice() const override { return m_currentVoice; }
    void setCurrentVoice(std::int32_t voiceNo) override { m_currentVoice = voiceNo; }
    std::int32_t SavedCRC() const override { return m_savedCrc; }
    void setSavedCRC(std::int32_t crc) override { m_savedCrc = crc; }
    platform::Recordset& rsmfimage() override { return objNames.rsmfimage; }
    void setRsmfimage(platform::Recordset rs) override { objNames.rsmfimage = std::move(rs); }

    SelectionTracker& selectionTracker() override { return m_tracker; }
    std::vector<platform::Bookmark> selectedBookmarks() override;
    void ResetTracker() override;
    void UpdateSelections(std::int32_t bankPage) override { m_lastSelectionsPage = bankPage; }

    std::int32_t bankPage() const override { return m_bankPage; }
    void setBankPage(std::int32_t page) { m_bankPage = page; }
    std::string caption() const override { return m_caption; }
    void setCaption(const std::string& text) override { m_caption = text; }
    void show() override;
    void UpdateListBox(std::int32_t bankPage, std::int32_t voiceInBank, bool flag) override;
    void InitList(std::int32_t bankPage, bool flag) override;
    void refreshFrame() override { ++m_frameRefreshes; }

    platform::Recordset EditDelete(bool flag, std::span<const platform::Bookmark> bookmarks) override;
    bool unload() override;

    // What the window was asked to do, for assertions.
    bool shown() const { return m_shown; }
    bool unloaded() const { return m_unloaded; }
    std::int32_t listBoxPage() const { return m_listBoxPage; }
    std::int32_t listBoxVoice() const { return m_listBoxVoice; }
    int frameRefreshes() const { return m_frameRefreshes; }
    // Answer of the next unload() (false: the user cancelled the close).
    void setUnloadResult(bool result) { m_unloadResult = result; }

    // The window's own clsVoiceNames, which holds rsmfimage.
    clsVoiceNames objNames;

private:
    std::string m_listId;
    std::string m_fileName;
    std::string m_fileTitle;
    std::string m_filePath;
    FileType m_fileType = FileType::Unpacked;
    std::int32_t m_voiceCount = 0;
    std::int32_t m_currentVoice = 0;
    std::int32_t m_savedCrc = 0;
    std::int32_t m_bankPage = 1;
    std::string m_caption;
    SelectionTracker m_tracker;
    bool m_shown = false;
    bool m_unloaded = false;
    bool m_unloadResult = true;
    std::int32_t m_listBoxPage = 0;
    std::int32_t m_listBoxVoice = 0;
    std::int32_t m_lastSelectionsPage = 0;
    int m_frameRefreshes = 0;
};

}  // namespace banklib::testing
