// Brevane - an in-memory voice editor window for tests.
#pragma once

#include "banklib/VoiceEditorView.h"

namespace banklib::testing {

class FakeVoiceEditor final : public VoiceEditorView {
public:
    platform::Recordset& rsVoiceData() override { return m_voiceData; }
    void setRsVoiceData(platform::Recordset rs) override { m_voiceData = std::move(rs); }
    platform::Recordset& rsProxyData() override { return m_proxyData; }
    void setRsProxyData(platform::Recordset rs) override { m_proxyData = std::move(rs); }
    std::string VoiceListID() const override { return m_voiceListId; }
    void setVoiceListID(const std::string& id) override { m_voiceListId = id; }
    std::string EditorID() const override { return m_editorId; }
    void setEditorID(const std::string& id) override { m_editorId = id; }
    std::int32_t VoiceNo() const override { return m_voiceNo; }
    void setVoiceNo(std::int32_t voiceNo) override { m_voiceNo = voiceNo; }
    platform::Bookmark VoiceBookmark() const override { return m_bookmark; }
    void setVoiceBookmark(platform::Bookmark bookmark) override { m_bookmark = bookmark; }
    std::string VoiceName() const override { return m_voiceName; }
    void setVoiceName(const std::string& name) override { m_voiceName = name; }
    FileType fileType() const override { return m_fileType; }
    void setFileType(FileType type) override { m_fileType = type; }
    std::int32_t ChecksumOnEntry() const override { return m_checksumOnEntry; }
    void setChecksumOnEntry(std::int32_t crc) override { m_checksumOnEntry = crc; }
    std::int32_t ChecksumStatus() const override { return m_checksumStatus; }
    void setChecksumStatus(std::int32_t status) override { m_checksumStatus = status; }
    std::string caption() const override { return m_caption; }
    void setCaption(const std::string& text) override { m_caption = text; }

private:
    platform::Recordset m_voiceData;
    platform::Recordset m_proxyData;
    std::string m_voiceListId;
    std::string m_editorId;
    std::int32_t m_voiceNo = 0;
    platform::Bookmark m_bookmark = platform::kNoBookmark;
    std::string m_voiceName;
    FileType m_fileType = FileType::Unpacked;
    std::int32_t m_checksumOnEntry = 0;
    std::int32_t m_checksumStatus = 0;
    std::string m_caption;
};

}  // namespace banklib::testing
