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
// over to the next one.
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

    // The sink gets every piece, in order, during push() and interrupt().
    explicit JackMidiEventJoiner(Sink sink);

    // The bytes of one event.
    void push(std::span<const std::uint8_t> eventBytes);
    // Events were lost here: a System Exclusive message begun before comes out as
    // Incomplete, and what follows starts afresh.
    void interrupt();
    // Forgets everything held, without handing anything out.
    void reset();

private:
    Sink m_sink;
    MidiStreamParser m_parser;
    bool m_inSysex = false;  // a System Exclusive message runs on into the next event
};

}  // namespace platform
