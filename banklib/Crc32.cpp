// Brevane - CRC-32 fingerprints of voices and banks.
#include "banklib/Crc32.h"

#include <array>
#include <bit>
#include <cstring>

namespace banklib {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// Eight tables for slicing by eight bytes: table 0 is the classic byte table (entry i is i
// shifted right eight times, each time xor the polynomial when the bit shifted out is 1);
// table k advances a table-0 result by k more zero bytes.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables buildTables()
{
    CrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (c >> 1) ^ kPolynomial : (c >> 1);
        t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
        for (std::size_t k = 1; k < 8; ++k)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
    return t;
}

constexpr CrcTables kTables = buildTables();
static_assert(kTables[0][1] == 0x77073096u);

std::uint32_t advance(std::uint32_t crc, const std::uint8_t* p, std::size_t n)
{
    while (n >= 8) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + 4, 4);
        if constexpr (std::endian::native == std::endian::big) {
            lo = __builtin_bswap32(lo);
            hi = __builtin_bswap32(hi);
        }
        lo ^= crc;
        crc = kTables[7][lo & 0xFFu] ^ kTables[6][(lo >> 8) & 0xFFu] ^
              kTables[5][(lo >> 16) & 0xFFu] ^ kTables[4][lo >> 24] ^
              kTables[3][hi & 0xFFu] ^ kTables[2][(hi >> 8) & 0xFFu] ^
              kTables[1][(hi >> 16) & 0xFFu] ^ kTables[0][hi >> 24];
        p += 8;
        n -= 8;
    }
    while (n-- > 0)
        crc = kTables[0][(crc ^ *p++) & 0xFFu] ^ (crc >> 8);
    return crc;
}

}  // namespace

void Crc32::update(std::span<const std::uint8_t> bytes)
{
    m_state = advance(m_state, bytes.data(), bytes.size());
}

void Crc32::update(std::string_view bytes)
{
    m_state = advance(m_state, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::uint32_t crc32(std::span<const std::uint8_t> bytes)
{
    Crc32 c;
    c.update(bytes);
    return c.value();
}

std::uint32_t crc32(std::string_view bytes)
{
    Crc32 c;
    c.update(bytes);
    return c.value();
}

}  // namespace banklib
