// Brevane - joins the events of a JACK MIDI input port into whole MIDI messages.
//
// A JACK MIDI event is one whole message, except System Exclusive, which senders may cut
// over any number of events (and periods): F0h and the first data in one event, more data
// in the next ones, F7h at the end of the last. The joiner takes the events one at a time,
// as received, and hands out the pieces of MidiStreamParser (MidiStreamParser.h): whole
// messages, and, as errors, messages cut short, stray data bytes and System Exclusive
// messages longer than MidiStreamParser::kMaxMessageBytes (one TooLong piece each; input
// goes on after it). Any bytes are safe, an empty event included; memory stays bounded.
//
// Outside System Exclusive every event stands alone: a short message cut short at the end
// of its event comes out as Incomplete then, and JACK's events carry no running status
// over to the next one. Only a run of stray data bytes goes on over events, up to the next
// status byte: the data that follows a message cut short (System Exclusive cut by a status
// byte, or whose start was lost) is one Stray piece, with the bytes of the event that
// began the run; the data bytes of the events after it are passed over.
//
// Events lost in between (JackMidiClient.h) break nothing here: the data after them still
// belongs to the message they fell into, so a System Exclusive message with a hole comes
// out joined, for its reader to judge by its length and checksum. One whose end was lost
// stays open until the next status byte, or until its reader ends it (endSysex()); what
// comes of it after that is passed over, like the run of stray bytes after a cut.
//
// No JACK server is needed: it works on plain bytes. Not thread-safe; one thread at a time.
#pragma once

#include "platform/midi/MidiStreamParser.h"

#include <cstdint>
#include <functional>
#include <span>

namespace platform {

class JackMidiEventJoiner {
public:
    using Sink = std::function<void(MidiPiece&&)>;

    // The sink gets every piece, in order, during push().
    explicit JackMidiEventJoiner(Sink sink);

    // The bytes of one event.
    void push(std::span<const std::uint8_t> eventBytes);
    // Forgets everything held, without handing anything out.
    void reset();

    // Whether a System Exclusive message has begun and not ended (also one whose rest is
    // dropped as too long).
    [[nodiscard]] bool inSysex() const { return m_inSysex; }
    // What has come of the System Exclusive message that is open; empty when none is, or
    // while the rest of one too long is dropped.
    [[nodiscard]] std::span<const std::uint8_t> openSysex() const;
    // Ends the open System Exclusive message as if cut there: what came of it is handed
    // out as Incomplete. The data bytes that may still follow, up to the next status byte,
    // are its rest and are passed over.
    void endSysex();

private:
    Sink m_sink;
    MidiStreamParser m_parser;
    bool m_inSysex = false;   // a System Exclusive message runs on into the next event
    bool m_strayRun = false;  // a run of stray data bytes, already handed out, runs on
};

}  // namespace platform
