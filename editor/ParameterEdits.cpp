// Brevane - every change made to the voice in an editor, and what it sends.
#include "editor/ParameterEdits.h"

#include "banklib/clsVoiceData.h"
#include "editor/FrequencyDisplay.h"
#include "editor/ParameterTexts.h"
#include "platform/VbText.h"

#include <QGuiApplication>

#include <cmath>
#include <utility>

namespace editor {
namespace {

using banklib::VoiceDataField::Max;
using banklib::VoiceDataField::Min;
using banklib::VoiceDataField::ProxyFieldID;
using banklib::VoiceDataField::ProxyVal;
using banklib::VoiceDataField::Value;

// Whether a text starts with a number (after blanks and a sign), so that reading it
// does not quietly give 0.
bool startsWithNumber(std::string_view text)
{
    const std::string t = platform::Trim(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    if (i < t.size() && t[i] == '.')
        ++i;
    return i < t.size() && t[i] >= '0' && t[i] <= '9';
}

ParameterEdits::ModifierQuery& modifierQuery()
{
    static ParameterEdits::ModifierQuery query;
    return query;
}

}  // namespace

ParameterEdits::ParameterEdits(QObject* parent) : QObject(parent) {}

void ParameterEdits::setModifierQuery(ModifierQuery query) { modifierQuery() = std::move(query); }

bool ParameterEdits::ctrlHeld()
{
    Qt::KeyboardModifiers held = Qt::NoModifier;
    if (modifierQuery())
        held = modifierQuery()();
    else if (qGuiApp != nullptr)
        held = QGuiApplication::queryKeyboardModifiers();
    return held.testFlag(Qt::ControlModifier);
}

void ParameterEdits::setVoice(platform::Recordset& voiceData, platform::Recordset& proxyData)
{
    m_voice = VoiceRows(voiceData);
    m_proxy = VoiceRows(proxyData);
}

int ParameterEdits::value(int row) const { return static_cast<int>(std::lround(m_voice.number(row, Value))); }
int ParameterEdits::minimum(int row) const { return static_cast<int>(std::lround(m_voice.number(row, Min))); }
int ParameterEdits::maximum(int row) const { return static_cast<int>(std::lround(m_voice.number(row, Max))); }
std::string ParameterEdits::displayText(int row) const { return platform::Trim(m_voice.text(row, ProxyVal)); }

bool ParameterEdits::sends(EditPath path) const
{
    switch (path) {
    case EditPath::Spin:
    case EditPath::TypedPair:
    case EditPath::Algorithm: return editorOutput().outputOpen() && !SendSuppressed();
    case EditPath::OperatorSwitch:
    case EditPath::Chart: return editorOutput().outputOpen();
    case EditPath::Quiet: return false;
    }
    return false;
}

bool ParameterEdits::commit(int row, int value, EditPath path)
{
    if (path == EditPath::OperatorSwitch) {
        if (row != kOperatorSwitchRow || value < 0 || value > kAllOperatorsOn)
            return false;
        m_operatorStatus = value;
        emit rowChanged(row);
        if (sends(path)) {
            EditorOutput& out = editorOutput();
            payOwedVoice(out);
            out.sendParameter(row + 1, value);
            out.playScale();
        }
        return true;
    }
    if (!m_voice.has(row) || row >= kFirstNameRow || value < minimum(row) || value > maximum(row))
        return false;
    m_voice.set(row, Value, platform::Str(value));
    RefreshRowText(m_voice, m_proxy, row);
    emit rowChanged(row);
    if (!sends(path))
        return true;
    EditorOutput& out = editorOutput();
    payOwedVoice(out);
    out.sendParameter(row + 1, value);
    if (path == EditPath::Spin)
        out.playNote();
    else if (path == EditPath::Algorithm)
        out.playScale();
    return true;
}

bool ParameterEdits::typeValue(int row, std::string_view text)
{
    if (!m_voice.has(row) || row >= kFirstNameRow)
        return false;
    const int column = static_cast<int>(platform::Val(m_voice.text(row, ProxyFieldID)));
    if (column == 0) {
        if (!startsWithNumber(text))
            return false;
        const double v = platform::Val(text);
        if (v < minimum(row) || v > maximum(row))
            return false;
        return commit(row, static_cast<int>(std::nearbyint(v)), EditPath::Spin);
    }
    if (column == banklib::ProxyDataField::FixedFreqFine || column == banklib::ProxyDataField::FreqRatioFine)
        return typeFrequency(row, text, column);
    // A display text: only the row's own values count, and an empty text matches none.
    const std::string wanted = platform::Trim(text);
    if (wanted.empty())
        return false;
    for (int v = std::max(0, minimum(row)); v <= maximum(row); ++v)
        if (platform::Trim(proxyText(m_proxy, column, v)) == wanted)
            return commit(row, v, EditPath::Spin);
    return false;
}

bool ParameterEdits::typeFrequency(int row, std::string_view text, int column)
{
    const int op = oscillatorOperatorOfRow(row);
    if (op == 0)
        return false;
    const auto mode = column == banklib::ProxyDataField::FixedFreqFine ? OscillatorMode::Fixed : OscillatorMode::Ratio;
    const auto parsed = FrequencyDisplay::parse(mode, text);
    if (!parsed)
        return false;
    const int coarseRow = operatorFirstRow(op) + kOscCoarseOffset;
    const int fineRow = coarseRow + 1;
    // Both rows change; the one typed into sounds the note.
    if (row == fineRow) {
        (void)commit(coarseRow, parsed->coarse, EditPath::TypedPair);
        return commit(fineRow, parsed->fine, EditPath::Spin);
    }
    (void)commit(fineRow, parsed->fine, EditPath::TypedPair);
    return commit(coarseRow, parsed->coarse, EditPath::Spin);
}

bool ParameterEdits::selectAlgorithm(int index) { return commit(kAlgorithmRow, index, EditPath::Algorithm); }

std::optional<int> ParameterEdits::algorithmIndexOfText(std::string_view text)
{
    const double v = platform::Val(text);
    if (v < 1.0 || v > 32.0)
        return std::nullopt;
    return static_cast<int>(std::nearbyint(v - 1.0));
}

int ParameterEdits::ComputeOperatorMask(int op, bool on)
{
    if (m_operatorStatus == 0 && m_lastMask == 0)
        m_operatorStatus = kAllOperatorsOn;
    m_lastMask = m_operatorStatus;
    const int bit = 1 << (6 - op);
    m_operatorStatus = on ? (m_operatorStatus | bit) : (m_operatorStatus & (kAllOperatorsOn - bit));
    return m_operatorStatus;
}

bool ParameterEdits::switchOperator(int op, bool on)
{
    if (op < 1 || op > 6 || !editorOutput().outputOpen())
        return false;
    const int mask = ComputeOperatorMask(op, on);
    return commit(kOperatorSwitchRow, mask, EditPath::OperatorSwitch);
}

void ParameterEdits::sendWholeVoice(bool ignoreSuppressed)
{
    EditorOutput& out = editorOutput();
    if (!out.outputOpen() || (!ignoreSuppressed && SendSuppressed()) || !m_voice.valid())
        return;
    m_voiceOwed = false;
    out.sendVoice(m_voice.recordset(), m_listType);
    out.playScale();
}

void ParameterEdits::sendOwedVoice()
{
    if (std::exchange(m_voiceOwed, false))
        sendWholeVoice(true);
}

void ParameterEdits::payOwedVoice(EditorOutput& out)
{
    if (std::exchange(m_voiceOwed, false) && m_voice.valid())
        out.sendVoice(m_voice.recordset(), m_listType);
}

void ParameterEdits::sendVoiceDump()
{
    EditorOutput& out = editorOutput();
    if (out.outputOpen() && m_voice.valid()) {
        m_voiceOwed = false;
        out.sendVoice(m_voice.recordset(), m_listType);
    }
}

void ParameterEdits::playTestScale()
{
    EditorOutput& out = editorOutput();
    if (!out.outputOpen())
        return;
    payOwedVoice(out);
    out.playScale();
}

void ParameterEdits::playAuditionNote()
{
    EditorOutput& out = editorOutput();
    if (!out.outputOpen())
        return;
    payOwedVoice(out);
    out.playNote();
}

void ParameterEdits::endAuditionNote()
{
    EditorOutput& out = editorOutput();
    if (out.outputOpen())
        out.endNote();
}

}  // namespace editor
