// Brevane - the display texts (ProxyVal) of a voice's parameter rows.
#include "editor/ParameterTexts.h"

#include "banklib/VoiceFormat.h"
#include "banklib/clsVoiceData.h"
#include "editor/FrequencyDisplay.h"
#include "platform/VbText.h"

#include <cmath>

namespace editor {
namespace {

using banklib::ProxyDataField::Detune;
using banklib::ProxyDataField::OscMode;
using banklib::VoiceDataField::ProxyFieldID;
using banklib::VoiceDataField::ProxyVal;
using banklib::VoiceDataField::Value;

constexpr int kFirstNameRow = static_cast<int>(banklib::Unpacked::kName);

int rawValue(const VoiceRows& voice, int row) { return static_cast<int>(std::lround(voice.number(row, Value))); }

}  // namespace

int oscillatorOperatorOfRow(int row)
{
    if (row < 0 || row >= static_cast<int>(banklib::Unpacked::kPitchEgRate1))
        return 0;
    const int offset = row % 21;
    return offset >= kOscModeOffset ? 6 - row / 21 : 0;
}

std::string proxyText(const VoiceRows& proxy, int column, int value)
{
    if (column < 1 || column > banklib::ProxyDataField::BreakPoint || !proxy.has(value))
        return {};
    return proxy.text(value, column);
}

std::string FormatOscillatorFrequency(const VoiceRows& voice, int op)
{
    const int b = operatorFirstRow(op);
    return FrequencyDisplay::text(FrequencyDisplay::modeOfValue(rawValue(voice, b + kOscModeOffset)),
                                  rawValue(voice, b + kOscCoarseOffset), rawValue(voice, b + kOscFineOffset));
}

std::string UpdateOscillatorTexts(const VoiceRows& voice, const VoiceRows& proxy, int op)
{
    const int b = operatorFirstRow(op);
    const int mode = rawValue(voice, b + kOscModeOffset);
    voice.set(b + kOscModeOffset, ProxyVal, proxyText(proxy, OscMode, mode));
    voice.set(b + kOscDetuneOffset, ProxyVal, proxyText(proxy, Detune, rawValue(voice, b + kOscDetuneOffset)));
    const std::string column =
        platform::Str(FrequencyDisplay::modeOfValue(mode) == OscillatorMode::Fixed ? banklib::ProxyDataField::FixedFreqFine
                                                                                   : banklib::ProxyDataField::FreqRatioFine);
    const std::string frequency = FormatOscillatorFrequency(voice, op);
    for (const int row : {b + kOscCoarseOffset, b + kOscFineOffset}) {
        voice.set(row, ProxyFieldID, column);
        voice.set(row, ProxyVal, frequency);
    }
    return frequency;
}

std::string UpdateOscillatorTexts(platform::Recordset& rsVoiceData, platform::Recordset& rsProxyData, int op)
{
    return UpdateOscillatorTexts(VoiceRows(rsVoiceData), VoiceRows(rsProxyData), op);
}

void RefreshRowText(const VoiceRows& voice, const VoiceRows& proxy, int row)
{
    if (!voice.has(row) || row >= kFirstNameRow)
        return;
    if (const int op = oscillatorOperatorOfRow(row)) {
        (void)UpdateOscillatorTexts(voice, proxy, op);
        return;
    }
    const int column = static_cast<int>(platform::Val(voice.text(row, ProxyFieldID)));
    const int value = rawValue(voice, row);
    voice.set(row, ProxyVal, column == 0 ? platform::Str(value) : proxyText(proxy, column, value));
}

void RefreshAllTexts(const VoiceRows& voice, const VoiceRows& proxy)
{
    for (int row = 0; row < kFirstNameRow && voice.has(row); ++row) {
        const int op = oscillatorOperatorOfRow(row);
        if (op == 0)
            RefreshRowText(voice, proxy, row);
        else if (row % 21 == kOscModeOffset)
            (void)UpdateOscillatorTexts(voice, proxy, op);
    }
}

}  // namespace editor
