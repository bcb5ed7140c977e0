// Brevane - the main window's MIDI transfers and the voice lists' audition.
#include "midi/MidiTransfers.h"

#include "banklib/AppState.h"
#include "banklib/InitVoice.h"
#include "banklib/VoiceEditorView.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "midi/MidiWindows.h"
#include "midi/ReceivedDump.h"
#include "midi/TimedPhrase.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiOutput.h"
#include "platform/FileIO.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <algorithm>
#include <optional>

namespace midi {
namespace {

using banklib::FileType;
namespace MsgStyle = platform::MsgStyle;

constexpr std::size_t kFileSlice = 4096;
// What the status bar says during a file send, after its progress.
constexpr std::string_view kEscStopsSending = " - press Esc to stop sending";
constexpr std::int32_t kSlicePauseMs = 1000;
constexpr std::int32_t kSentShowMs = 1000;
// Parameters 146 to 155 are the ten name characters.
constexpr std::int32_t kFirstNameParameter = 146;
constexpr int kRightButton = 2;
using platform::kCrLf;

// The voice codecs, made once: a click's audition must cost next to nothing.
banklib::clsVoiceData& codec()
{
    static banklib::clsVoiceData c;
    return c;
}

banklib::clsVoiceNames& wrapper()
{
    static banklib::clsVoiceNames w;
    return w;
}

// Keeps every byte of voice data to 7 bits, as packing does with its fields: a file may
// hold bytes over 127, which no System Exclusive message may carry.
void keep7Bits(std::string& data)
{
    for (char& c : data)
        c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
}

// The voice (from 1) as stored strings: unpacked (155 bytes) or packed (128); "" when it
// cannot be read.
std::string voiceString(banklib::VoiceListView& list, std::int32_t voice, bool packed)
{
    if (voice < 1 || voice > list.VoiceCount())
        return {};
    platform::Recordset unusedVoiceData;
    std::int32_t unusedChecksum = 0;
    std::string text(banklib::kGetVoiceAsStringOnly);
    if (codec().GetVoiceData(list.rsmfimage(), voice, list.fileType(), unusedVoiceData, unusedChecksum, true, text,
                             packed ? banklib::kPackVoice : 1))
        return {};
    const std::size_t size = packed ? banklib::kPackedVoiceSize : banklib::kUnpackedVoiceSize;
    if (text.size() != size)
        return {};
    keep7Bits(text);
    return text;
}

const std::string& packedInitVoice()
{
    static const std::string packed = [] {
        const auto init = banklib::InitVoice();
        std::string p = codec().Pack(std::string_view(reinterpret_cast<const char*>(init.data()), init.size()));
        keep7Bits(p);
        return p;
    }();
    return packed;
}

// The active child when it is a voice list (not an editor of one).
banklib::VoiceListView* activeList()
{
    const banklib::ActiveWindow active = banklib::appState().activeWindow();
    return active.editor == nullptr ? active.list : nullptr;
}

std::string plain(std::int64_t v) { return platform::Trim(platform::Str(v)); }

// The start of every status text of a file send.
std::string sendingText(const std::string& title) { return "Please wait - sending " + title + " to Midi "; }

std::span<const std::uint8_t> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// "voice 32" or "voices 28 to 32": the synthesizer voices a short bank replaces.
std::string replacedVoices(std::int32_t voices)
{
    if (voices + 1 == static_cast<std::int32_t>(banklib::kVoicesPerBank))
        return "voice 32";
    return "voices " + plain(voices + 1) + " to 32";
}

}  // namespace

std::string FreeReceivedDumpName(const std::string& folder)
{
    return platform::uniqueFileName(
        folder, [](std::int64_t n) { return " DX Bank " + platform::Str(n) + ".dat"; }, 1);
}

std::string SingleVoiceDumpOf(banklib::VoiceListView& list, std::int32_t voice)
{
    const std::string v = voiceString(list, voice, false);
    return v.empty() ? std::string() : wrapper().AddWrapper(v, FileType::UnpackedSysex);
}

std::string EditedVoiceDumpOf(banklib::VoiceEditorView& editor)
{
    std::string unpacked;
    (void)codec().PutVoiceDataInString(editor.rsVoiceData(), unpacked, editor.fileType(), false);
    if (unpacked.size() != banklib::kUnpackedVoiceSize)
        return {};
    keep7Bits(unpacked);
    return wrapper().AddWrapper(unpacked, FileType::UnpackedSysex);
}

std::string BankPageDumpOf(banklib::VoiceListView& list, std::int32_t page, std::int32_t& voices)
{
    voices = 0;
    const std::int32_t first = page * static_cast<std::int32_t>(banklib::kVoicesPerBank) - 31;
    const std::int32_t last = std::min(list.VoiceCount(), first + 31);
    if (page < 1 || first > last)
        return {};
    std::string bank;
    bank.reserve(banklib::kBankDataSize);
    for (std::int32_t n = first; n <= last; ++n) {
        const std::string v = voiceString(list, n, true);
        if (v.empty())
            return {};
        bank += v;
        platform::ShowStatusMessage("Adding Voice " + platform::Str(n) + " now string length is " +
                                    platform::Str(static_cast<std::int64_t>(bank.size())));
    }
    voices = last - first + 1;
    while (bank.size() < banklib::kBankDataSize)
        bank += packedInitVoice();
    return wrapper().AddWrapper(bank, FileType::Packed);
}

void SendPatchToMidi(banklib::VoiceListView& list, std::int32_t voice, int button, bool allowScale)
{
    if (voice < 1 || !objMIDIInit().MidiOutOpen)
        return;
    const std::string dump = SingleVoiceDumpOf(list, voice);
    if (dump.empty())
        return;
    // A phrase sounds the voice it followed: it ends before another voice goes out.
    timedPhrase().stop();
    (void)SendLongSysex(dump);
    if ((button & kRightButton) == 0 || !allowScale)
        return;
    clsMidiManagerData scale;
    scale.SendAScale();
}

void SendPatchNameToMidi(std::string_view name)
{
    if (!objMIDIInit().MidiOutOpen)
        return;
    clsMidiManagerData sender;
    for (std::size_t i = 0; i < banklib::kNameLength && i < name.size(); ++i)
        (void)sender.SendParametertoMIDI(kFirstNameParameter + static_cast<std::int32_t>(i),
                                         static_cast<unsigned char>(name[i]), 0, false, false);
}

// ---------------------------------------------------------------- receiving

void MidiTransferCommands::mnuMIDIreceive_Click(int index)
{
    // The menu offers it only while both ports are open; nothing could answer otherwise.
    if ((index != 0 && index != 1) || !objMIDIInit().MidiInOpen || !objMIDIInit().MidiOutOpen)
        return;
    // The command returns while the request waits; the reply is kept when it comes.
    (void)StartDumpRequestWithRetry(static_cast<std::int16_t>(index),
                                    [alive = std::weak_ptr<MidiTransferCommands*>(m_self)](const std::string& data) {
                                        const auto self = alive.lock();
                                        if (!self || data.empty())
                                            return;
                                        MidiTransferCommands& commands = **self;
                                        ++commands.m_receivedFileNumber;
                                        // The synthesizer may answer with the other kind (a voice for a
                                        // bank): it is kept as what came.
                                        (void)commands.keepReceivedDump(data, isSingleVoiceDump(bytesOf(data)) ? 0 : 1);
                                    });
}

banklib::VoiceListView* MidiTransferCommands::keepReceivedDump(const std::string& data, int index)
{
    const std::string folder = banklib::appState().DataDirectory();
    const std::string path = FreeReceivedDumpName(folder);
    if (path.empty()) {
        keepInSlot(data, index, "DX Bank", "no free file name was found in " + folder);
        return nullptr;
    }
    const std::string title = banklib::clsVoiceLists::GetFileTitle(path);
    std::string why;
    if (platform::writeFileAtomic(path, bytesOf(data), &why) != platform::FileError::None) {
        keepInSlot(data, index, platform::Trim(title.substr(0, title.size() - 4)), why);
        return nullptr;
    }
    banklib::clsVoiceNames opener;
    banklib::VoiceListView* list = nullptr;
    if (opener.CreateVoiceListandFileImage(path, list, true, false) == banklib::clsVoiceNames::ListOpen::Opened &&
        list)
        return list;
    (void)platform::deleteFile(path);
    keepInSlot(data, index, platform::Trim(title.substr(0, title.size() - 4)), "it could not be opened as a voice list");
    return nullptr;
}

void MidiTransferCommands::keepInSlot(const std::string& data, int index, const std::string& name,
                                      const std::string& why)
{
    banklib::clsVoiceLists lists;
    std::string unusedName;
    FileType type = FileType::NotFound;
    std::string kept = data;
    std::int32_t code = banklib::toCode(FileType::Unrecognised);
    if (lists.CheckFileIntegrity(unusedName, type, true, data) == banklib::FileCheck::Ok) {
        kept = banklib::clsVoiceNames().stripheaders(data, type, true);
        code = banklib::toCode(type);
    }
    const std::int32_t slot = windows().managerData().StoreInFreeSlot(std::move(kept), code, name);
    if (slot <= 0)
        return;  // every slot is in use: the slots have said so
    const std::string what = index == 0 ? "voice" : "bank";
    (void)platform::messages().messageBox("The " + what + " received from your synth could not be kept as a file: " +
                                              why + "." + kCrLf + "It is kept in Sysex Bank " + plain(slot) +
                                              " of the MIDI Manager, from where it can be saved.",
                                          MsgStyle::Exclamation,
                                          index == 0 ? "DX7 Voice Received" : "DX7 Bank Received");
}

// ---------------------------------------------------------------- sending

void MidiTransferCommands::mnuMIDIsend_Click(int index)
{
    // The menu offers it only while the output is open.
    if (!objMIDIInit().MidiOutOpen)
        return;
    switch (index) {
    case 0: sendVoice(); break;
    case 1: sendBankPage(); break;
    case 2: sendFile(); break;
    default: break;
    }
}

void MidiTransferCommands::sendVoice()
{
    std::string message;
    const banklib::ActiveWindow active = banklib::appState().activeWindow();
    if (active.editor != nullptr) {
        // An editor's voice as it stands, edits and all.
        message = EditedVoiceDumpOf(*active.editor);
        if (message.empty()) {
            (void)platform::messages().messageBox("The voice in " + platform::Trim(active.editor->caption()) +
                                                      " cannot be read, so it was not sent to MIDI.",
                                                  MsgStyle::Exclamation, "No Voice To Send");
            return;
        }
    } else {
        banklib::VoiceListView* list = active.list;
        if (!list)
            return;
        if (list->CurrentVoice() < 1) {
            (void)platform::messages().messageBox("Please select a voice to send to MIDI", MsgStyle::Exclamation,
                                                  "No Voice To Send");
            return;
        }
        message = SingleVoiceDumpOf(*list, list->CurrentVoice());
    }
    if (message.empty() || SendLongSysex(message) != TransportResult::Ok)
        return;
    // The 10 characters before the checksum and F7: the voice's name.
    platform::ShowStatusMessage(message.substr(message.size() - 12, banklib::kNameLength) + "sent to MIDI", kSentShowMs,
                                0);
}

void MidiTransferCommands::sendBankPage()
{
    banklib::VoiceListView* list = activeList();
    if (!list)
        return;
    const std::int32_t page = list->bankPage();
    const std::string p = plain(page);
    const std::int32_t first = page * static_cast<std::int32_t>(banklib::kVoicesPerBank) - 31;
    const std::int32_t held = std::min(list->VoiceCount() - first + 1, static_cast<std::int32_t>(banklib::kVoicesPerBank));
    if (held < 1)
        return;  // an empty page sends nothing
    if (held < static_cast<std::int32_t>(banklib::kVoicesPerBank) &&
        platform::messages().messageBox("Bank " + p + " holds " + plain(held) +
                                            " voices. Sent as a bank of 32 voices it replaces " +
                                            replacedVoices(held) + " of your synth with INIT VOICE." + kCrLf +
                                            "Do you want to send it ?",
                                        MsgStyle::YesNo + MsgStyle::Question,
                                        "Bank Not Full") != platform::MsgAnswer::Yes)
        return;
    platform::SetBusyCursor(true);
    std::int32_t voices = 0;
    const std::string message = BankPageDumpOf(*list, page, voices);
    if (message.empty()) {
        platform::ShowStatusMessage("", 0, 1);
        platform::SetBusyCursor(false);
        return;
    }
    platform::ShowStatusMessage("Please wait - sending Bank " + p + " to MIDI");
    const bool sent = SendLongSysex(message) == TransportResult::Ok;
    if (sent)
        platform::ShowStatusMessage("Bank " + p + " sent to MIDI", kSentShowMs, 0);
    else
        platform::ShowStatusMessage("", 0, 1);
    platform::SetBusyCursor(false);
}

// ---------------------------------------------------------------- sending a file

// The file going out: its bytes, its own stream (a slot sent during a pause never cuts the
// file's messages, and the counts are of this file's bytes only) and how far it has got.
struct MidiTransferCommands::FileSend {
    std::string title;
    std::vector<std::uint8_t> bytes;
    SysexSliceStream stream;
    std::size_t offered = 0;  // bytes handed to the stream
    std::size_t notSent = 0;  // of those, what could not go out
    bool inSlice = false;
    std::optional<SendEnd> endAsked;
};

enum class MidiTransferCommands::SendEnd : int { Whole, Cut, ByUser, ByExit };

MidiTransferCommands::MidiTransferCommands() = default;

MidiTransferCommands::~MidiTransferCommands()
{
    if (m_fileSend)
        platform::SetBusyCursor(false);
}

void MidiTransferCommands::sendFile()
{
    if (m_fileSend) {
        (void)platform::messages().messageBox("A file is being sent to MIDI." + std::string(kCrLf) +
                                                  "Please wait until it has gone before sending another.",
                                              MsgStyle::Exclamation, "Send File");
        return;
    }
    banklib::clsVoiceNames dialog;
    std::string path;
    std::string title;
    std::string folder;
    if (dialog.GetFileName(path, title, 0, "Choose a file to send to MIDI", nullptr, {}, "", folder) || path.empty())
        return;
    platform::ReadResult read = platform::readWholeFile(path);
    if (read.error != platform::FileError::None) {
        (void)platform::messages().messageBox(title + " cannot be sent: " + read.message, MsgStyle::Exclamation,
                                              "Send File");
        return;
    }
    m_fileSend = std::make_unique<FileSend>();
    m_fileSend->title = title;
    m_fileSend->bytes = std::move(read.bytes);
    m_sentShown.stop();
    platform::SetBusyCursor(true);
    platform::ShowStatusMessage(sendingText(title) + std::string(kEscStopsSending).substr(1));
    sendNextSlice();
}

// One slice, then the pause after it on a timed call; after the last slice's pause the
// send ends.
void MidiTransferCommands::sendNextSlice()
{
    FileSend& send = *m_fileSend;
    const std::size_t total = send.bytes.size();
    if (send.offered >= total) {
        finishFileSend(SendEnd::Whole);
        return;
    }
    // The devices may close during a pause: the send ends there.
    if (!objMIDIInit().MidiOutOpen) {
        finishFileSend(SendEnd::Cut);
        return;
    }
    const std::size_t size = std::min(kFileSlice, total - send.offered);
    std::size_t refused = 0;
    send.inSlice = true;
    (void)SendSysexSlice(send.stream, send.bytes, send.offered, size, &refused);
    send.inSlice = false;
    send.notSent += refused;
    send.offered += size;
    // The MIDI system went away under the slice: nothing more can go.
    if (refused > 0 && objMIDIInit().closedSince({false, true})) {
        finishFileSend(SendEnd::Cut);
        return;
    }
    // Escape or the exit came while the slice went out: it ends now that the slice has gone.
    if (send.endAsked) {
        finishFileSend(send.offered >= total ? SendEnd::Whole : *send.endAsked);
        return;
    }
    platform::ShowStatusMessage(sendingText(send.title) +
                                platform::Format(static_cast<double>(send.offered) / 1000.0, "######") +
                                " kb sent out of " + platform::Format(static_cast<double>(total) / 1000.0, "######") +
                                " kb" + std::string(kEscStopsSending));
    m_slicePause.start(kSlicePauseMs, [this] { sendNextSlice(); });
}

bool MidiTransferCommands::endFileSend(bool exiting)
{
    if (!m_fileSend)
        return false;
    const SendEnd how = exiting ? SendEnd::ByExit : SendEnd::ByUser;
    if (m_fileSend->inSlice) {
        if (!m_fileSend->endAsked)
            m_fileSend->endAsked = how;
        return true;
    }
    finishFileSend(m_fileSend->offered >= m_fileSend->bytes.size() ? SendEnd::Whole : how);
    return true;
}

void MidiTransferCommands::finishFileSend(SendEnd how)
{
    const std::unique_ptr<FileSend> send = std::move(m_fileSend);
    m_slicePause.stop();
    std::size_t unfinished = 0;
    if (how == SendEnd::ByUser || how == SendEnd::ByExit) {
        // A message the stopped file left unfinished is not sent: it counts among what
        // did not go, and the line below says so.
        send->stream.finish([&](platform::MidiPiece&& p) { unfinished += p.bytes.size(); });
    } else {
        (void)EndSysexSlices(send->stream, &unfinished);
    }
    platform::SetBusyCursor(false);

    // What went wrong stays in the status bar until the next text; a send that ended early
    // also says so in the monitor, beside the lines of what went out.
    const std::string& title = send->title;
    const std::size_t total = send->bytes.size();
    const std::size_t notSent = send->notSent + unfinished;
    const std::size_t offered = send->offered;
    const std::int64_t sent = static_cast<std::int64_t>(offered - std::min(notSent, offered));
    if (how != SendEnd::Whole) {
        const clsMIDIInit& init = objMIDIInit();
        std::string why;
        switch (how) {
        case SendEnd::ByUser: why = "stopped with Esc"; break;
        case SendEnd::ByExit: why = "stopped by Exit"; break;
        default:
            why = init.MidiSystemIsGone() ? MidiSystemStopped() : std::string("the MIDI output was closed");
            break;
        }
        const std::string text = title + " not sent completely: " + why + " (" + plain(sent) + " of " +
                                 plain(static_cast<std::int64_t>(total)) + " bytes sent)";
        MonitorLines line;
        line[MonitorField::Message] = text;
        windows().managerData().AddMessage(line, false);
        platform::ShowStatusMessage(text);
    } else if (notSent > 0 && sent == 0) {
        platform::ShowStatusMessage(title + " was not sent to Midi: its " +
                                    plain(static_cast<std::int64_t>(notSent)) + " bytes form no whole MIDI message");
    } else if (notSent > 0) {
        platform::ShowStatusMessage(title + " sent to Midi (" + platform::Str(sent) + ") bytes -" +
                                    platform::Str(static_cast<std::int64_t>(notSent)) +
                                    " bytes could not be sent: they form no whole MIDI message");
    } else {
        // Shown for a second, as a pause the user can work through.
        platform::ShowStatusMessage(title + " sent to Midi (" + platform::Str(static_cast<std::int64_t>(total)) +
                                    ") bytes");
        m_sentShown.start(kSentShowMs, [] { platform::ShowStatusMessage("", 0, 1); });
    }
}

}  // namespace midi
