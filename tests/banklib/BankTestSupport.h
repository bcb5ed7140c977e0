// Brevane - helpers shared by the voice bank library tests.
#pragma once

#include "banklib/VoiceFormat.h"
#include "banklib/clsVoiceData.h"

#include <QTemporaryDir>

#include <array>
#include <cstdint>
#include <fstream>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace banklib::test {

// A temporary folder that is removed with everything in it.
class TempFolder {
public:
    std::string path(const std::string& name) const { return m_dir.filePath(QString::fromStdString(name)).toStdString(); }
    std::string folder() const { return m_dir.path().toStdString() + "/"; }

private:
    QTemporaryDir m_dir;
};

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Upper bounds of the 155 unpacked parameters (names: printable ASCII).
inline std::array<std::uint8_t, kUnpackedVoiceSize> parameterMaxima()
{
    static constexpr std::uint8_t kOp[kUnpackedOperatorSize] = {99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                                                3,  3,  7,  3,  7,  99, 1,  31, 99, 14};
    static constexpr std::uint8_t kGlobal[19] = {99, 99, 99, 99, 99, 99, 99, 99, 31, 7, 1, 99, 99, 99, 99, 1, 4, 7, 48};
    std::array<std::uint8_t, kUnpackedVoiceSize> m{};
    for (std::size_t i = 0; i < kUnpackedOperatorSize * kOperatorCount; ++i)
        m[i] = kOp[i % kUnpackedOperatorSize];
    for (std::size_t i = 0; i < 19; ++i)
        m[Unpacked::kPitchEgRate1 + i] = kGlobal[i];
    for (std::size_t i = 0; i < kNameLength; ++i)
        m[Unpacked::kName + i] = 126;
    return m;
}

// A random voice with every value in its range and a printable name.
inline std::array<std::uint8_t, kUnpackedVoiceSize> randomVoice(std::mt19937& rng)
{
    const auto max = parameterMaxima();
    std::array<std::uint8_t, kUnpackedVoiceSize> v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        const int lo = i >= Unpacked::kName ? 32 : 0;
        const int hi = i >= Unpacked::kName ? 126 : max[i];
        v[i] = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(lo, hi)(rng));
        if (i >= Unpacked::kName && v[i] == '\'')
            v[i] = 'Q';
    }
    return v;
}

inline void setName(std::array<std::uint8_t, kUnpackedVoiceSize>& v, const std::string& name)
{
    for (std::size_t i = 0; i < kNameLength; ++i)
        v[Unpacked::kName + i] = static_cast<std::uint8_t>(i < name.size() ? name[i] : ' ');
}

// Bare packed data of n voices named "VOICE 0001".. with random parameters.
inline std::vector<std::uint8_t> packedVoices(std::size_t n, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> out(n * kPackedVoiceSize);
    for (std::size_t i = 0; i < n; ++i) {
        auto v = randomVoice(rng);
        char name[16];
        std::snprintf(name, sizeof name, "VOICE %04zu", (i + 1) % 10000);
        setName(v, name);
        clsVoiceData::packVoice(v, std::span<std::uint8_t, kPackedVoiceSize>(out.data() + i * kPackedVoiceSize,
                                                                             kPackedVoiceSize));
    }
    return out;
}

// Bare unpacked data of n voices.
inline std::vector<std::uint8_t> unpackedVoices(std::size_t n, unsigned seed = 11)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < n; ++i) {
        auto v = randomVoice(rng);
        char name[16];
        std::snprintf(name, sizeof name, "UNPK %04zu", (i + 1) % 10000);
        setName(v, name);
        out.insert(out.end(), v.begin(), v.end());
    }
    return out;
}

inline std::string str(const std::vector<std::uint8_t>& b) { return {b.begin(), b.end()}; }

inline std::span<const std::uint8_t> bytesOfString(const std::string& s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace banklib::test
