// Brevane - the dump request being waited for, and the hand-over of its reply.
//
// The transport (modMidiOutput.h) sets the dump type it waits for and takes the reply;
// the input side (modMidiInput.h) reads which type is awaited and hands over what answers
// it: a whole reply in ReceivedSysex, or the text of a damaged one. Both run on the GUI
// thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace midi {

// The value of ReceivedSysex while it holds no reply.
inline constexpr std::string_view kNoData = "No Data";

// The dump type awaited, -1 for none.
void SetPendingRequest(std::int32_t type);
[[nodiscard]] std::int32_t GetPendingRequest();

// The hand-over between the input side and the wait: the last long message received, or
// kNoData. Cleared when a request sequence starts; written only with real data.
[[nodiscard]] const std::string& ReceivedSysex();
void SetReceivedSysex(std::string message);

// A damaged answer to the pending request, which the input side kept in a bank slot:
// the wait ends and tells the user this text. Only the first one of a sequence counts.
void SetDamagedReply(std::string message);

// ---- for the wait

// A request sequence for a dump type begins: that type is awaited, and neither a reply
// nor a damaged answer left from before counts.
void BeginPendingRequest(std::int32_t type);
// The reply handed over, leaving kNoData in its place.
[[nodiscard]] std::string TakeReceivedSysex();
// The damaged answer handed over ("" for none), leaving none.
[[nodiscard]] std::string TakeDamagedReply();
// Forgets the pending request and what was handed over.
void ResetPendingRequest();

}  // namespace midi
