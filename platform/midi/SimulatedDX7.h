// Brevane - a DX7 as seen through its MIDI cable, for tests.
//
// It answers a single-voice dump request (F0 43 2n 00 F7) with a 163-byte single-voice
// dump of its edit buffer and a bank request (F0 43 2n 09 F7) with a 4104-byte bulk dump
// of its 32 internal voices, only for its own device number n. It takes parameter changes
// into its edit buffer, and single voices and banks into edit buffer and memory, recording
// each message with the result of its checksum test. It can be told to stay silent (as
// the first models do), to reply late, to cut its replies short, or to send a dump of its
// own accord. It computes its checksums and lays out its dumps with its own code, so that
// a fault in the program's codec cannot hide behind the same fault here.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform {

class SimulatedDX7 {
public:
    static constexpr std::size_t kVoiceBytes = 155;   // one voice, one byte per parameter
    static constexpr std::size_t kPackedBytes = 128;  // one voice in bank layout
    static constexpr std::size_t kVoices = 32;
    static constexpr std::size_t kBankBytes = kVoices * kPackedBytes;
    static constexpr std::size_t kVoiceDumpBytes = kVoiceBytes + 8;  // 163
    static constexpr std::size_t kBankDumpBytes = kBankBytes + 8;    // 4104

    // What the instrument received, in arrival order.
    struct Received {
        enum class Kind : int {
            VoiceRequest = 0,
            BankRequest = 1,
            ParameterChange = 2,
            Voice = 3,
            Bank = 4,
            Other = 5,  // anything else, also messages for another device number
        };
        Kind kind = Kind::Other;
        bool checksumOk = true;  // dumps only
        std::vector<std::uint8_t> bytes;
    };

    explicit SimulatedDX7(int deviceNumber = 0);

    // ---- behaviour
    void setDeviceNumber(int n) { m_device = n & 0x0F; }
    [[nodiscard]] int deviceNumber() const { return m_device; }
    // Ignores dump requests (parameter changes and dumps are still taken).
    void setSilent(bool silent) { m_silent = silent; }
    // Milliseconds between a request and the reply; the backend that carries the
    // instrument applies it.
    void setReplyDelayMs(int ms) { m_replyDelayMs = ms; }
    [[nodiscard]] int replyDelayMs() const { return m_replyDelayMs; }
    // Cuts each reply to its first n bytes and ends it with F7h (0: whole replies).
    void setTruncateRepliesTo(std::size_t n) { m_truncateTo = n; }

    // Takes one whole message from the cable; returns the messages sent back.
    [[nodiscard]] std::vector<std::vector<std::uint8_t>> receive(std::span<const std::uint8_t> message);

    // ---- the instrument's own dumps
    [[nodiscard]] std::vector<std::uint8_t> singleVoiceDump() const;
    [[nodiscard]] std::vector<std::uint8_t> bulkDump() const;

    // ---- state
    [[nodiscard]] const std::vector<Received>& received() const { return m_received; }
    [[nodiscard]] std::size_t count(Received::Kind kind) const;
    [[nodiscard]] int badChecksums() const { return m_badChecksums; }
    [[nodiscard]] const std::array<std::uint8_t, kVoiceBytes>& editBuffer() const { return m_edit; }
    [[nodiscard]] const std::array<std::uint8_t, kBankBytes>& memory() const { return m_memory; }
    // The name of internal voice i (0-based), as its 10 bank bytes read.
    [[nodiscard]] std::string voiceName(std::size_t i) const;
    [[nodiscard]] std::string editBufferName() const;

    // The 7-bit checksum that closes a dump: the two's complement of the sum of its data bytes.
    [[nodiscard]] static std::uint8_t checksum(std::span<const std::uint8_t> data);

private:
    [[nodiscard]] std::vector<std::uint8_t> wrap(std::uint8_t format, std::span<const std::uint8_t> data) const;
    [[nodiscard]] std::vector<std::uint8_t> cut(std::vector<std::uint8_t> reply) const;

    int m_device = 0;
    bool m_silent = false;
    int m_replyDelayMs = 0;
    std::size_t m_truncateTo = 0;
    int m_badChecksums = 0;
    std::array<std::uint8_t, kVoiceBytes> m_edit{};
    std::array<std::uint8_t, kBankBytes> m_memory{};
    std::vector<Received> m_received;
};

}  // namespace platform
