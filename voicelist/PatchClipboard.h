// Brevane - the program-wide clipboard of voices behind Edit > Cut, Copy, Paste and
// every drag of voices between lists.
//
// It holds copies of whole voice-list records, not the system clipboard. Each Copy (and
// each drag) replaces what it held; each Paste empties it, so one Copy pastes once.
// Voices copied from a packed list and pasted into an unpacked one, or the reverse, are
// converted on the paste; between the two unpacked or the two packed layouts nothing
// changes (the wrappers are not part of a record).
//
// Records move whole: a pasted voice keeps its ID and name, its derived fingerprint
// fields (CRCAll, CRCExName, ChecksumAll, ChecksumExName) are cleared because they no
// longer describe the bytes it holds in its new list, and its duplicate mark is cleared.
// Voices are inserted in one pass and deleted in one pass, never one record at a time.
#pragma once

#include "banklib/VoiceFormat.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <span>
#include <string>

namespace banklib {
class VoiceListView;
}

namespace shell {

class PatchClipboard {
public:
    PatchClipboard();

    // ClipboardCount: voices held, 0 when empty.
    [[nodiscard]] std::int32_t count() const { return m_count; }
    // ClipboardFormat: the layout of the list the voices came from.
    [[nodiscard]] banklib::FileType format() const { return m_format; }
    // The records held (a VoiceListRecordset, in the order of their list).
    [[nodiscard]] const platform::Recordset& records() const { return m_records; }
    void clear();

    // Replaces what the clipboard holds with copies of the listed records of a list, in
    // the list's order; bookmarks the list does not hold are passed over. Returns the
    // number of voices now held.
    std::int32_t fill(platform::Recordset& list, std::span<const platform::Bookmark> bookmarks,
                      banklib::FileType format, const std::string& sourceListId);
    // Inserts the voices held before the 1-based position (clamped to 1..count + 1) of a
    // list in the layout `target`, then empties the clipboard. The list's cursor goes to
    // its first record. A voice pasted back into the list it was cut from keeps its
    // bookmark. Returns the number inserted (0 when empty or the list is not a voice list).
    std::int32_t pasteInto(platform::Recordset& list, std::int32_t position, banklib::FileType target,
                           const std::string& targetListId);

private:
    platform::Recordset m_records;
    std::int32_t m_count = 0;
    banklib::FileType m_format = banklib::FileType::Unpacked;
    std::string m_sourceListId;
};

// The program's one clipboard.
[[nodiscard]] PatchClipboard& patchClipboard();
// Voices the clipboard holds (Paste is enabled while this is above 0).
[[nodiscard]] std::int32_t GetClipboardCount();

// Copies the listed voices of a list into the clipboard, replacing what it held.
void CopySelectedPatches(banklib::VoiceListView& list, std::span<const platform::Bookmark> bookmarks);
// Deletes the listed voices from a list in one pass and sets its VoiceCount. With keep,
// `deleted` receives copies of them in list order (a VoiceListRecordset). Returns the
// number deleted.
std::int32_t DeleteSelectedPatches(banklib::VoiceListView& list, std::span<const platform::Bookmark> bookmarks,
                                   bool keep, platform::Recordset& deleted);
// Inserts the clipboard's voices at the list's CurrentVoice, which is first brought into
// 1..VoiceCount + 1 (0 becomes 1), converting them to the list's layout; sets VoiceCount
// and empties the clipboard. Returns the number inserted (PastedCount); the pasted voices
// are CurrentVoice .. CurrentVoice + that - 1.
std::int32_t PastePatches(banklib::VoiceListView& list);
// Converts the Data of every record between the packed and unpacked form when one of the
// layouts is packed and the other unpacked; names are kept. Otherwise nothing changes.
void ConvertClipboardPatches(platform::Recordset& rs, banklib::FileType sourceFormat, banklib::FileType targetFormat);

}  // namespace shell
