// Brevane - a DX7 as seen through its MIDI cable, for tests.
#include "platform/midi/SimulatedDX7.h"

#include <algorithm>

namespace platform {
namespace {

// Message bytes.
constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kYamaha = 0x43;
constexpr std::uint8_t kSubStatusDump = 0x00;     // high nibble of byte 2: a dump
constexpr std::uint8_t kSubStatusParam = 0x10;    // a parameter change
constexpr std::uint8_t kSubStatusRequest = 0x20;  // a dump request
constexpr std::uint8_t kFormatVoice = 0x00;
constexpr std::uint8_t kFormatBank = 0x09;
constexpr std::size_t kHeaderBytes = 6;  // F0 43 sn ff hh ll
constexpr std::size_t kRequestBytes = 5;
constexpr std::size_t kParamBytes = 7;

// One operator of the initial voice in single-voice layout: rates 1-4, levels 1-4,
// break point, left and right depth, left and right curve, rate scaling, amplitude
// modulation sensitivity, velocity sensitivity, output level, mode, coarse, fine, detune.
constexpr std::array<std::uint8_t, 21> kInitOperator = {99, 99, 99, 99, 99, 99, 99, 0, 39, 0, 0,
                                                         0,  0,  0,  0,  0,  0,  0,  1, 0, 7};
constexpr std::size_t kOperatorBytes = 21;
constexpr std::size_t kOutputLevel = 16;
// The voice-wide part: pitch rates 1-4, pitch levels 1-4, algorithm, feedback, key sync,
// LFO speed, delay, pitch depth, amplitude depth, sync, wave, pitch sensitivity, transpose.
constexpr std::array<std::uint8_t, 19> kInitGlobal = {99, 99, 99, 99, 50, 50, 50, 50, 0, 0,
                                                       1,  35, 0,  0,  0,  1,  0,  3,  24};
constexpr std::size_t kGlobalOffset = 126;
constexpr std::size_t kNameOffset = 145;
constexpr std::size_t kNameBytes = 10;

// One operator of the initial voice in bank layout: rates, levels, break point, depths,
// curves (RC << 2 | LC), detune and rate scaling (DET << 3 | RS), sensitivities
// (KVS << 2 | AMS), output level, coarse and mode (FC << 1 | M), fine.
constexpr std::array<std::uint8_t, 17> kInitPackedOperator = {99, 99, 99, 99, 99, 99, 99, 0, 39,
                                                               0,  0,  0,  56, 0,  0,  2,  0};
constexpr std::size_t kPackedOperatorBytes = 17;
constexpr std::size_t kPackedOutputLevel = 14;
// Pitch rates and levels, algorithm, key sync and feedback (OKS << 3 | FB), LFO speed,
// delay, pitch depth, amplitude depth, LPMS << 4 | wave << 1 | sync, transpose.
constexpr std::array<std::uint8_t, 16> kInitPackedGlobal = {99, 99, 99, 99, 50, 50, 50, 50,
                                                             0,  8,  35, 0,  0,  0,  49, 24};
constexpr std::size_t kPackedGlobalOffset = 102;
constexpr std::size_t kPackedAlgorithm = 110;
constexpr std::size_t kPackedNameOffset = 118;

void putName(std::uint8_t* at, const std::string& name)
{
    for (std::size_t i = 0; i < kNameBytes; ++i)
        at[i] = static_cast<std::uint8_t>(i < name.size() ? name[i] : ' ');
}

}  // namespace

SimulatedDX7::SimulatedDX7(int deviceNumber)
    : m_device(deviceNumber & 0x0F)
{
    for (std::size_t op = 0; op < 6; ++op)
        std::copy(kInitOperator.begin(), kInitOperator.end(), m_edit.begin() + op * kOperatorBytes);
    // Only operator 1 (the last block) sounds.
    m_edit[5 * kOperatorBytes + kOutputLevel] = 99;
    std::copy(kInitGlobal.begin(), kInitGlobal.end(), m_edit.begin() + kGlobalOffset);
    putName(m_edit.data() + kNameOffset, "SIM EDIT");

    for (std::size_t v = 0; v < kVoices; ++v) {
        std::uint8_t* voice = m_memory.data() + v * kPackedBytes;
        for (std::size_t op = 0; op < 6; ++op)
            std::copy(kInitPackedOperator.begin(), kInitPackedOperator.end(),
                      voice + op * kPackedOperatorBytes);
        voice[5 * kPackedOperatorBytes + kPackedOutputLevel] = static_cast<std::uint8_t>(99 - v);
        std::copy(kInitPackedGlobal.begin(), kInitPackedGlobal.end(), voice + kPackedGlobalOffset);
        voice[kPackedAlgorithm] = static_cast<std::uint8_t>(v);
        const std::string number = std::to_string(v + 1);
        putName(voice + kPackedNameOffset, "SimVoice" + std::string(2 - number.size(), '0') + number);
    }
}

std::uint8_t SimulatedDX7::checksum(std::span<const std::uint8_t> data)
{
    unsigned sum = 0;
    for (const std::uint8_t b : data)
        sum += b;
    return static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0x7F);
}

std::vector<std::uint8_t> SimulatedDX7::wrap(std::uint8_t format, std::span<const std::uint8_t> data) const
{
    std::vector<std::uint8_t> out;
    out.reserve(data.size() + 8);
    out.push_back(kSysexStart);
    out.push_back(kYamaha);
    out.push_back(static_cast<std::uint8_t>(kSubStatusDump | m_device));
    out.push_back(format);
    out.push_back(static_cast<std::uint8_t>(data.size() >> 7));
    out.push_back(static_cast<std::uint8_t>(data.size() & 0x7F));
    out.insert(out.end(), data.begin(), data.end());
    out.push_back(checksum(data));
    out.push_back(kSysexEnd);
    return out;
}

std::vector<std::uint8_t> SimulatedDX7::singleVoiceDump() const { return wrap(kFormatVoice, m_edit); }
std::vector<std::uint8_t> SimulatedDX7::bulkDump() const { return wrap(kFormatBank, m_memory); }

std::vector<std::uint8_t> SimulatedDX7::cut(std::vector<std::uint8_t> reply) const
{
    if (m_truncateTo == 0 || m_truncateTo >= reply.size())
        return reply;
    reply.resize(m_truncateTo);
    reply.back() = kSysexEnd;
    return reply;
}

std::size_t SimulatedDX7::count(Received::Kind kind) const
{
    return static_cast<std::size_t>(std::count_if(m_received.begin(), m_received.end(),
                                                  [kind](const Received& r) { return r.kind == kind; }));
}

std::string SimulatedDX7::voiceName(std::size_t i) const
{
    if (i >= kVoices)
        return {};
    const auto* at = m_memory.data() + i * kPackedBytes + kPackedNameOffset;
    return std::string(at, at + kNameBytes);
}

std::string SimulatedDX7::editBufferName() const
{
    return std::string(m_edit.begin() + kNameOffset, m_edit.end());
}

std::vector<std::vector<std::uint8_t>> SimulatedDX7::receive(std::span<const std::uint8_t> m)
{
    Received rec;
    rec.bytes.assign(m.begin(), m.end());
    std::vector<std::vector<std::uint8_t>> replies;

    const bool ours = m.size() >= kRequestBytes && m[0] == kSysexStart && m[1] == kYamaha &&
                      (m[2] & 0x0F) == m_device && m.back() == kSysexEnd;
    const std::uint8_t subStatus = m.size() > 2 ? static_cast<std::uint8_t>(m[2] & 0xF0) : 0;

    if (ours && m.size() == kRequestBytes && subStatus == kSubStatusRequest) {
        if (m[3] == kFormatVoice) {
            rec.kind = Received::Kind::VoiceRequest;
            if (!m_silent)
                replies.push_back(cut(singleVoiceDump()));
        } else if (m[3] == kFormatBank) {
            rec.kind = Received::Kind::BankRequest;
            if (!m_silent)
                replies.push_back(cut(bulkDump()));
        }
    } else if (ours && m.size() == kParamBytes && subStatus == kSubStatusParam) {
        rec.kind = Received::Kind::ParameterChange;
        const std::size_t group = m[3];
        const std::size_t index = (group & 0x03) * 128 + m[4];
        // Groups 0 and 1 address the voice in the edit buffer; the rest are functions.
        if (group <= 1 && index < kVoiceBytes)
            m_edit[index] = m[5];
    } else if (ours && subStatus == kSubStatusDump && m.size() == kVoiceDumpBytes &&
               m[3] == kFormatVoice) {
        rec.kind = Received::Kind::Voice;
        const auto data = m.subspan(kHeaderBytes, kVoiceBytes);
        rec.checksumOk = checksum(data) == m[kHeaderBytes + kVoiceBytes];
        if (rec.checksumOk)
            std::copy(data.begin(), data.end(), m_edit.begin());
    } else if (ours && subStatus == kSubStatusDump && m.size() == kBankDumpBytes &&
               m[3] == kFormatBank) {
        rec.kind = Received::Kind::Bank;
        const auto data = m.subspan(kHeaderBytes, kBankBytes);
        rec.checksumOk = checksum(data) == m[kHeaderBytes + kBankBytes];
        if (rec.checksumOk)
            std::copy(data.begin(), data.end(), m_memory.begin());
    }
    if (!rec.checksumOk)
        ++m_badChecksums;
    m_received.push_back(std::move(rec));
    return replies;
}

}  // namespace platform
