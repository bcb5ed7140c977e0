// Brevane - the MIDI device layer: what the program needs of a MIDI system.
//
// A backend lists the input and output devices, opens one of each, delivers what the
// input receives and sends whole MIDI messages. Implementations: RtMidiBackend (the ALSA
// sequencer, the only one that touches RtMidi), JackMidiBackend (a JACK server),
// LoopbackMidiBackend (in-process, configurable, for tests) and SimulatedDX7Backend (a DX7
// on the other end of the cable).
//
// Threads: every member is called on the GUI thread. Input reaches the receiver given to
// openInput(), and the news that the MIDI system went away the one given to
// setSystemReceiver(); a backend may call either on any thread (RtMidi and JACK use
// threads of their own).
#pragma once

#include "platform/midi/MidiStreamParser.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Result codes of the device layer. The values are the system error numbers the program's
// error texts are keyed on (0-11 general errors, 64-68 MIDI errors); they are pinned.
enum class MidiResult : int {
    NoError = 0,
    Error = 1,             // unspecified error
    BadDeviceId = 2,       // device id out of range
    NotEnabled = 3,        // driver failed enable
    Allocated = 4,         // device already open
    InvalidHandle = 5,     // device not open
    NoDriver = 6,          // no MIDI system
    NoMemory = 7,          // cannot initialise (device unplugged)
    NotSupported = 8,      // unsupported function
    BadErrorNumber = 9,    // error value out of range
    InvalidFlag = 10,      // invalid flags
    InvalidParameter = 11, // not a valid MIDI message
    Unprepared = 64,       // header not prepared
    StillPlaying = 65,     // something still playing
    NoMap = 66,            // no current map
    NotReady = 67,         // hardware still busy
    NoDevice = 68,         // port no longer connected
};

// Kinds of notifications handed to the program. The values are the notification numbers
// its input dispatcher is keyed on; they are pinned.
enum class MidiEventKind : int {
    InputOpen = 0x3C1,
    InputClose = 0x3C2,
    Data = 0x3C3,       // a short message, packed into MidiEvent::data
    LongData = 0x3C4,   // a whole System Exclusive message in MidiEvent::bytes
    Error = 0x3C5,      // bytes that form no valid short message, packed into data
    LongError = 0x3C6,  // a broken System Exclusive message in MidiEvent::bytes
    OutputOpen = 0x3C7,
    OutputClose = 0x3C8,
    OutputDone = 0x3C9, // a long message has left the output
    // The program's own: the MIDI system itself went away (a JACK server stopped), and
    // every port of the program on it is dead.
    SystemGone = 0x3E0,
    // The program's own: input events were lost between messages; data holds how many.
    InputLost = 0x3E1,
    // The program's own: a System Exclusive message longer than the input takes
    // (MidiStreamParser::kMaxMessageBytes) was dropped; data holds its first bytes packed
    // as a short message's.
    TooLarge = 0x3E2,
};

struct MidiEvent {
    MidiEventKind kind = MidiEventKind::Data;
    // Short messages: status in bits 0-7, first data byte in bits 8-15, second in 16-23.
    std::uint32_t data = 0;
    std::vector<std::uint8_t> bytes;
    // Milliseconds since the input was started, when the message arrived.
    std::uint32_t timeMs = 0;
};

// Takes input from a backend. post() may be called on any thread, also while the GUI
// thread is inside a backend call; it must only store the event and return.
class MidiEventReceiver {
public:
    virtual ~MidiEventReceiver() = default;
    virtual void post(MidiEvent event) = 0;
};

// What the device layer tells about one device.
struct MidiDeviceCaps {
    std::string productName;
    int technology = 0;  // kModMapper for the system's MIDI mapper
};

// Output id of the system's MIDI mapper, and the technology value it reports.
constexpr int kMidiMapperId = -1;
constexpr int kModMapper = 5;

// Result of sending an arbitrary byte stream (see MidiBackend::sendStream).
struct MidiStreamReport {
    MidiResult result = MidiResult::NoError;  // the first failure, or NoError
    std::size_t messagesSent = 0;
    std::size_t bytesNotSent = 0;  // bytes that formed no whole message, or did not go out
};

// Whether bytes are one whole message: F0h .. F7h with data bytes between, or a short
// message as long as its status byte says, with data bytes.
[[nodiscard]] bool isWholeMidiMessage(std::span<const std::uint8_t> message);

// The notification for a piece the stream parser cut from incoming bytes.
[[nodiscard]] MidiEvent eventFromPiece(MidiPiece piece, std::uint32_t timeMs);

class MidiMapperPort;

class MidiBackend {
public:
    virtual ~MidiBackend();

    // Name of the MIDI system ("ALSA", "JACK", "Loopback", ...).
    [[nodiscard]] virtual std::string systemName() const = 0;

    // ---- devices
    // Takes a fresh list of the devices; the ids below index this list until the next call.
    virtual void refreshDevices() = 0;
    [[nodiscard]] virtual int inputCount() const = 0;
    [[nodiscard]] virtual int outputCount() const = 0;
    // Capabilities of input id 0..inputCount()-1; nullopt when the query fails.
    [[nodiscard]] virtual std::optional<MidiDeviceCaps> inputCaps(int id) const = 0;
    // Capabilities of output id kMidiMapperId..outputCount()-1; nullopt when the query
    // fails or there is no such device.
    [[nodiscard]] virtual std::optional<MidiDeviceCaps> outputCaps(int id) const = 0;

    // ---- input
    // Opens input id of the last device list, looked up again by name. Nothing is
    // delivered before startInput(). The receiver must outlive the open input.
    [[nodiscard]] virtual MidiResult openInput(int id, MidiEventReceiver& receiver) = 0;
    // Starts and stops delivery; time stamps count from the last start.
    [[nodiscard]] virtual MidiResult startInput() = 0;
    [[nodiscard]] virtual MidiResult stopInput() = 0;
    // Closes the input; after it returns the receiver is not called again.
    virtual void closeInput() = 0;
    [[nodiscard]] virtual bool inputIsOpen() const = 0;

    // ---- output
    [[nodiscard]] virtual MidiResult openOutput(int id) = 0;
    virtual void closeOutput() = 0;
    [[nodiscard]] virtual bool outputIsOpen() const = 0;
    // Whether the open input or output still reaches the device it was opened on. A
    // connection between programs ends when the other end goes away (a JACK client that
    // left, though it may come back under the same name); opening the port again makes a
    // new one. A system whose open ports cannot lose their device says whether it is open.
    [[nodiscard]] virtual bool inputConnected() const { return inputIsOpen(); }
    [[nodiscard]] virtual bool outputConnected() const { return outputIsOpen(); }
    // Turns off every note on every channel (controller 123 on channels 1-16).
    virtual void resetOutput();

    // Sends one whole message: a System Exclusive message F0h .. F7h with 7-bit data
    // bytes between, or a short message whose length fits its status byte. A message
    // the backend reports any trouble with (also a mere warning) counts as not sent.
    [[nodiscard]] MidiResult sendMessage(std::span<const std::uint8_t> message);
    // Sends a packed short message (status in bits 0-7); its length comes from the status.
    [[nodiscard]] MidiResult sendShort(std::uint32_t packed);
    // Sends any bytes, for example a file in slices: they are reassembled into whole
    // messages, which go out one by one; a message cut at the end of the bytes waits in
    // the sender's own stream for its next call, so two senders never cut each other's
    // messages. Bytes that belong to no whole message, or that did not go out of one
    // whose send failed part-way, are counted, never dropped silently. With the output
    // closed nothing goes out and the stream ends, counting what it held. finishStream()
    // ends the stream and reports a message left unfinished.
    [[nodiscard]] MidiStreamReport sendStream(MidiStreamParser& stream, std::span<const std::uint8_t> bytes);
    [[nodiscard]] MidiStreamReport finishStream(MidiStreamParser& stream);

    // Called on the GUI thread while the program waits; in-process backends deliver
    // input that has become due here.
    virtual void poll() {}

    // A System Exclusive message that has begun arriving and not ended (its end may have
    // been lost on the way), when what has come of it satisfies `ends`: once nothing more
    // has come of it for `quiet`, it goes to the receiver at once as a broken message
    // (LongError with those bytes), as if cut there, and the data bytes that may still
    // follow it are passed over (Ended); while its bytes are still coming it goes on
    // (StillComing). None when no such message is open; a backend that joins no messages
    // itself always says None.
    enum class ArrivingSysex : int { None = 0, StillComing = 1, Ended = 2 };
    [[nodiscard]] virtual ArrivingSysex endArrivingSysex(const std::function<bool(std::span<const std::uint8_t>)>& ends,
                                                         std::chrono::milliseconds quiet)
    {
        (void)ends;
        (void)quiet;
        return ArrivingSysex::None;
    }
    // An arriving System Exclusive message that receives nothing for this long is ended
    // so too; zero (where backends start) never ends one.
    virtual void setSysexQuietLimit(std::chrono::milliseconds limit) { (void)limit; }

    // The system's MIDI Mapper (MidiMapperPort.h), which the MIDI file player plays
    // through; nullptr when this MIDI system has none. Its output list shows it as
    // kMidiMapperId, and opening that output claims it for the program's output.
    [[nodiscard]] virtual MidiMapperPort* mapper() { return nullptr; }

    // Where the backend says that its MIDI system went away while the program was on it:
    // one MidiEventKind::SystemGone for each time it goes, from any thread; nullptr for
    // nowhere. The receiver must stay until replaced. A system that cannot go away without
    // the program (the ALSA sequencer, the in-process backends) never says it.
    virtual void setSystemReceiver(MidiEventReceiver*) {}
    // Whether the MIDI system has gone from under the program's ports: true from the
    // moment the backend knows (a send failing because of it may come before the notice
    // reaches the receiver) until the next refreshDevices() finds the system again.
    [[nodiscard]] virtual bool systemGone() const { return false; }

protected:
    // A validated System Exclusive message, F0h .. F7h.
    [[nodiscard]] virtual MidiResult writeSysex(std::span<const std::uint8_t> message) = 0;
    // A validated short message of 1 to 3 bytes.
    [[nodiscard]] virtual MidiResult writeShort(std::span<const std::uint8_t> message) = 0;
    // After writeSysex() failed: how many bytes of the message went out before it failed.
    [[nodiscard]] virtual std::size_t sysexBytesOut() const { return 0; }

private:
    void sendPiece(MidiPiece&& piece, MidiStreamReport& report);

    // Of the last message sendMessage() did not send, the bytes that went out all the same
    // (a System Exclusive message leaves in pieces, and the system may go away part-way).
    std::size_t m_bytesOutOfLastFailure = 0;
};

}  // namespace platform
