// Brevane - everything the MIDI input delivers, and closing the devices.
//
// Threads: a backend posts notifications from its own thread into the input queue
// (midiInputQueue(), which only stores them). While their handling is held up (a
// handler's question is open) they wait there up to a cap of 4 MiB; what comes beyond it
// is dropped, with one monitor line for each run of dropped messages. The notice that the
// MIDI system went away is never dropped: it waits outside the cap, after what came
// before it, and is handled once, ahead of it while a handler holds the input up. Timing
// clock and active sensing are never queued. All handling happens on the GUI thread in
// ProcessMidiInput(), in the order received, one notification at a time (but for that
// notice): it is called by the waits of the MIDI code and, when a Qt
// application object exists, through a queued call that each post schedules on the
// application's thread. The handlers describe each message in the monitor log, hand long
// messages to a waiting request (ReceivedSysex), and store unrequested dumps in the MIDI
// Manager's bank slots.
#pragma once

#include "midi/MonitorLines.h"
#include "platform/midi/MidiBackend.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace midi {

// Where backends deliver input. post() may be called on any thread.
[[nodiscard]] platform::MidiEventReceiver& midiInputQueue();

// Handles every notification waiting in the input queue (and input that in-process
// backends have made due), on the GUI thread. Does nothing on another thread. Called
// again from inside a handler (whose question is open), it handles only the news that
// the MIDI system went away, ahead of what waits; the outer call goes on with the rest.
void ProcessMidiInput();

// Logs at once the notes of the input dropped at the queue's cap so far, ahead of what
// waits (the MIDI system's going away says them before its own line).
void SayDroppedInput();

// Handles one notification: timing clock and active sensing are passed over; the rest is
// described, logged and, for long messages, handed over; the MIDI system's going away
// goes to clsMIDIInit::MidiSystemGone. Input is handled whether the MIDI Manager window
// is shown or not.
void MidiSinkWindowProc(const platform::MidiEvent& event);

// Short messages, device notifications and errors (also input lost between messages, and a
// System Exclusive message dropped as too large); timeStamp in ms (0 in callback-window mode).
void ShortMessageHandler(platform::MidiEventKind message, std::uint32_t data, std::uint32_t timeStamp);

// A long message or a broken one. While a dump request is pending, only its answer (a
// voice or a bank, whichever was asked for) is handed over (unlogged); the request's own
// echo is only logged, and other long messages, like a second answer arriving before the
// first was taken, are handled as unrequested data and not handed over. With none
// pending, the message is logged, stored in a bank slot when it is System Exclusive (a
// voice dump without its wrapper) and handed over as stored. A damaged voice dump
// (ReceivedDump.h), a broken message that begins as a dump (cut before its F7) among them,
// is never handed over: it is kept exactly as received in a free bank slot, its monitor
// line says what is wrong, and when it answers the pending request the wait ends and tells
// the user. Any other broken message is logged as an error. Returns the bytes to hand
// over, or nullopt when there is nothing to hand over.
[[nodiscard]] std::optional<std::string> LongDataHandler(platform::MidiEventKind message,
                                                         std::span<const std::uint8_t> bytes,
                                                         std::uint32_t timeStamp);

// Whether a message answers a dump request of this type: F0 43 0n type ..., for any
// device number n (a bank that finishes arriving after its probe timed out still counts);
// a voice (format 0) and a bank (format 9) each answer a request for either.
[[nodiscard]] bool DumpAnswersRequest(std::span<const std::uint8_t> bytes, std::int32_t type);

// A whole long message that no request takes: logged and, when it is System Exclusive,
// kept in a free bank slot (a voice dump without its wrapper). Returns what was kept (the
// message as given when it was not System Exclusive).
std::string KeepUnrequestedSysex(std::string received, std::uint32_t timeStamp);

// Note names by note number: 0 "C-2", 60 "C3", 127 "G8", 128 "G#8".
void BuildNoteNameTable();
[[nodiscard]] const std::array<std::string, 129>& NoteNames();

// Results of DescribeSysexMessage. The values are pinned.
enum class DescribeResult : std::int16_t { Long = 0, ShortOrParameter = -1 };

// Describes and logs a received (or, with edited, an edited) message: 4 bytes or more
// but not 7 is a long System Exclusive message; fewer than 4 bytes, or exactly 7 (a
// parameter change), is listed byte by byte. An edited message rewrites the current row
// of the log instead of adding one. An empty message logs nothing.
[[nodiscard]] DescribeResult DescribeSysexMessage(std::string_view message, std::uint32_t timeStamp, bool edited);

// Closes the input and/or the output when open; unloads the MIDI Manager window when no
// device is left open, and reports what was closed unless the program is closing. With
// systemGone the MIDI system has gone from under the ports (clsMIDIInit::MidiSystemGone):
// they close without lines or reports of their own, and the MIDI Manager stays as it is.
void CloseMidiDevices(bool closeInput, bool closeOutput, bool systemGone = false);

// Handles of the open devices, 0 when closed.
[[nodiscard]] std::int32_t InputHandle();
[[nodiscard]] std::int32_t OutputHandle();
// Stop and restart the delivery of input on the open input device (no effect without one).
void StopMidiInput();
void StartMidiInput();

// Queues a notification the program itself produces (a device opened or closed, a long
// message sent), so it is logged in order with what the devices deliver.
void PostMidiNotification(platform::MidiEventKind kind);

// Forgets the input side's state: queued notifications, handles, note names.
void ResetMidiInputState();

}  // namespace midi
