// Brevane - CRC-32 fingerprints of voices and banks.
//
// The standard reflected CRC-32 (polynomial EDB88320h, initial value all ones, final
// complement), as in zip and PNG: "123456789" gives CBF43926h. The lookup tables are
// computed once, at compile time, and shared by every caller.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace banklib {

// An incremental CRC-32: feed bytes with update(), read the result with value().
class Crc32 {
public:
    void update(std::span<const std::uint8_t> bytes);
    void update(std::string_view bytes);
    // The CRC of everything fed so far (0 when nothing was fed).
    [[nodiscard]] std::uint32_t value() const { return ~m_state; }
    // The same bits as the signed 32-bit number the voice lists store.
    [[nodiscard]] std::int32_t signedValue() const { return static_cast<std::int32_t>(value()); }

private:
    std::uint32_t m_state = 0xFFFFFFFFu;
};

[[nodiscard]] std::uint32_t crc32(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::uint32_t crc32(std::string_view bytes);

}  // namespace banklib
