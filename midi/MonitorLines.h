// Brevane - one line of the MIDI traffic monitor, as senders and receivers fill it.
//
// The 13 texts stand in the order of the fields of the monitor log (clsMidiManagerData's
// MidiMessage recordset); a writer clears a record, fills its fields and hands it to
// clsMidiManagerData::AddMessage.
#pragma once

#include <array>
#include <string>

namespace midi {

constexpr int kMonitorFields = 13;
using MonitorLines = std::array<std::string, kMonitorFields>;

// Indexes of MonitorLines and field numbers of the monitor log.
namespace MonitorField {
constexpr int Timestamp = 0;   // milliseconds as text; empty or 0: the time since input start
constexpr int No = 1;          // row number, set by AddMessage
constexpr int Channel = 2;     // channel or device number as text, from 1
constexpr int Message = 3;     // what happened
constexpr int Data1Title = 4;
constexpr int Data1 = 5;
constexpr int Data2Title = 6;
constexpr int Data2 = 7;
constexpr int Type = 8;        // "Long", "Short" or empty
constexpr int RawMessage = 9;  // the message bytes, one character per byte
constexpr int Status = 10;     // a short message's bytes, one character each
constexpr int ShortData1 = 11;
constexpr int ShortData2 = 12;
}  // namespace MonitorField

// Empties every field but the time stamp.
inline void ClearMonitorLines(MonitorLines& lines)
{
    for (int i = 1; i < kMonitorFields; ++i)
        lines[static_cast<std::size_t>(i)].clear();
}

}  // namespace midi
