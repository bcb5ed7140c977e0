// Brevane - the MIDI Manager's 100 System Exclusive bank slots ("Sysex Banks").
//
// The slots hold data received from the synthesizer or loaded from files, so that the
// user can look at it, send it back, save it as a bank file, open it as a voice list,
// delete it or edit its bytes. They are the rows of the MidiSysex recordset, which the
// MIDI Manager window shows in its bank grid; every operation works on the current row.
// One instance lives for the whole run beside the MIDI Manager's clsMidiManagerData.
//
// A slot keeps its bytes exactly, of any length. Voice data is stored without its System
// Exclusive wrappers, as unpacked (FileType 0) or packed (2) voices; data of any other
// kind keeps its check code (-3 unrecognised, ...) and stays byte for byte as received.
#pragma once

#include "midi/clsMidiManagerData.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace midi {

constexpr int kSysexSlotCount = 100;
// Name of a free slot, and of stored data that was given no name.
inline constexpr std::string_view kFreeSlotName = "-----------";
inline constexpr std::string_view kNewDataName = "New Data";
// Longest slot name.
constexpr std::size_t kSlotNameWidth = 80;

// Field numbers of MidiSysex.
namespace SlotField {
constexpr int No = 0;        // slot number 1..100
constexpr int Name = 1;      // kFreeSlotName when free
constexpr int Length = 2;    // number of data bytes as decimal text; 0 when free
constexpr int Data = 3;      // the bytes, one character each
constexpr int Used = 4;      // "Yes" or "No"
constexpr int FileType = 5;  // FileType code as decimal text; "NA" when free
}  // namespace SlotField

// The byte editor as the slots use it: the edited message, or nullopt when the user kept
// the message as it was. voiceData: every byte must stay below 128.
using SysexEditorFunction = std::function<std::optional<std::string>(const std::string& message, bool voiceData)>;

class MidiManagerSlots final : public MidiSysexSlots {
public:
    // manager: the data object whose monitor log EditSysex edits (grid 2).
    explicit MidiManagerSlots(clsMidiManagerData& manager);
    MidiManagerSlots(const MidiManagerSlots&) = delete;
    MidiManagerSlots& operator=(const MidiManagerSlots&) = delete;

    // The slots, fields in SlotField order.
    platform::Recordset MidiSysex;

    // Appends the 100 free slots numbered 1 to 100 (existing rows stay) and moves to the
    // first. Always false.
    bool InitMidiGrid();

    // Stores data in the current slot, asking first when that slot is used: append
    // (voice data to voice data only, converting between unpacked and packed voices after
    // a question), overwrite, or put it in the first free slot. FileType 1 and 3 become 0
    // and 2 in the caller's variable. The current row then moves to the next slot.
    // Always true.
    bool AddSysex(std::string data, std::int32_t length, std::int32_t& fileType, const std::string& name) override;
    std::int32_t StoreInFreeSlot(std::string data, std::int32_t fileType, const std::string& name) override;

    // Sends the current slot: one voice as a single-voice dump; 2 to 32 voices as one
    // 32-voice bulk dump, a bank of fewer voices filled up with INIT VOICE once the user
    // agrees to the synthesizer's voices it replaces; more than 32 voices, or voice data
    // longer than a bank dump that is no whole number of voices, are offered to be saved
    // and opened as a list instead. Other data goes out byte for byte after a question;
    // the user is told when some or all of it could not go. Always false.
    bool SendSysex() override;
    // Asks the synthesizer for its bank (with retries); the reply is stored when it comes,
    // after this has returned. Always false.
    bool ReceiveSysex();
    // Saves the current slot as a bank file chosen by the user: voice data wrapped as
    // complete dumps, other data byte for byte; the slot saved is the one current when the
    // save starts. The dialog starts in the data folder, which it leaves as it is. False
    // when saved (path receives the file).
    [[nodiscard]] bool SaveSysex(std::string& path);
    // Frees the current slot. Always false.
    bool DeleteSysex();
    // Loads a voice file chosen by the user into the current slot. The dialog starts in the
    // folder of the last Load (the data folder at first) and leaves the data folder as it
    // is; a file larger than the file reader takes is refused by its size. Always false.
    bool LoadSysex();
    // SaveSysex, then opens the file as a voice list. Always false.
    bool SaveAndLoadSysex();
    // Edits, byte by byte, the current slot (grid 1) or the current monitor row (grid 2),
    // and writes the result back in place when it differs. The slot or row edited is the
    // one current when the editor opens; a slot that took in new data meanwhile keeps it,
    // and the edit goes to a free slot.
    void EditSysex(int grid);

    // Slots that hold data.
    [[nodiscard]] std::int32_t UsedBankCount() const;
    // Whether the current slot holds data.
    [[nodiscard]] bool currentSlotUsed() const;
    // The 1-based number of the first free slot, 0 when all are used.
    [[nodiscard]] int firstFreeSlot() const;

    platform::Recordset* slotRecordset() override { return &MidiSysex; }

    // The byte editor (the MIDI Manager window's frmEditSysex); without one nothing is edited.
    void setEditor(SysexEditorFunction editor) { m_editor = std::move(editor); }
    // Called after the slots changed, so the bank grid shows their contents.
    void setChangeObserver(std::function<void()> observer) { m_changed = std::move(observer); }

private:
    void store(std::string data, std::int32_t fileType, const std::string& name);
    // What a Receive brought ("" for nothing), stored as AddSysex stores.
    void storeReceived(std::string reply);
    // Runs work with the slot of this bookmark current, then makes current again the slot
    // that was current before. False (nothing run) when there is no such slot.
    bool atSlot(platform::Bookmark slot, const std::function<void()>& work);
    // SaveSysex and SaveAndLoadSysex of the slot of this bookmark, wherever the current
    // slot stands meanwhile.
    [[nodiscard]] bool saveSlot(platform::Bookmark slot, std::string& path);
    bool saveAndLoadSlot(platform::Bookmark slot);
    void moveToNextSlot();
    void changed();
    [[nodiscard]] std::optional<std::int32_t> slotType() const;
    void sendVoices(const std::string& data, std::int32_t fileType, std::size_t voices);
    void sendRaw(const std::string& data, const std::string& bank);

    clsMidiManagerData& m_manager;
    SysexEditorFunction m_editor;
    std::function<void()> m_changed;
    // Where the Load dialog starts; empty until the first Load.
    std::string m_loadFolder;
    // Held by a Receive that is still waiting, so that its reply never reaches slots that are gone.
    std::shared_ptr<MidiManagerSlots*> m_self = std::make_shared<MidiManagerSlots*>(this);
};

// Whether two FileType codes can be joined by appending: both voice data (0 or 2).
[[nodiscard]] bool slotTypesCanAppend(std::int32_t slotType, std::int32_t newType);

// The bytes of a monitor row to edit or resend: a long message's raw bytes; a short
// message's status and data bytes (as many as its status byte calls for); for a short row
// without a status byte (a 4 to 6 byte System Exclusive message), its raw bytes.
[[nodiscard]] std::string monitorRowMessage(const platform::Recordset& log);

}  // namespace midi
