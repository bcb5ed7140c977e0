// Brevane - the MIDI device layer: message checks shared by every backend.
#include "platform/midi/MidiBackend.h"

#include <algorithm>

namespace platform {
namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kDataMask = 0x7F;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kAllNotesOff = 123;
constexpr int kChannels = 16;

bool dataBytesAre7Bit(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b <= kDataMask; });
}

std::uint32_t packShort(std::span<const std::uint8_t> bytes)
{
    std::uint32_t packed = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 3; ++i)
        packed |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return packed;
}

}  // namespace

MidiEvent eventFromPiece(MidiPiece piece, std::uint32_t timeMs)
{
    MidiEvent e;
    e.timeMs = timeMs;
    if (piece.kind == MidiPiece::Kind::TooLong) {
        // Reported once, by its first bytes; the data is dropped.
        e.kind = MidiEventKind::TooLarge;
        e.data = packShort(piece.bytes);
        return e;
    }
    const bool sysex = !piece.bytes.empty() && piece.bytes.front() == kSysexStart;
    if (sysex) {
        const bool whole = piece.kind == MidiPiece::Kind::Message &&
                           dataBytesAre7Bit(std::span(piece.bytes).subspan(1, piece.bytes.size() - 2));
        e.kind = whole ? MidiEventKind::LongData : MidiEventKind::LongError;
        e.bytes = std::move(piece.bytes);
        return e;
    }
    e.kind = piece.kind == MidiPiece::Kind::Message ? MidiEventKind::Data : MidiEventKind::Error;
    e.data = packShort(piece.bytes);
    return e;
}

MidiBackend::~MidiBackend() = default;

void MidiBackend::resetOutput()
{
    if (!outputIsOpen())
        return;
    for (int ch = 0; ch < kChannels; ++ch) {
        const std::uint8_t msg[3] = {static_cast<std::uint8_t>(kControlChange | ch), kAllNotesOff, 0};
        (void)writeShort(msg);
    }
}

bool isWholeMidiMessage(std::span<const std::uint8_t> message)
{
    if (message.empty())
        return false;
    if (message.front() == kSysexStart)
        return message.size() >= 2 && message.back() == kSysexEnd &&
               dataBytesAre7Bit(message.subspan(1, message.size() - 2));
    const int length = shortMessageLength(message.front());
    return length != 0 && static_cast<std::size_t>(length) == message.size() && dataBytesAre7Bit(message.subspan(1));
}

MidiResult MidiBackend::sendMessage(std::span<const std::uint8_t> message)
{
    m_bytesOutOfLastFailure = 0;
    if (!outputIsOpen())
        return MidiResult::InvalidHandle;
    if (!isWholeMidiMessage(message))
        return MidiResult::InvalidParameter;
    if (message.front() != kSysexStart)
        return writeShort(message);
    const MidiResult r = writeSysex(message);
    if (r != MidiResult::NoError)
        m_bytesOutOfLastFailure = std::min(sysexBytesOut(), message.size());
    return r;
}

MidiResult MidiBackend::sendShort(std::uint32_t packed)
{
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(packed & 0xFF),
                                   static_cast<std::uint8_t>((packed >> 8) & 0xFF),
                                   static_cast<std::uint8_t>((packed >> 16) & 0xFF)};
    const int length = shortMessageLength(bytes[0]);
    if (length == 0)
        return outputIsOpen() ? MidiResult::InvalidParameter : MidiResult::InvalidHandle;
    return sendMessage(std::span(bytes, static_cast<std::size_t>(length)));
}

void MidiBackend::sendPiece(MidiPiece&& piece, MidiStreamReport& report)
{
    MidiResult r = MidiResult::InvalidParameter;
    std::size_t wentOut = 0;
    if (piece.kind == MidiPiece::Kind::Message) {
        r = sendMessage(piece.bytes);
        wentOut = m_bytesOutOfLastFailure;
    }
    if (r == MidiResult::NoError) {
        ++report.messagesSent;
        return;
    }
    report.bytesNotSent += piece.bytes.size() - wentOut;
    if (report.result == MidiResult::NoError)
        report.result = r;
}

MidiStreamReport MidiBackend::sendStream(MidiStreamParser& stream, std::span<const std::uint8_t> bytes)
{
    MidiStreamReport report;
    if (!outputIsOpen()) {
        // Nothing of this stream can go out any more: a message begun earlier ends here too.
        report.result = MidiResult::InvalidHandle;
        report.bytesNotSent = bytes.size();
        stream.finish([&](MidiPiece&& p) { report.bytesNotSent += p.bytes.size(); });
        return report;
    }
    stream.feed(bytes, [&](MidiPiece&& p) { sendPiece(std::move(p), report); });
    return report;
}

MidiStreamReport MidiBackend::finishStream(MidiStreamParser& stream)
{
    MidiStreamReport report;
    stream.finish([&](MidiPiece&& p) { sendPiece(std::move(p), report); });
    return report;
}

}  // namespace platform
