// Brevane - what the voice bank library uses of a voice editor window.
//
// One editor window edits one voice of a voice list. The editor package implements this
// interface with the real window; tests use banklib::testing::FakeVoiceEditor.
#pragma once

#include "banklib/VoiceFormat.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <string>

namespace banklib {

class VoiceEditorView {
public:
    virtual ~VoiceEditorView() = default;

    // The VoiceData recordset of the voice being edited (155 parameter rows), set when
    // the editor is loaded or reloaded; clsVoiceData::SaveVoice turns it back into a voice.
    [[nodiscard]] virtual platform::Recordset& rsVoiceData() = 0;
    virtual void setRsVoiceData(platform::Recordset rs) = 0;
    // The ProxyData lookup of display texts.
    [[nodiscard]] virtual platform::Recordset& rsProxyData() = 0;
    virtual void setRsProxyData(platform::Recordset rs) = 0;

    // ListID of the voice-list window whose voice this editor edits.
    [[nodiscard]] virtual std::string VoiceListID() const = 0;
    virtual void setVoiceListID(const std::string& id) = 0;
    // The editor's key in its list's registry of editors; may be set only once.
    [[nodiscard]] virtual std::string EditorID() const = 0;
    virtual void setEditorID(const std::string& id) = 0;
    // 1-based number of the voice in its list when the editor was opened; shown to the
    // user, not used to find the voice again (see VoiceBookmark).
    [[nodiscard]] virtual std::int32_t VoiceNo() const = 0;
    virtual void setVoiceNo(std::int32_t voiceNo) = 0;
    // Bookmark of the voice's record in the list's rsmfimage. It survives sorting and
    // deleting other voices; SaveVoice writes the voice back to this record.
    [[nodiscard]] virtual platform::Bookmark VoiceBookmark() const = 0;
    virtual void setVoiceBookmark(platform::Bookmark bookmark) = 0;
    [[nodiscard]] virtual std::string VoiceName() const = 0;
    virtual void setVoiceName(const std::string& name) = 0;
    // Layout of the list the voice came from.
    [[nodiscard]] virtual FileType fileType() const = 0;
    virtual void setFileType(FileType type) = 0;
    // CRC-32 fingerprint of the voice as loaded or last saved back.
    [[nodiscard]] virtual std::int32_t ChecksumOnEntry() const = 0;
    virtual void setChecksumOnEntry(std::int32_t crc) = 0;
    [[nodiscard]] virtual std::int32_t ChecksumStatus() const = 0;
    virtual void setChecksumStatus(std::int32_t status) = 0;

    // The window's title text; SaveVoice puts it in front of its "has changed" question.
    [[nodiscard]] virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& text) = 0;
};

}  // namespace banklib
