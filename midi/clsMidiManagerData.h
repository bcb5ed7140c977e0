// Brevane - the MIDI Manager's data: the traffic monitor log, and sending voices,
// parameter changes and test notes.
//
// The MIDI Manager window holds the one instance that keeps data: its monitor log
// (MidiMessage) records every message sent and received. Other callers create a
// throw-away instance for a send: the send operations keep nothing in the instance.
// The System Exclusive bank slots belong to a slot store (MidiManagerSlots) that lives,
// like this instance, for the whole run and is attached with setSysexSlots(); AddSysex,
// StoreInFreeSlot and SendSysex pass on to it.
#pragma once

#include "banklib/VoiceFormat.h"
#include "midi/MonitorLines.h"
#include "midi/TransportResult.h"
#include "platform/Recordset.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace midi {

// The bank slots ("Sysex Banks") of the MIDI Manager.
class MidiSysexSlots {
public:
    virtual ~MidiSysexSlots() = default;
    // Stores data (its wrappers stripped) of a FileType (1 and 3 become 0 and 2 in the
    // caller's variable) under a name ("" for "New Data"). Always true.
    virtual bool AddSysex(std::string data, std::int32_t length, std::int32_t& fileType,
                          const std::string& name) = 0;
    // Stores data (FileType 1 and 3 stored as 0 and 2) in the first free slot without a
    // question. The 1-based slot number, or 0 when every slot is used (the user is told).
    virtual std::int32_t StoreInFreeSlot(std::string data, std::int32_t fileType, const std::string& name) = 0;
    // Sends the current slot. Always false.
    virtual bool SendSysex() = 0;
    // The slot recordset ("MidiSysex").
    [[nodiscard]] virtual platform::Recordset* slotRecordset() = 0;
};

// The monitor log keeps at most this many lines. When it is full the oldest
// kMonitorDropLines leave at once (a grid then drops one run of rows, not a row for every
// line logged) and the log's first line says how many have gone so far. The bank slots
// are kept apart and never leave.
constexpr int kMonitorLineCap = 100'000;
constexpr int kMonitorDropLines = 10'000;

class clsMidiManagerData {
public:
    clsMidiManagerData();

    // The monitor log: one row per message, fields in MonitorField order. Fixed-width
    // text fields read back padded with blanks; RawMessage keeps a message of any length
    // exactly as it was.
    platform::Recordset MidiMessage;

    // "MidiMessage" gives the monitor log, "MidiSysex" the slot recordset when slots are
    // attached; any other name gives nullptr.
    [[nodiscard]] platform::Recordset* GetDataMember(std::string_view dataMember);

    // ---- monitor log
    // Appends a row (replace false) or rewrites the current row (replace true) from the
    // 13 values, and moves to the last row. An appended row is numbered with the lines
    // logged so far, those that have left the full log included; a rewritten row keeps its
    // number. Always false.
    bool AddMessage(const MonitorLines& values, bool replace);
    // Called after each AddMessage with the row written and whether it was rewritten in
    // place (a grid adds or redraws just that row). Called with kNoBookmark when the
    // oldest lines have left: with false they were deleted (a grid drops its rows that are
    // gone and redraws the first, which tells of them); with true the log was also copied
    // into a new recordset, which a grid must take afresh.
    void setMessageObserver(std::function<void(platform::Bookmark row, bool replaced)> observer)
    {
        m_messageObserver = std::move(observer);
    }
    // Sends the current bank slot again (grid 1), or the current monitor row (grid 2):
    // a "Short" row as its three stored bytes, any other as its raw message. Always false.
    bool SendMIDIMessage(std::int16_t grid, std::int32_t row);
    // Hours:minutes:seconds.tenths of a time in ms given as text ("1:2:5.4" for 3725400);
    // a value not above 0 stands for the time since the input was started.
    [[nodiscard]] static std::string FormatTimestamp(std::string_view t);

    // ---- sending
    // Sends parameter p (from 1) with value as a parameter change F0 43 1n gg pp vv F7:
    // gg = group, or (p - 1) \ 128 when group is 0; pp = (p - 1) Mod 128. Refused (Failed,
    // nothing sent) when p is below 1 or a byte would not be 7-bit (value above 127).
    // Then plays the audition note 60 and/or the test arpeggio, on timed calls (both: the
    // note, then the arpeggio, as one phrase). Does not test that the output is open:
    // callers do.
    [[nodiscard]] TransportResult SendParametertoMIDI(std::int32_t p, std::int32_t value, std::int32_t group,
                                                      bool playNote, bool playScale);
    // Sends a voice (a VoiceData recordset) as a single-voice dump, then the arpeggio when
    // asked. A phrase playing (timedPhrase) ends before the voice goes out: it belongs to
    // the voice it followed. Failed when the recordset holds no whole voice or the send
    // failed.
    [[nodiscard]] TransportResult SendVoiceToMidi(platform::Recordset& voice, banklib::FileType fileType,
                                                  bool playScale);
    // Plays a major arpeggio from a random root 48..72 on MIDIOutChannel (only while the
    // output is open) as the program's timed phrase, ending the one playing first, and
    // returns at once; a failed note ends it with "Output Failed" in the monitor.
    void SendAScale();
    // The random source of SendAScale: a number in [0, 1).
    void setRandomSource(std::function<double()> source) { m_random = std::move(source); }

    // ---- bank slots (kept by the attached slot store)
    void setSysexSlots(MidiSysexSlots* store) { m_slots = store; }
    [[nodiscard]] MidiSysexSlots* sysexSlots() const { return m_slots; }
    // Passed on to the slot store; true without one.
    bool AddSysex(std::string data, std::int32_t length, std::int32_t& fileType, const std::string& name);
    // Passed on to the slot store; 0 without one.
    std::int32_t StoreInFreeSlot(std::string data, std::int32_t fileType, const std::string& name);
    // Passed on to the slot store; false without one.
    bool SendSysex();

private:
    void dropOldestLines();

    MidiSysexSlots* m_slots = nullptr;
    std::int64_t m_linesDropped = 0;
    platform::Bookmark m_dropNote = platform::kNoBookmark;
    std::size_t m_deletedRows = 0;  // deleted since the log was last copied afresh
    std::function<void(platform::Bookmark, bool)> m_messageObserver;
    std::function<double()> m_random;
};

}  // namespace midi
