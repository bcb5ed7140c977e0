// Brevane - fuzzing the MIDI input parsing alone, at the speed of the parser.
//
// Input: a byte that chooses the consumer (its lowest bit: 0 the stream parser, 1 the JACK
// event joiner), then the events a MIDI system delivers, one after another, each a length
// then that many bytes. A length byte below 80h is the length; from 80h on, its low seven bits and the
// next byte make a 15-bit length (big-endian). The last event takes what is left.
//
// Each input goes to one consumer, so that a run costs what one parse costs. The stream
// parser, fed one event at a time, must give the same messages as a new parser given all
// the bytes at once, none longer than its cap, and must hold no open message after
// finish(). It is one parser for the whole run, reset before each input, so what a
// reset leaves behind shows as a difference. The JACK event joiner, fed the same events,
// must hand out only messages as the synthesizer would send them, and no byte it was not
// given (but the status byte a message in running status repeats); an empty event also
// stands for a time in which nothing came, which ends an open System Exclusive message.
#include "FuzzSeeds.h"
#include "platform/midi/JackMidiEventJoiner.h"
#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiStreamParser.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <utility>
#include <vector>

namespace {

using platform::MidiPiece;
using platform::MidiStreamParser;
using Bytes = std::vector<std::uint8_t>;
using Events = std::vector<std::span<const std::uint8_t>>;
using Pieces = std::vector<std::pair<MidiPiece::Kind, Bytes>>;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void splitEvents(std::span<const std::uint8_t> input, Events& events)
{
    events.clear();
    std::size_t at = 0;
    while (at < input.size()) {
        std::size_t length = input[at++];
        if (length >= 0x80) {
            length = (length & 0x7F) << 8;
            if (at < input.size())
                length |= input[at++];
        }
        length = std::min(length, input.size() - at);
        events.push_back(input.subspan(at, length));
        at += length;
    }
}

// ---- consumers

// What every whole message handed out must look like.
void checkPieces(const Pieces& pieces)
{
    for (const auto& [kind, bytes] : pieces) {
        check(!bytes.empty() && bytes.size() <= MidiStreamParser::kMaxMessageBytes);
        if (kind == MidiPiece::Kind::Message && bytes.front() == 0xF0)
            check(bytes.back() == 0xF7);
        if (kind == MidiPiece::Kind::Message && bytes.front() != 0xF0)
            check(bytes.size() == 1 || static_cast<int>(bytes.size()) == platform::shortMessageLength(bytes.front()));
    }
}

void checkStreamParser(const Events& events)
{
    // Made once, like the buffers, so that an input costs what parsing it costs. What an
    // input puts in them goes before it ends: memory an input keeps makes libFuzzer look
    // for a leak.
    static MidiStreamParser parser;
    static Pieces cut;
    static Pieces whole;
    static Bytes stream;
    stream.clear();
    const auto cutSink = [](MidiPiece&& p) { cut.emplace_back(p.kind, std::move(p.bytes)); };
    parser.reset();
    for (const auto event : events) {
        parser.feed(event, cutSink);
        stream.insert(stream.end(), event.begin(), event.end());
    }
    parser.finish(cutSink);
    check(!parser.midMessage());

    MidiStreamParser fresh;
    const auto wholeSink = [](MidiPiece&& p) { whole.emplace_back(p.kind, std::move(p.bytes)); };
    fresh.feed(stream, wholeSink);
    fresh.finish(wholeSink);
    check(whole == cut);
    checkPieces(cut);
    cut.clear();
    whole.clear();
}

void checkJackJoiner(const Events& events)
{
    static Pieces joined;
    static platform::JackMidiEventJoiner joiner(
        [](MidiPiece&& p) { joined.emplace_back(p.kind, std::move(p.bytes)); });
    std::size_t given = 0;
    for (const auto event : events) {
        const auto open = joiner.openSysex();
        check(open.size() <= MidiStreamParser::kMaxMessageBytes && (open.empty() || open.front() == 0xF0));
        if (event.empty())
            joiner.endSysex();
        joiner.push(event);
        given += event.size();
    }
    // What the joiner holds goes before the input ends.
    joiner.reset();
    checkPieces(joined);
    std::size_t handedOut = 0;
    for (const auto& piece : joined)
        handedOut += piece.second.size();
    check(handedOut <= given + joined.size());
    joined.clear();
}

// ---- seeds

// The bytes as events of at most `size` bytes each.
Bytes asEvents(const Bytes& stream, std::size_t size)
{
    Bytes out;
    for (std::size_t at = 0; at < stream.size(); at += size) {
        const std::size_t n = std::min(size, stream.size() - at);
        if (n < 0x80) {
            out.push_back(static_cast<std::uint8_t>(n));
        } else {
            out.push_back(static_cast<std::uint8_t>(0x80 | (n >> 8)));
            out.push_back(static_cast<std::uint8_t>(n & 0xFF));
        }
        out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                   stream.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    return out;
}

// Notes in running status, controllers, real-time bytes, a parameter change, stray bytes,
// and the start of a voice dump with a clock byte inside, each whole in one event and cut
// into several (all within the target's 64-byte inputs).
std::vector<fuzzseeds::Seed> seeds()
{
    const Bytes notes = {0x90, 60, 100, 62, 100, 0x80, 60, 0, 0xB0, 7, 100, 0xC0, 5, 0xE0, 0, 64, 0xF8, 0xFE};
    const Bytes parameter = {0xF0, 0x43, 0x10, 0x01, 0x1B, 0x05, 0xF7};
    const Bytes stray = {0x01, 0x02, 0xF7, 0x90, 0x40, 0xF0, 0x43, 0xF8, 0x00, 0xF7, 0x05};
    const Bytes dump = {0xF0, 0x43, 0x00, 0x00, 0x01, 0x1B, 99, 99, 99, 99, 0xF8, 99, 99, 0, 0, 0x90, 60, 1};
    std::vector<fuzzseeds::Seed> out;
    for (const Bytes& events : {asEvents(notes, 3), asEvents(notes, 2), asEvents(parameter, 7), asEvents(parameter, 4),
                                asEvents(stray, 5), asEvents(dump, 18), asEvents(dump, 6)}) {
        for (const std::uint8_t consumer : {0, 1}) {
            out.push_back({consumer});
            out.back().insert(out.back().end(), events.begin(), events.end());
        }
    }
    return out;
}

}  // namespace

BREVANE_FUZZ_SEEDS(seeds)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static Events events;
    splitEvents(std::span<const std::uint8_t>(data + 1, size - 1), events);
    if ((data[0] & 1) == 0)
        checkStreamParser(events);
    else
        checkJackJoiner(events);
    return 0;
}
