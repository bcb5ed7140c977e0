// Brevane - paces System Exclusive data to the wire speed of DIN MIDI.
//
// The real backends send System Exclusive messages in pieces of kChunkBytes and call
// pace() before each piece: it waits until at most one piece is ahead of the wire, so that
// interfaces which drop bytes when flooded, and JACK ports whose buffers hold less than a
// 4104-byte bank, get every byte.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <thread>

namespace platform {

class SysexPacer {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kChunkBytes = 128;
    // DIN MIDI: 31250 baud, 10 bits a byte.
    static constexpr int kWireBytesPerSecond = 3125;
    static constexpr int kSlowestBytesPerSecond = 100;

    // Bytes per second (at least kSlowestBytesPerSecond).
    void setRate(int bytesPerSecond) { m_rate = std::max(bytesPerSecond, kSlowestBytesPerSecond); }
    // The wire is free now (an output was opened).
    void restart() { m_wireFreeAt = Clock::now(); }
    // Waits until a piece of this many bytes may go, and counts it as sent.
    void pace(std::size_t bytes)
    {
        const auto allowance = wireTime(kChunkBytes);
        if (m_wireFreeAt > Clock::now() + allowance)
            std::this_thread::sleep_until(m_wireFreeAt - allowance);
        m_wireFreeAt = std::max(Clock::now(), m_wireFreeAt) + wireTime(bytes);
    }

private:
    [[nodiscard]] std::chrono::microseconds wireTime(std::size_t bytes) const
    {
        return std::chrono::microseconds(static_cast<long long>(bytes) * 1'000'000 / m_rate);
    }

    int m_rate = kWireBytesPerSecond;
    Clock::time_point m_wireFreeAt{};
};

}  // namespace platform
