// Brevane - a lock-free byte ring between exactly one writing and one reading thread.
//
// Made for the JACK process thread, which must neither lock nor allocate: the storage is
// allocated once by the constructor, and write(), read(), peek() and skip() only copy
// bytes and move two atomic counters. The writer publishes with release and the reader
// takes with acquire, so bytes are complete before the reader can see them.
//
// Threads: write() and writeSpace() on the writing thread only; read(), peek(), skip()
// and readable() on the reading thread only; clear() only while neither runs.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

namespace platform {

class SpscByteRing {
public:
    // Holds at least minCapacity bytes (rounded up to a power of two).
    explicit SpscByteRing(std::size_t minCapacity)
    {
        std::size_t capacity = 1;
        while (capacity < minCapacity)
            capacity <<= 1;
        m_mask = capacity - 1;
        m_bytes = std::make_unique<std::uint8_t[]>(capacity);
    }
    SpscByteRing(const SpscByteRing&) = delete;
    SpscByteRing& operator=(const SpscByteRing&) = delete;

    [[nodiscard]] std::size_t capacity() const { return m_mask + 1; }

    // ---- writing thread
    [[nodiscard]] std::size_t writeSpace() const
    {
        return capacity() - (m_head.load(std::memory_order_relaxed) - m_tail.load(std::memory_order_acquire));
    }
    // Writes all the pieces as one block, or nothing when they do not fit.
    [[nodiscard]] bool write(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second = {})
    {
        if (first.size() + second.size() > writeSpace())
            return false;
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        copyIn(head, first);
        copyIn(head + first.size(), second);
        m_head.store(head + first.size() + second.size(), std::memory_order_release);
        return true;
    }

    // ---- reading thread
    [[nodiscard]] std::size_t readable() const
    {
        return m_head.load(std::memory_order_acquire) - m_tail.load(std::memory_order_relaxed);
    }
    // Copies out the bytes at offset.. from the oldest unread byte, without taking them;
    // false when fewer are there.
    [[nodiscard]] bool peek(std::span<std::uint8_t> out, std::size_t offset = 0) const
    {
        if (offset + out.size() > readable())
            return false;
        if (out.empty())
            return true;
        const std::size_t start = m_tail.load(std::memory_order_relaxed) + offset;
        const std::size_t at = start & m_mask;
        const std::size_t first = std::min(out.size(), capacity() - at);
        std::memcpy(out.data(), m_bytes.get() + at, first);
        std::memcpy(out.data() + first, m_bytes.get(), out.size() - first);
        return true;
    }
    // Takes n bytes (at most what is readable).
    void skip(std::size_t n)
    {
        n = std::min(n, readable());
        m_tail.store(m_tail.load(std::memory_order_relaxed) + n, std::memory_order_release);
    }
    [[nodiscard]] bool read(std::span<std::uint8_t> out)
    {
        if (!peek(out))
            return false;
        skip(out.size());
        return true;
    }

    // Forgets everything held.
    void clear()
    {
        m_tail.store(0, std::memory_order_relaxed);
        m_head.store(0, std::memory_order_release);
    }

private:
    void copyIn(std::size_t position, std::span<const std::uint8_t> bytes)
    {
        if (bytes.empty())
            return;
        const std::size_t at = position & m_mask;
        const std::size_t first = std::min(bytes.size(), capacity() - at);
        std::memcpy(m_bytes.get() + at, bytes.data(), first);
        std::memcpy(m_bytes.get(), bytes.data() + first, bytes.size() - first);
    }

    std::unique_ptr<std::uint8_t[]> m_bytes;
    std::size_t m_mask = 0;
    // Counts of bytes written and read since the start; they only grow (and wrap together).
    alignas(64) std::atomic<std::size_t> m_head{0};
    alignas(64) std::atomic<std::size_t> m_tail{0};
};

}  // namespace platform
