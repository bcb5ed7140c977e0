// Brevane - the main window's MIDI transfers and the voice lists' audition.
//
// Receive: a voice or a bank is asked for (with the transport's retries and questions),
// written unchanged into the data folder under the first free name " DX Bank  n.dat" and
// opened as a temporary voice list; a dump that cannot be written or opened is kept in a
// free bank slot of the MIDI Manager and the user is told where. A damaged reply never
// gets this far: the input side keeps it in a slot and the wait tells the user. Send: the
// active list's current voice, or the active editor's voice as edited, as a single-voice
// dump, its bank page as one 32-voice bank (a short page filled with INIT VOICE once the
// user agrees), or any file as the whole MIDI messages it holds, in slices with a pause
// after each; the slices and pauses run on the event loop's timed calls, so the command
// returns at once and no window opened meanwhile holds them. A file send cut short (the
// output closed, the MIDI system went away, Escape, the exit) says how much went, in the
// status bar and in the monitor. Audition: a voice clicked in a list goes out as a
// single-voice dump (a right click adds the test scale), a renamed voice's new name as
// ten parameter changes.
//
// Everything runs on the GUI thread; the waits keep the windows alive, so a command can
// be started again meanwhile: a second file send is refused while one runs, and a voice
// clicked during the test scale ends it before the voice and its own scale go out.
#pragma once

#include "platform/Services.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace banklib {
class VoiceEditorView;
class VoiceListView;
}

namespace midi {

// The first name " DX Bank  n.dat" (n from 1) under which the folder holds nothing.
[[nodiscard]] std::string FreeReceivedDumpName(const std::string& folder);

// A list's voice as a 163-byte single-voice dump (unpacked first when the list is packed,
// every data byte kept to 7 bits as packing keeps it); "" when the voice cannot be read.
[[nodiscard]] std::string SingleVoiceDumpOf(banklib::VoiceListView& list, std::int32_t voice);
// The voice of an editor as it stands as a 163-byte single-voice dump (every byte kept to
// 7 bits); "" when its VoiceData holds no whole voice.
[[nodiscard]] std::string EditedVoiceDumpOf(banklib::VoiceEditorView& editor);
// A bank page (from 1) of a list as one 4104-byte bulk dump: its voices packed, followed
// by INIT VOICE up to 32 voices; "" for a page without voices. voices receives the number
// of the list's own voices in it.
[[nodiscard]] std::string BankPageDumpOf(banklib::VoiceListView& list, std::int32_t page, std::int32_t& voices);

// A voice list's audition: sends voice (from 1) when the output is open, ending the phrase
// that plays first (it sounds the voice before); with the right button (bit 2 of button)
// and allowScale, then the voice's own test scale.
void SendPatchToMidi(banklib::VoiceListView& list, std::int32_t voice, int button, bool allowScale);
// A renamed voice's name as ten parameter changes (parameters 146 to 155), when the output
// is open; characters missing from a shorter name are not sent.
void SendPatchNameToMidi(std::string_view name);

class MidiTransferCommands {
public:
    MidiTransferCommands();
    // A file send still running ends here without a word; the busy cursor comes back.
    ~MidiTransferCommands();
    MidiTransferCommands(const MidiTransferCommands&) = delete;
    MidiTransferCommands& operator=(const MidiTransferCommands&) = delete;

    // Midi > Receive: 0 a voice, 1 a bank. Returns while the request waits (its status
    // bar countdown and questions follow); the reply is kept when it comes.
    void mnuMIDIreceive_Click(int index);
    // Midi > Send: 0 the current voice (an active editor's as edited), 1 the bank page
    // shown, 2 a file. A file returns once its first slice has gone; the others follow on
    // the event loop's timed calls.
    void mnuMIDIsend_Click(int index);

    // Dumps received in this run.
    [[nodiscard]] std::int32_t ReceivedFileNumber() const { return m_receivedFileNumber; }
    // A file send is running (other commands run during its pauses).
    [[nodiscard]] bool sendingFile() const { return m_fileSend != nullptr; }
    // Ends a running file send once the slice going out has gone, saying how much of the
    // file went: the user pressed Escape (exiting false), or the program is closing (true).
    // A send whose last slice has gone ends as a whole one. False when no file is being sent.
    bool endFileSend(bool exiting);

    // A received dump (0 a voice, 1 a bank): written and opened as a temporary list, or
    // kept in a bank slot. The list, or nullptr when it went to a slot (or was lost
    // because every slot is in use, which the slots have said).
    banklib::VoiceListView* keepReceivedDump(const std::string& data, int index);

private:
    void sendVoice();
    void sendBankPage();
    void sendFile();
    struct FileSend;
    enum class SendEnd : int;
    void sendNextSlice();
    void finishFileSend(SendEnd how);
    void keepInSlot(const std::string& data, int index, const std::string& name, const std::string& why);

    std::int32_t m_receivedFileNumber = 0;
    // The file going out, the pause after its slice, and how long its final text stands.
    std::unique_ptr<FileSend> m_fileSend;
    platform::TimedCall m_slicePause;
    platform::TimedCall m_sentShown;
    // Held by a request that is still waiting, so that its reply never reaches commands
    // that are gone.
    std::shared_ptr<MidiTransferCommands*> m_self = std::make_shared<MidiTransferCommands*>(this);
};

}  // namespace midi
