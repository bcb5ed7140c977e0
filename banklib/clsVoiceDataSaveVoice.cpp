// Brevane - one DX7 voice: the save-back step of a voice editor.
//
// SaveVoice finds the active editor and its list through clsVoiceNames, which packs and
// unpacks through clsVoiceData's codec; it stands in a file of its own so the codec and
// transfer operations do not depend on the catalogue class that uses them.
#include "banklib/clsVoiceData.h"

#include "banklib/VoiceEditorView.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceNames.h"
#include "platform/Services.h"
#include "platform/VbText.h"

namespace banklib {

using platform::kCrLf;

bool clsVoiceData::SaveVoice(bool DialogRequired, bool ClosingForms, VoiceListView* CurrentList,
                             VoiceEditorView* CurrentEditor)
{
    auto& msg = platform::messages();
    if (!ClosingForms) {
        std::string listId;
        bool editorNotActive = false;
        clsVoiceNames names;
        CurrentList = names.GetCurrentVoiceListAndEditor(listId, CurrentEditor, editorNotActive);
        if (listId == kNoForms) {
            (void)msg.messageBox("Please select a voice to save ", platform::MsgStyle::OkOnly,
                                 "No voice list selected");
            return true;
        }
    }
    if (CurrentList == nullptr || CurrentEditor == nullptr)
        return false;

    std::string voice;
    const std::int32_t fingerprint =
        PutVoiceDataInString(CurrentEditor->rsVoiceData(), voice, CurrentList->fileType(), false);
    if (fingerprint == CurrentEditor->ChecksumOnEntry())
        return false;
    if (fingerprint == 0) {
        (void)msg.messageBox("Checksum error - voice is corrupted and can't be saved",
                             platform::MsgStyle::OkOnly, "Error in voice data");
        return false;
    }

    // The voice is found again by its bookmark: a sort or a deletion in the list since
    // the editor opened may have moved it to another number.
    platform::Recordset& list = CurrentList->rsmfimage();
    platform::Bookmark target = CurrentEditor->VoiceBookmark();
    if (target == platform::kNoBookmark) {
        const std::int32_t no = CurrentEditor->VoiceNo();
        if (no >= 1 && no <= list.recordCount()) {
            list.setAbsolutePosition(no);
            target = list.bookmark();
        }
    }
    if (target == platform::kNoBookmark || !list.contains(target)) {
        (void)msg.messageBox("The voice edited in " + CurrentEditor->caption() +
                                 " is no longer in " + CurrentList->FileTitle() + "." + kCrLf +
                                 "The changes can't be saved.",
                             platform::MsgStyle::Exclamation, "Save Voice");
        return false;
    }

    if (DialogRequired) {
        const auto answer = msg.messageBox(CurrentEditor->caption() + " has changed" + kCrLf +
                                               "Save Changes ?",
                                           platform::MsgStyle::YesNoCancel, "Save Voice");
        if (answer == platform::MsgAnswer::Cancel)
            return true;
        if (answer == platform::MsgAnswer::No)
            return false;
    }

    if (SaveVoiceDataAt(list, CurrentList->fileType(), target, voice)) {
        // The edit stays in the editor, which stays open.
        (void)msg.messageBox("An error occured whilst saving the voice data", platform::MsgStyle::OkOnly,
                             "Error saving voice data");
        return true;
    }
    CurrentEditor->setChecksumOnEntry(fingerprint);
    return false;
}

}  // namespace banklib
