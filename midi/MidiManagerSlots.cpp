// Brevane - the MIDI Manager's 100 System Exclusive bank slots.
#include "midi/MidiManagerSlots.h"

#include "banklib/AppState.h"
#include "banklib/InitVoice.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "midi/clsMIDIInit.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "platform/FileIO.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiStreamParser.h"

#include <algorithm>
#include <array>

namespace midi {
namespace {

using banklib::FileType;
using platform::FieldType;
using platform::MsgAnswer;
namespace Style = platform::MsgStyle;

using platform::kCrLf;
constexpr const char* kIncomingTitle = "Incoming Sysex Received";
constexpr std::int32_t kUnpacked = 0;
constexpr std::int32_t kPacked = 2;

std::string plain(std::int64_t v) { return std::to_string(v); }

std::span<const std::uint8_t> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Wrapped codes 1 and 3 are kept as the bare voice data they hold once stripped.
std::int32_t storedType(std::int32_t fileType)
{
    if (fileType == banklib::toCode(FileType::UnpackedSysex))
        return kUnpacked;
    if (fileType == banklib::toCode(FileType::PackedSysex))
        return kPacked;
    return fileType;
}

bool isVoiceData(std::int32_t type) { return type == kUnpacked || type == kPacked; }

std::size_t voiceSize(std::int32_t type)
{
    return type == kUnpacked ? banklib::kUnpackedVoiceSize : type == kPacked ? banklib::kPackedVoiceSize : 0;
}

// A name taken from a file name keeps whole letters when it is cut to the field.
std::string slotName(const std::string& name)
{
    return platform::cutText(name.empty() ? std::string(kNewDataName) : name, kSlotNameWidth);
}

// The slot name as a file name: no folder separators, no NUL bytes.
std::string fileNameFromSlotName(std::string name)
{
    std::erase_if(name, [](char c) { return c == '/' || c == '\0'; });
    return name;
}

MsgAnswer ask(const std::string& text, int style, const std::string& title)
{
    return platform::messages().messageBox(text, style, title);
}

// The whole MIDI messages among bytes.
std::size_t wholeMessages(std::span<const std::uint8_t> bytes)
{
    platform::MidiStreamParser parser;
    std::size_t whole = 0;
    const auto count = [&](platform::MidiPiece&& p) {
        if (p.kind == platform::MidiPiece::Kind::Message)
            ++whole;
    };
    parser.feed(bytes, count);
    parser.finish(count);
    return whole;
}

// "voice 32" or "voices 28 to 32": the synthesizer voices a short bank replaces.
std::string replacedVoices(std::size_t voices)
{
    if (voices + 1 == banklib::kVoicesPerBank)
        return "voice 32";
    return "voices " + plain(static_cast<std::int64_t>(voices + 1)) + " to 32";
}

}  // namespace

bool slotTypesCanAppend(std::int32_t slotType, std::int32_t newType)
{
    return isVoiceData(slotType) && isVoiceData(storedType(newType));
}

std::string monitorRowMessage(const platform::Recordset& log)
{
    if (log.isEOF() || log.isBOF())
        return {};
    const std::string raw = log.text(MonitorField::RawMessage);
    if (platform::Trim(log.text(MonitorField::Type)) != "Short")
        return raw;
    const std::string status = log.text(MonitorField::Status);
    if (status.empty())
        return raw;
    std::string message = status.substr(0, 1);
    for (int f : {MonitorField::ShortData1, MonitorField::ShortData2}) {
        const std::string b = log.text(f);
        if (!b.empty())
            message += b.substr(0, 1);
    }
    // A received short message keeps all three bytes; its status says how many count.
    const int length = platform::shortMessageLength(static_cast<std::uint8_t>(message[0]));
    if (length > 0 && static_cast<std::size_t>(length) < message.size())
        message.resize(static_cast<std::size_t>(length));
    return message;
}

MidiManagerSlots::MidiManagerSlots(clsMidiManagerData& manager)
    : MidiSysex({
          {"No", FieldType::FixedText, 4},
          {"Name", FieldType::FixedText, static_cast<int>(kSlotNameWidth)},
          {"Length", FieldType::FixedText, 10},
          // Variable width: a slot keeps data of any length exactly.
          {"Data", FieldType::Text, 0},
          {"Used", FieldType::FixedText, 3},
          {"FileType", FieldType::FixedText, 3},
      }),
      m_manager(manager)
{
}

bool MidiManagerSlots::InitMidiGrid()
{
    MidiSysex.reserve(kSysexSlotCount);
    for (int i = 1; i <= kSysexSlotCount; ++i)
        (void)MidiSysex.appendRecord({std::to_string(i), std::string(kFreeSlotName), std::string("0"), std::string(),
                                      std::string("No"), std::string("NA")});
    MidiSysex.moveFirst();
    changed();
    return false;
}

std::int32_t MidiManagerSlots::UsedBankCount() const
{
    std::int32_t used = 0;
    MidiSysex.forEach([&](const platform::RowRef& r) {
        if (platform::Trim(r.text(SlotField::Used)) == "Yes")
            ++used;
    });
    return used;
}

bool MidiManagerSlots::currentSlotUsed() const
{
    return !MidiSysex.isEOF() && !MidiSysex.isBOF() && platform::Trim(MidiSysex.text(SlotField::Used)) == "Yes";
}

int MidiManagerSlots::firstFreeSlot() const
{
    int position = 0;
    int found = 0;
    MidiSysex.forEach([&](const platform::RowRef& r) {
        ++position;
        if (found == 0 && platform::Trim(r.text(SlotField::Used)) != "Yes")
            found = position;
    });
    return found;
}

std::optional<std::int32_t> MidiManagerSlots::slotType() const
{
    const std::string t = platform::Trim(MidiSysex.text(SlotField::FileType));
    if (t.empty() || t == "NA")
        return std::nullopt;
    return static_cast<std::int32_t>(platform::Val(t));
}

void MidiManagerSlots::changed()
{
    if (m_changed)
        m_changed();
}

void MidiManagerSlots::store(std::string data, std::int32_t fileType, const std::string& name)
{
    MidiSysex.setValue(SlotField::Name, slotName(name));
    MidiSysex.setValue(SlotField::Length, plain(static_cast<std::int64_t>(data.size())));
    MidiSysex.setValue(SlotField::Data, std::move(data));
    MidiSysex.setValue(SlotField::FileType, std::to_string(fileType));
    MidiSysex.setValue(SlotField::Used, std::string("Yes"));
}

void MidiManagerSlots::moveToNextSlot()
{
    // The next store goes to the following slot; the last slot stays current.
    if (MidiSysex.isEOF())
        return;
    MidiSysex.moveNext();
    if (MidiSysex.isEOF())
        MidiSysex.movePrevious();
}

bool MidiManagerSlots::AddSysex(std::string data, std::int32_t length, std::int32_t& fileType,
                                const std::string& name)
{
    (void)length;  // the data's own length is stored, so the two can never disagree
    fileType = storedType(fileType);
    if (MidiSysex.isEmpty())
        InitMidiGrid();
    if (MidiSysex.isEOF() || MidiSysex.isBOF())
        MidiSysex.moveFirst();

    if (currentSlotUsed()) {
        const std::string p = plain(MidiSysex.absolutePosition());
        const std::optional<std::int32_t> oldType = slotType();
        if (oldType && slotTypesCanAppend(*oldType, fileType)) {
            const MsgAnswer append = ask("Do you want to append the new data to Bank " + p,
                                         Style::YesNoCancel + Style::Question, kIncomingTitle);
            if (append == MsgAnswer::Cancel)
                return true;
            if (append == MsgAnswer::Yes) {
                if (*oldType != fileType) {
                    const MsgAnswer convert =
                        ask("The new data does not have the same format as that in Bank " + p + "." + kCrLf + kCrLf +
                                "Would you like to change the format of the new data to match Bank " + p + "?",
                            Style::YesNoCancel + Style::Exclamation, "Incompatible Data Format");
                    if (convert != MsgAnswer::Yes)
                        return true;
                    std::vector<std::uint8_t> bytes(data.begin(), data.end());
                    banklib::clsVoiceNames names;
                    (void)names.RestructureFileBufferByt(bytes, static_cast<FileType>(fileType),
                                                         static_cast<FileType>(*oldType));
                    data.assign(bytes.begin(), bytes.end());
                }
                std::string joined = MidiSysex.text(SlotField::Data) + data;
                MidiSysex.setValue(SlotField::Length, plain(static_cast<std::int64_t>(joined.size())));
                MidiSysex.setValue(SlotField::Data, std::move(joined));
                moveToNextSlot();
                changed();
                return true;
            }
        }
        const MsgAnswer overwrite =
            ask("Do you want to overwrite data in Bank " + p, Style::YesNoCancel + Style::Question, kIncomingTitle);
        if (overwrite != MsgAnswer::Yes) {
            if (ask("Do you want put the data in a new Bank ", Style::YesNoCancel + Style::Question, kIncomingTitle) !=
                MsgAnswer::Yes)
                return true;
            const int free = firstFreeSlot();
            if (free == 0) {
                (void)ask("All 100 Sysex Banks are in use - please delete a bank to make room for the new data.",
                          Style::Exclamation, "No Free Bank");
                return true;
            }
            MidiSysex.setAbsolutePosition(free);
        }
    }
    store(std::move(data), fileType, name);
    moveToNextSlot();
    changed();
    return true;
}

std::int32_t MidiManagerSlots::StoreInFreeSlot(std::string data, std::int32_t fileType, const std::string& name)
{
    if (MidiSysex.isEmpty())
        InitMidiGrid();
    const int free = firstFreeSlot();
    if (free == 0) {
        (void)ask("All 100 Sysex Banks are in use - please delete a bank to make room for the new data.",
                  Style::Exclamation, "No Free Bank");
        return 0;
    }
    // The user's current slot stays current.
    const platform::Bookmark current = MidiSysex.bookmark();
    MidiSysex.setAbsolutePosition(free);
    store(std::move(data), storedType(fileType), name);
    if (current != platform::kNoBookmark)
        (void)MidiSysex.moveToBookmark(current);
    changed();
    return free;
}

// ---- sending

bool MidiManagerSlots::SendSysex()
{
    const std::string data = MidiSysex.isEOF() || MidiSysex.isBOF() ? std::string() : MidiSysex.text(SlotField::Data);
    if (data.empty()) {
        (void)ask("No data to send - select or load a bank with data", Style::Exclamation, "No Data in Bank");
        return false;
    }
    const std::int32_t type = slotType().value_or(-1);
    const std::size_t size = voiceSize(type);
    // A dump arriving while a question is open may move the current slot.
    const platform::Bookmark slot = MidiSysex.bookmark();
    if (size != 0) {
        const bool wholeVoices = data.size() % size == 0;
        // More voices than a bank holds, or voice data longer than a bank dump that is no
        // whole number of voices: neither goes out as one dump.
        if ((wholeVoices && data.size() / size > banklib::kVoicesPerBank) ||
            (!wholeVoices && data.size() > banklib::kBulkVoiceDumpSize)) {
            if (ask(std::string("The bank is too large to send - it contains more than 32 voices.") + kCrLf +
                        "Do you want to save it to a file and load it so that you can select a voice or bank to send ?",
                    Style::YesNoCancel + Style::Exclamation, "Buffer too Large") == MsgAnswer::Yes)
                (void)saveAndLoadSlot(slot);
            return false;
        }
        if (wholeVoices) {
            sendVoices(data, type, data.size() / size);
            return false;
        }
    }
    const std::string bank = plain(MidiSysex.absolutePosition());
    if (wholeMessages(bytesOf(data)) == 0) {
        // Voice data of no whole number of voices, or bytes without a status byte.
        (void)ask("The data in Bank " + bank + " holds no whole MIDI message, so nothing can be sent.",
                  Style::Exclamation, "Unknown Dump Size");
        return false;
    }
    if (ask("Your sysex may not be recognised by your synth. Proceed anyway ?", Style::OkCancel + Style::Exclamation,
            "Unknown Dump Size") == MsgAnswer::Ok)
        sendRaw(data, bank);
    return false;
}

void MidiManagerSlots::sendVoices(const std::string& data, std::int32_t fileType, std::size_t voices)
{
    banklib::clsVoiceNames wrapper;
    banklib::clsVoiceData codec;
    if (voices == 1) {
        // One voice goes out as a single-voice dump, unpacked first when stored packed.
        const std::string voice = fileType == kPacked ? codec.Unpack(data) : data;
        (void)SendLongSysex(wrapper.AddWrapper(voice, FileType::UnpackedSysex));
        return;
    }
    if (voices < banklib::kVoicesPerBank) {
        const std::string bank = plain(MidiSysex.absolutePosition());
        if (ask("Bank " + bank + " holds " + plain(static_cast<std::int64_t>(voices)) +
                    " voices. Sent as a bank of 32 voices it replaces " + replacedVoices(voices) +
                    " of your synth with INIT VOICE." + kCrLf + "Do you want to send it ?",
                Style::YesNo + Style::Question, "Bank Not Full") != MsgAnswer::Yes)
            return;
    }
    std::string packed;
    packed.reserve(banklib::kBankDataSize);
    if (fileType == kPacked) {
        packed = data;
    } else {
        for (std::size_t i = 0; i < voices; ++i) {
            packed += codec.Pack(std::string_view(data).substr(i * banklib::kUnpackedVoiceSize,
                                                               banklib::kUnpackedVoiceSize));
            platform::ShowStatusMessage("Adding voice " + plain(static_cast<std::int64_t>(i + 1)) +
                                        " to sysex - length is now " +
                                        plain(static_cast<std::int64_t>(packed.size())) + " bytes");
        }
    }
    if (packed.size() < banklib::kBankDataSize) {
        const auto init = banklib::InitVoice();
        const std::string initPacked = codec.Pack(std::string_view(reinterpret_cast<const char*>(init.data()),
                                                                   init.size()));
        while (packed.size() < banklib::kBankDataSize)
            packed += initPacked;
    }
    const std::string message = wrapper.AddWrapper(packed, FileType::Packed);
    platform::ShowStatusMessage("Added wrapper - final sysex length is  " +
                                plain(static_cast<std::int64_t>(message.size())) + " bytes");
    (void)SendLongSysex(message);
    platform::ShowStatusMessage("", 0, 1);
}

void MidiManagerSlots::sendRaw(const std::string& data, const std::string& bank)
{
    // Any bytes, one or many messages: a stream of its own cuts them into whole messages
    // and reports what belongs to none; it ends here, whatever became of the slice.
    const auto bytes = bytesOf(data);
    SysexSliceStream stream;
    std::size_t notSent = 0;
    std::size_t unfinished = 0;
    (void)SendSysexSlice(stream, bytes, 0, bytes.size(), &notSent);
    (void)EndSysexSlices(stream, &unfinished);
    notSent += unfinished;
    // Cut by the MIDI system going away: the monitor says so, and the system's own notice
    // is the one word the user gets.
    if (notSent > 0 && !objMIDIInit().MidiSystemIsGone())
        (void)ask("Bank " + bank + ": " + plain(static_cast<std::int64_t>(notSent)) + " of its " +
                      plain(static_cast<std::int64_t>(data.size())) +
                      " bytes could not be sent: they form no whole MIDI message, or the device refused them.",
                  Style::Exclamation, "Unknown Dump Size");
}

bool MidiManagerSlots::ReceiveSysex()
{
    // Returns while the request waits; the reply is stored when it comes.
    (void)StartDumpRequestWithRetry(1, [alive = std::weak_ptr<MidiManagerSlots*>(m_self)](std::string reply) {
        if (const auto self = alive.lock())
            (*self)->storeReceived(std::move(reply));
    });
    return false;
}

void MidiManagerSlots::storeReceived(std::string reply)
{
    if (reply.empty())
        return;
    banklib::clsVoiceLists lists;
    std::string name;
    FileType type = FileType::Unrecognised;
    (void)lists.CheckFileIntegrity(name, type, false, reply);
    if (type == FileType::NotFound || type == FileType::Empty)
        return;
    if (banklib::isVoiceLayout(type)) {
        banklib::clsVoiceNames names;
        reply = names.stripheaders(reply, type, true);
    }
    std::int32_t fileType = banklib::toCode(type);
    const auto length = static_cast<std::int32_t>(reply.size());
    (void)AddSysex(std::move(reply), length, fileType, "");
}

// ---- files

bool MidiManagerSlots::atSlot(platform::Bookmark slot, const std::function<void()>& work)
{
    const platform::Bookmark current = MidiSysex.bookmark();
    if (!MidiSysex.moveToBookmark(slot))
        return false;
    work();
    if (current != platform::kNoBookmark)
        (void)MidiSysex.moveToBookmark(current);
    return true;
}

bool MidiManagerSlots::SaveSysex(std::string& path) { return saveSlot(MidiSysex.bookmark(), path); }

bool MidiManagerSlots::saveSlot(platform::Bookmark slot, std::string& path)
{
    changed();
    const auto noData = [] {
        (void)ask("No data to save - please choose another bank or load some data", Style::Exclamation, "No data");
        return true;
    };
    // Dumps that arrive while a question or the file dialog is open may move the current
    // slot: the slot saved is the one the save started on.
    bool used = false;
    std::string name;
    (void)atSlot(slot, [&] {
        used = currentSlotUsed();
        name = platform::Trim(MidiSysex.text(SlotField::Name));
    });
    if (!used)
        return noData();
    const std::string proposed =
        name != kNewDataName ? banklib::appState().DataDirectory() + fileNameFromSlotName(name) + ".dat" : std::string();
    banklib::clsVoiceNames names;
    std::string file;
    std::string title;
    for (;;) {
        file = proposed;
        // Always the data folder, wherever a dialog was last: the folder saved to is
        // not kept, and the data folder stays as it is.
        std::string folder = banklib::appState().DataDirectory();
        if (names.GetFileName(file, title, 1, "Save Sysex Bank", nullptr, {}, "", folder) || file.empty())
            return true;
        if (title != "New Data.dat")
            break;
        (void)ask("Please choose a different name - New Data cannot be used", Style::Exclamation,
                  "Invalid File Name");
    }
    used = false;
    std::string data;
    std::int32_t type = -1;
    (void)atSlot(slot, [&] {
        used = currentSlotUsed();
        data = MidiSysex.text(SlotField::Data);
        type = slotType().value_or(-1);
    });
    if (!used)
        return noData();
    // Voice data is written as complete dumps; anything else exactly as it is.
    const bool failed =
        isVoiceData(type)
            ? names.SaveVoiceDataToFileByt(data, file, static_cast<FileType>(type + 1), true, title)
            : names.SaveVoiceDataToFileByt(data, file, FileType::Unrecognised, false, title);
    if (failed)
        return true;
    path = file;
    return false;
}

bool MidiManagerSlots::SaveAndLoadSysex() { return saveAndLoadSlot(MidiSysex.bookmark()); }

bool MidiManagerSlots::saveAndLoadSlot(platform::Bookmark slot)
{
    std::string path;
    if (saveSlot(slot, path))
        return false;
    banklib::clsVoiceNames names;
    banklib::VoiceListView* list = nullptr;
    (void)names.CreateVoiceListandFileImage(path, list, false, true);
    return false;
}

bool MidiManagerSlots::DeleteSysex()
{
    if (MidiSysex.isEOF() || MidiSysex.isBOF())
        return false;
    MidiSysex.setValue(SlotField::Name, std::string(kFreeSlotName));
    MidiSysex.setValue(SlotField::Length, std::string("0"));
    MidiSysex.setValue(SlotField::Data, std::string());
    MidiSysex.setValue(SlotField::Used, std::string("No"));
    MidiSysex.setValue(SlotField::FileType, std::string("NA"));
    changed();
    return false;
}

bool MidiManagerSlots::LoadSysex()
{
    banklib::clsVoiceNames names;
    std::string file;
    std::string title;
    // Load keeps a folder of its own, starting in the data folder; loading from another
    // folder leaves the data folder, where Save starts, as it is.
    if (m_loadFolder.empty())
        m_loadFolder = banklib::appState().DataDirectory();
    if (names.GetFileName(file, title, 0, "Load Sysex File", nullptr, {}, "", m_loadFolder) || file.empty())
        return false;
    const std::int64_t size = platform::fileSize(file);
    // Beyond what the file reader takes: said as Send File and the print preview say it.
    if (size > static_cast<std::int64_t>(platform::kMaxReadBytes)) {
        (void)ask(title + " cannot be loaded: " + platform::fileErrorMessage(platform::FileError::TooLarge, file),
                  Style::Exclamation, "Error Opening File");
        return false;
    }
    // Only voice files go into a slot: a file whose size fits no layout is refused here
    // rather than offered to be read anyway.
    if (size > 0 && banklib::clsVoiceLists::GetFileType(size) == FileType::Unrecognised) {
        (void)ask(file + " is not in a recognisable DX7 data format (" + plain(size) +
                      " bytes) and cannot be loaded into a Sysex Bank.",
                  Style::Exclamation, "Error Opening File");
        return false;
    }
    banklib::clsVoiceLists lists;
    FileType type = FileType::NotFound;
    if (lists.CheckFileIntegrity(file, type, false) != banklib::FileCheck::Ok)
        return false;
    std::vector<std::uint8_t> bytes;
    std::int32_t crc = 0;
    if (names.GetFileByt(file, title, type, bytes, crc, true) || bytes.empty())
        return false;
    const std::string name = title.substr(0, title.find('.'));
    std::int32_t fileType = banklib::toCode(type);
    const auto length = static_cast<std::int32_t>(bytes.size());
    (void)AddSysex(std::string(bytes.begin(), bytes.end()), length, fileType, name);
    return false;
}

// ---- the byte editor

void MidiManagerSlots::EditSysex(int grid)
{
    if (!m_editor)
        return;
    if (grid == 1) {
        if (!currentSlotUsed())
            return;
        // Dumps that arrive while the editor is open may move the current slot: the edit
        // goes to the slot it was opened for.
        const platform::Bookmark slot = MidiSysex.bookmark();
        const std::string message = MidiSysex.text(SlotField::Data);
        if (message.empty())
            return;
        const std::int32_t type = slotType().value_or(-1);
        const std::string name = platform::Trim(MidiSysex.text(SlotField::Name));
        const auto edited = m_editor(message, isVoiceData(type));
        if (!edited || *edited == message || edited->empty())
            return;
        bool untouched = false;
        int position = 0;
        (void)atSlot(slot, [&] {
            position = MidiSysex.absolutePosition();
            untouched = currentSlotUsed() && MidiSysex.text(SlotField::Data) == message;
            if (!untouched)
                return;
            MidiSysex.setValue(SlotField::Length, plain(static_cast<std::int64_t>(edited->size())));
            MidiSysex.setValue(SlotField::Data, *edited);
        });
        if (untouched) {
            changed();
            return;
        }
        // A dump was appended to the slot, or replaced it, while it was being edited: the
        // edit goes to a free slot, so that neither is lost.
        const std::int32_t kept = StoreInFreeSlot(*edited, type, name);
        if (kept > 0)
            (void)ask("Bank " + plain(position) + " received new data while it was being edited." + kCrLf +
                          "The edited data is kept in Bank " + plain(kept) + ".",
                      Style::Exclamation, "Edit Sysex");
        return;
    }
    if (grid != 2)
        return;
    platform::Recordset& log = m_manager.MidiMessage;
    const std::string message = monitorRowMessage(log);
    if (message.empty())
        return;
    const platform::Bookmark row = log.bookmark();
    const auto edited = m_editor(message, false);
    if (!edited || *edited == message || edited->empty())
        return;
    // The edited message is described in place of its row, which keeps its number.
    if (!log.moveToBookmark(row))
        return;
    (void)DescribeSysexMessage(*edited, 0, true);
}

}  // namespace midi
