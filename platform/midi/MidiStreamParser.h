// Brevane - cuts a stream of MIDI bytes into whole messages.
//
// Used both ways: on input, to join System Exclusive messages that a MIDI system delivers
// in pieces; on output, to turn arbitrary bytes (a file sent in slices) into messages
// that can be sent one at a time. A message may run over any number of feed() calls, and
// the pieces that come out depend only on the bytes, never on how they were cut into
// feeds. Memory stays bounded whatever the bytes: a System Exclusive message (and a run of
// stray bytes) holds at most kMaxMessageBytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace platform {

// The number of bytes of a short message with this status byte, 0 when the byte starts
// no short message (data bytes, F0h and F7h).
[[nodiscard]] int shortMessageLength(std::uint8_t status);

struct MidiPiece {
    enum class Kind : int {
        Message = 0,     // a whole message: F0h .. F7h, or a short message
        Incomplete = 1,  // a message cut short by the start of another (or by finish())
        Stray = 2,       // data bytes (or a lone F7h) that belong to no message
        TooLong = 3,     // a System Exclusive message of more than kMaxMessageBytes (F0h
                         // and F7h included): bytes holds its start; the rest, up to its
                         // F7h or the next status byte, is dropped
    };
    Kind kind = Kind::Message;
    std::vector<std::uint8_t> bytes;
};

class MidiStreamParser {
public:
    using Sink = std::function<void(MidiPiece&&)>;

    // Far above any dump of the instruments this program talks to (a DX7II bank is 8 KiB).
    static constexpr std::size_t kMaxMessageBytes = std::size_t{1} << 20;

    // Hands every finished piece to the sink, in stream order. Real-time bytes (F8h-FFh)
    // come out as one-byte messages where they stand, also inside System Exclusive data.
    // Channel messages may use running status; they come out with their status byte.
    // Stray bytes come out as one piece when the next status or real-time byte (or
    // finish()) ends their run.
    void feed(std::span<const std::uint8_t> bytes, const Sink& sink);
    // Ends the stream: stray bytes held come out, and a message still open comes out as
    // Incomplete.
    void finish(const Sink& sink);
    // Forgets everything, also the running status.
    void reset();
    // Whether a message has begun but not ended.
    [[nodiscard]] bool midMessage() const { return !m_message.empty() || m_dropping; }
    // What has come of the message begun and not ended; empty while none is, and while the
    // rest of one too long is dropped.
    [[nodiscard]] std::span<const std::uint8_t> heldMessage() const { return m_message; }
    // Whether the last byte fed (real-time bytes aside) was a data byte of no message: the
    // run of stray bytes goes on with the data bytes that come next. finish() ends it.
    [[nodiscard]] bool inStrayRun() const { return m_strayRun; }

private:
    void flushStray(const Sink& sink);
    void flushIncomplete(const Sink& sink);

    std::vector<std::uint8_t> m_message;
    std::vector<std::uint8_t> m_stray;
    std::size_t m_expected = 0;  // length of the short message being read; 0 in System Exclusive
    std::uint8_t m_runningStatus = 0;
    bool m_dropping = false;  // inside a System Exclusive message already given up as too long
    bool m_strayRun = false;
};

}  // namespace platform
