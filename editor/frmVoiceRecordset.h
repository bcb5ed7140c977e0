// Brevane - the holder of one open editor's voice.
//
// Loads one voice of a voice list into a VoiceData recordset and keeps it, with its
// ProxyData lookup, for as long as the editor is open; the editor works on the very same
// rows (its recordsets are clones sharing them). The voice is found by its bookmark in
// the list, so sorting, deleting and moving voices in the list never make the holder
// read another voice. Never shown, so it is no widget.
#pragma once

#include "banklib/clsVoiceData.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <memory>
#include <string>

namespace editor {

class frmVoiceRecordset {
public:
    enum class LoadResult { Loaded, Refused, VoiceGone };

    frmVoiceRecordset();
    ~frmVoiceRecordset();
    frmVoiceRecordset(const frmVoiceRecordset&) = delete;
    frmVoiceRecordset& operator=(const frmVoiceRecordset&) = delete;

    // Key of the owning list in colVoiceLists.
    std::string ListID;
    // 1-based number of the voice when it was opened; -1 after a first load failed.
    std::int32_t VoiceNumber = 0;
    // CRC-32 of the voice as loaded.
    std::int32_t VoiceCRC = 0;
    // The voice's record in the list; taken from VoiceNumber at the first load when unset.
    platform::Bookmark VoiceBookmark = platform::kNoBookmark;

    // Loads the voice, or loads it again (Reset). The held recordsets are replaced only
    // when the whole voice was read: a load the user refused (a value out of range), or a
    // voice no longer in its list, leaves what was held, and VoiceCRC, as they were. A
    // first load that fails sets VoiceNumber to -1.
    LoadResult InitVoiceDataRecordset();
    [[nodiscard]] LoadResult lastResult() const { return m_last; }
    [[nodiscard]] bool loaded() const { return m_data != nullptr; }

    // The held recordsets (empty until loaded).
    [[nodiscard]] platform::Recordset& rsVoiceData() { return m_voice; }
    [[nodiscard]] platform::Recordset& rsProxyData() { return m_proxy; }

private:
    std::unique_ptr<banklib::clsVoiceData> m_data;
    platform::Recordset m_voice;
    platform::Recordset m_proxy;
    LoadResult m_last = LoadResult::Refused;
};

}  // namespace editor
