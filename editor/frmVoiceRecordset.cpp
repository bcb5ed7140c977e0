// Brevane - the holder of one open editor's voice.
#include "editor/frmVoiceRecordset.h"

#include "banklib/AppState.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"

namespace editor {

frmVoiceRecordset::frmVoiceRecordset() = default;
frmVoiceRecordset::~frmVoiceRecordset() = default;

frmVoiceRecordset::LoadResult frmVoiceRecordset::InitVoiceDataRecordset()
{
    const bool first = m_data == nullptr;
    auto fail = [&](LoadResult why) {
        if (first)
            VoiceNumber = -1;
        m_last = why;
        return why;
    };
    banklib::VoiceListView* list = banklib::appState().colVoiceLists().Item(ListID);
    if (list == nullptr)
        return fail(LoadResult::VoiceGone);
    platform::Recordset& voices = list->rsmfimage();
    if (VoiceBookmark == platform::kNoBookmark && first && VoiceNumber >= 1 && VoiceNumber <= voices.recordCount()) {
        voices.setAbsolutePosition(VoiceNumber);
        VoiceBookmark = voices.bookmark();
    }
    if (VoiceBookmark == platform::kNoBookmark || !voices.contains(VoiceBookmark))
        return fail(LoadResult::VoiceGone);

    // A fresh object for every load: a refused load must not touch the rows being edited.
    auto data = std::make_unique<banklib::clsVoiceData>();
    platform::Recordset voice;
    std::int32_t crc = 0;
    std::string mode;
    const bool failed = data->GetVoiceDataAt(voices, VoiceBookmark, list->fileType(), voice, crc, false, mode, 0);
    if (failed || crc == 0)
        return fail(LoadResult::Refused);
    m_proxy = data->InitProxyData().clone();
    m_voice = std::move(voice);
    m_data = std::move(data);
    VoiceCRC = crc;
    m_last = LoadResult::Loaded;
    return m_last;
}

}  // namespace editor
