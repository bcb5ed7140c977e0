// Brevane - the initial voice, and the bank of 32 of them that File > New opens.
#include "banklib/InitVoice.h"

#include "banklib/clsVoiceData.h"

#include <string_view>

namespace banklib {

std::array<std::uint8_t, kUnpackedVoiceSize> InitVoice()
{
    std::array<std::uint8_t, kUnpackedVoiceSize> v{};
    for (int op = 1; op <= 6; ++op) {
        const auto at = [op](std::size_t param) { return unpackedOperatorOffset(op, param); };
        for (std::size_t i = 0; i < 4; ++i)
            v[at(UnpackedOp::kEgRate1 + i)] = 99;
        v[at(UnpackedOp::kEgLevel1 + 0)] = 99;
        v[at(UnpackedOp::kEgLevel1 + 1)] = 99;
        v[at(UnpackedOp::kEgLevel1 + 2)] = 99;
        v[at(UnpackedOp::kEgLevel1 + 3)] = 0;
        v[at(UnpackedOp::kBreakPoint)] = 39;
        v[at(UnpackedOp::kOutputLevel)] = op == 1 ? 99 : 0;
        v[at(UnpackedOp::kOscMode)] = 0;
        v[at(UnpackedOp::kFreqCoarse)] = 1;
        v[at(UnpackedOp::kFreqFine)] = 0;
        v[at(UnpackedOp::kDetune)] = 7;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        v[Unpacked::kPitchEgRate1 + i] = 99;
        v[Unpacked::kPitchEgLevel1 + i] = 50;
    }
    v[Unpacked::kAlgorithm] = 0;  // algorithm 1
    v[Unpacked::kFeedback] = 0;
    v[Unpacked::kOscKeySync] = 1;
    v[Unpacked::kLfoSpeed] = 35;
    v[Unpacked::kPitchModSens] = 3;
    v[Unpacked::kTranspose] = 24;
    constexpr std::string_view kName = "INIT VOICE";
    for (std::size_t i = 0; i < kNameLength; ++i)
        v[Unpacked::kName + i] = static_cast<std::uint8_t>(kName[i]);
    return v;
}

std::vector<std::uint8_t> InitBank()
{
    const auto voice = InitVoice();
    std::vector<std::uint8_t> bank(kBankDataSize);
    for (std::size_t i = 0; i < kVoicesPerBank; ++i)
        clsVoiceData::packVoice(voice, std::span<std::uint8_t, kPackedVoiceSize>(bank.data() + i * kPackedVoiceSize,
                                                                                 kPackedVoiceSize));
    return bank;
}

}  // namespace banklib
