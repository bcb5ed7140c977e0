// Brevane - the road to the MIDI output, and dump requests with their wait for a reply.
//
// Long (System Exclusive) and short messages go out through the backend of objMIDIInit;
// every message sent is logged in the MIDI Manager's monitor. A dump request is sent and
// its reply awaited on the GUI thread, on the event loop's timed calls (DumpRequests.cpp):
// the wait hands MIDI input over (ProcessMidiInput) until the input side stores a reply in
// ReceivedSysex, or reports that the reply arrived damaged (SetDamagedReply);
// PendingRequest.h keeps both.
//
// A request sequence (one RequestDumpAndWait, or one RequestDumpWithRetry with all its
// attempts) keeps PendingRequest at its dump type from start to end, and only one runs
// at a time: a second request while one is running is refused.
#pragma once

#include "midi/PendingRequest.h"
#include "midi/TransportResult.h"
#include "platform/midi/MidiStreamParser.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace midi {

// What a timed-out wait returns as its reply.
inline constexpr std::string_view kTimeoutReply = "Timeout";
// What a wait returns as its reply when the answer arrived damaged.
inline constexpr std::string_view kDamagedReply = "Damaged";
// Title of message boxes that have no title of their own.
inline constexpr std::string_view kProgramTitle = "Brevane";

// Dump types of DumpRequest.
constexpr std::int16_t kDumpSingleVoice = 0;
constexpr std::int16_t kDumpBank = 9;

// Sends a System Exclusive message (bytes, one character each) and logs it. Refuses
// without a word when the message is empty or the output is closed; shows "MIDI output
// failed" when the device refuses it. A send cut because the MIDI system went away shows
// no box (the system's own notice tells the user) and says in the monitor that it did not
// finish.
[[nodiscard]] TransportResult SendLongSysex(std::string_view message);

// Why a send was cut when the MIDI system went away under it: "JACK stopped".
[[nodiscard]] std::string MidiSystemStopped();

// One sender's slices: a message that a slice leaves unfinished waits here for the same
// sender's next slice. Every sender (a file send, a slot sent byte for byte) keeps its
// own, so a send started during another's pause never cuts the other's messages.
using SysexSliceStream = platform::MidiStreamParser;

// Sends length bytes from offset of a caller's buffer (a file sent in slices of any
// size). The slices of one stream are joined and cut again into whole messages, which go
// out one by one; nothing is logged for them, but bytes that belong to no whole message,
// or that the device refuses, are logged as an error (or, when the MIDI system went away,
// as cut by that) and the result is Failed. With the
// output closed the stream ends at once, a message it held counted with the slice.
// EndSysexSlices() ends the stream, reporting a message it left unfinished. bytesNotSent,
// when given, receives the number of bytes the call could not send.
[[nodiscard]] TransportResult SendSysexSlice(SysexSliceStream& stream, std::span<const std::uint8_t> buffer,
                                             std::size_t offset, std::size_t length,
                                             std::size_t* bytesNotSent = nullptr);
[[nodiscard]] TransportResult EndSysexSlices(SysexSliceStream& stream, std::size_t* bytesNotSent = nullptr);

// Sends a short message: status and data as one-character texts (data may be empty), or,
// with both data empty, status holding a packed message as a decimal number, resent with
// resendLabel in its monitor line. Does not test that the output is open. A device error
// is shown with its text.
[[nodiscard]] TransportResult SendShortMessage(std::string_view status, std::string_view data1,
                                               std::string_view data2, std::string_view resendLabel);

// Note on at velocity 60 on MIDIOutChannel, held 250 ms, note off; only while the output
// is open. The program's timed audition note (auditionNote) plays it: this returns at once.
void PlayAuditionNote(std::int32_t note);
// Middle C and a major arpeggio over two octaves and back (13 notes at velocity 50), each
// held durationMs (300 when below 1); only while the output is open, and ending at the
// first note the device refuses. The program's timed phrase (timedPhrase) plays it, ending
// the one playing first: this returns at once, and ended, when given, is called from the
// event loop once the phrase is over, however it ended.
void PlayRandomiserNotes(std::int32_t durationMs, std::function<void()> ended = {});

// The dump request F0 43 2n t F7 for types 0, 1, 2, 9 and 125; the parameter request
// F0 43 2n (4t+a) b c F7 for types 4, 8 and 13; "" for any other type or a byte above 127.
[[nodiscard]] std::string BuildDumpRequest(std::int16_t type, std::int16_t a, std::int16_t b, std::int16_t c);

// What a wait returns as its reply when the user, or the program's closing, ended it
// before anything whole or damaged had come.
inline constexpr std::string_view kEndedReply = "Ended";

// How the last request sequence ended: by itself (an answer, the time-out, the user's
// answers to its questions), by the user (Escape, or MIDI input switched off), or because
// the program is closing.
enum class WaitEnd : int { None = 0, ByUser = 1, ByExit = 2 };

// Whether a request sequence is running.
[[nodiscard]] bool RequestSequenceActive();

// A request sequence runs on the event loop's timed calls and ends by calling done, once,
// with its outcome; the call that starts it returns at once (done may have been called
// already, when the request could not go out). Its countdown, time-out and questions
// come at their time whatever else is on screen. False, and done never called, while
// another request sequence is running.
using DumpRequestDone = std::function<void(TransportResult result, std::string reply)>;
// RequestDumpAndWait's sequence.
[[nodiscard]] bool StartDumpRequest(std::int16_t type, std::int32_t timeoutMs, bool sendRequest,
                                    DumpRequestDone done);
// RequestDumpWithRetry's sequence.
[[nodiscard]] bool StartDumpRequestWithRetry(std::int16_t kind, std::function<void(std::string reply)> done);

// Ends the running sequence's wait at once: Escape or MIDI input switched off (ByUser),
// or the program closing (ByExit). What has come of a dump that answers the request is
// ended there and kept as a damaged dump, said as one whose end was lost; a reply already
// whole is taken; with nothing come the wait ends with "Ended". The sequence asks no more
// questions. A question of the sequence on screen is left to the user; the sequence ends
// once it is answered. False when no sequence runs.
bool EndDumpWait(WaitEnd how);
// How the last sequence that ended was ended.
[[nodiscard]] WaitEnd LastDumpWaitEnd();

// Asks for a dump (or, without sendRequest, waits for one sent by hand) and waits up to
// timeoutMs with a countdown in the status bar, keeping the windows alive until the
// sequence has ended. Ok with the reply; Failed with reply "Timeout" after the time-out,
// "Damaged" when the answer arrived damaged (the user has been told), "Ended" when the
// user ended the wait with nothing come, or "" when the request could not be sent or
// another request sequence is running.
[[nodiscard]] TransportResult RequestDumpAndWait(std::int16_t type, std::int32_t timeoutMs, std::string& reply,
                                                 bool sendRequest);

// Asks for one voice (kind 0) or a bank (kind 1) with retries and the manual-send path,
// asking the user between attempts, and waits for the end. Returns the reply, or "" when
// the user gives up or ends the wait, or the answer arrived damaged. An attempt whose
// time is up while a message that begins like an answer is still arriving goes on while
// its bytes keep coming, the status bar saying so and that Escape stops it, but never
// more than a minute past its time; once they have stopped for a moment without its end,
// or at that minute, that message is ended there: its end was lost, and it is the damaged
// answer.
[[nodiscard]] std::string RequestDumpWithRetry(std::int16_t kind);

// Forgets the transport's state (pending request, hand-over).
void ResetMidiOutputState();

}  // namespace midi
