// Brevane - the full voice-data listing.
#include "printing/VoiceDataListing.h"

#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceData.h"
#include "editor/FrequencyDisplay.h"
#include "platform/Recordset.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <cmath>

namespace printing {
namespace {

constexpr std::int32_t kOperatorColumns[20] = {1100, 2300, 2700, 3500, 3850, 4200, 4550, 5000, 5350, 5700,
                                               6050, 6800, 7150, 7850, 8400, 8750, 9150, 9800, 10150, 10700};
constexpr std::int32_t kPitchLfoColumns[15] = {2000, 2350, 2700, 3050, 3500, 3850, 4200, 4550,
                                               5800, 6500, 7100, 7700, 8300, 8900, 9500};
constexpr int kRowsPerOperator = 21;
constexpr int kVoicesPerPage = 4;
constexpr int kVoicesPerBank = 32;

// 1-based VoiceData rows (parameter numbers).
constexpr int kPitchEgFirst = 127;
constexpr int kAlgorithm = 135;
constexpr int kFeedback = 136;
constexpr int kOscKeySync = 137;
constexpr int kLfoSpeed = 138;
constexpr int kLfoWave = 143;
constexpr int kPitchModSens = 144;
constexpr int kTranspose = 145;
constexpr int kNameFirst = 146;
constexpr int kNameLength = 10;

QString fromStd(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

QString format(const QString& text, const char* pattern)
{
    return fromStd(platform::FormatText(text.toLatin1().toStdString(), pattern));
}

std::int32_t roundToInt(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

// The voice's name as the name listing prints it: the character of each name row (a
// blank for an empty row), codes outside printable ASCII as blanks; blanks inside the
// name stay, trailing ones go.
QString voiceName(platform::Recordset& voice)
{
    std::string raw;
    for (int i = 0; i < kNameLength; ++i) {
        voice.setAbsolutePosition(kNameFirst + i);
        const std::string value =
            voice.isEOF() || voice.isBOF() ? std::string() : voice.text(banklib::VoiceDataField::Value);
        raw += value.empty() ? ' ' : value.front();
    }
    QString name = listingName(raw);
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

}  // namespace

int VoiceDataListing::GetProxyColumn(const platform::Recordset& voice)
{
    return static_cast<int>(platform::Val(voice.text(banklib::VoiceDataField::ProxyFieldID)));
}

QString VoiceDataListing::GetParamText(platform::Recordset& voice, platform::Recordset& proxy, std::int32_t param)
{
    voice.setAbsolutePosition(param);
    if (voice.isEOF() || voice.isBOF())
        return {};
    const std::string value = voice.text(banklib::VoiceDataField::Value);
    if (platform::Trim(voice.text(banklib::VoiceDataField::ProxyFieldID)).empty())
        return fromStd(platform::Trim(value));
    proxy.setAbsolutePosition(static_cast<int>(platform::Val(value)) + 1);
    const int column = GetProxyColumn(voice);
    if (proxy.isEOF() || proxy.isBOF() || column < 0 || column >= proxy.fieldCount())
        return {};
    return fromStd(platform::Trim(proxy.text(column)));
}

QString VoiceDataListing::GetOperatorFrequencyText(platform::Recordset& voice, platform::Recordset& proxy,
                                                   std::int32_t base)
{
    constexpr int kMode = 18;
    constexpr int kCoarse = 19;
    constexpr int kFine = 20;
    const QString modeText = GetParamText(voice, proxy, base + kMode);
    voice.setAbsolutePosition(base + kCoarse);
    const int coarse = static_cast<int>(platform::Val(voice.text(banklib::VoiceDataField::Value)));
    voice.setAbsolutePosition(base + kFine);
    const int fine = static_cast<int>(platform::Val(voice.text(banklib::VoiceDataField::Value)));
    const editor::OscillatorMode mode = editor::FrequencyDisplay::modeOfText(modeText.toStdString());
    std::string text = editor::FrequencyDisplay::text(mode, coarse, fine);
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "Hz") == 0)
        text.resize(text.size() - 2);
    const double number = platform::Val(text);
    const char* pattern = number < 1 ? "0.000  " : number < 100 ? "#0.00  " : number < 1000 ? "000.0  " : " 0000  ";
    voice.moveFirst();
    proxy.moveFirst();
    return modeText.left(1) + fromStd(platform::Format(number, pattern));
}

void VoiceDataListing::appendCells(const QStringList& cells, const std::int32_t* positions, int& position,
                                   bool bold)
{
    TabStops tabs{};
    QString line = QStringLiteral("\t");
    for (qsizetype j = 0; j < cells.size(); ++j) {
        line += QLatin1Char('\t') + cells[j];
        // The stop before a cell is its end less its width, so the cell ends at its position.
        tabs[static_cast<std::size_t>(j + 1)] = roundToInt(positions[j] - m_builder.TextWidth(cells[j]));
    }
    line += QLatin1Char('\n');
    const int start = m_builder.textEnd();
    m_builder.AppendPreviewText(line, position, 0, bold);
    m_builder.SetParagraphTabs(start, position, true, static_cast<int>(cells.size()), tabs, false);
}

void VoiceDataListing::appendVoice(banklib::VoiceListView& list, banklib::clsVoiceData& reader,
                                   platform::Recordset& proxy, int& position, std::int32_t voice, bool last)
{
    const std::int32_t bank = (voice - 1) / kVoicesPerBank + 1;
    const std::int32_t patch = (voice - 1) % kVoicesPerBank + 1;
    platform::ShowStatusMessage(" Please wait - Reading/Formatting Bank " + platform::Str(bank) + " Patch " +
                                    platform::Str(patch),
                                0, 1);

    // The voice is read quietly through a cursor of its own: the list is not disturbed.
    platform::Recordset records = list.rsmfimage().clone();
    platform::Recordset voiceData;
    std::int32_t crc = 0;
    std::string unused;
    const bool missing = reader.GetVoiceData(records, voice, list.fileType(), voiceData, crc, true, unused, 0);
    if (missing || crc == 0) {
        const int start = m_builder.textEnd();
        m_builder.AppendPreviewText(QStringLiteral("\tVoice %1 could not be read\n").arg(voice) +
                                        (last ? QString() : QStringLiteral("\n\n")),
                                    position, 0, false);
        m_builder.SetParagraphTabs(start, position, true, 0, TabStops{}, false);
        return;
    }
    auto text = [&](int param) { return GetParamText(voiceData, proxy, param); };

    // Name, bank and patch.
    const int nameStart = m_builder.textEnd();
    m_builder.AppendPreviewText(QStringLiteral("\tNAME:  "), position, 0, true);
    m_builder.AppendPreviewText(voiceName(voiceData), position, 0, false);
    if (m_omitBankLine) {
        // A space and a line break, with no tab change: the line keeps the listing's stop
        // at the left margin, where its tab takes the name.
        m_builder.AppendPreviewText(QStringLiteral(" \n"), position, 0, false);
        m_builder.SetParagraphTabs(nameStart, position, true, 0, TabStops{}, false);
    } else {
        m_builder.AppendPreviewText(QStringLiteral("\tBANK: "), position, 0, true);
        m_builder.AppendPreviewText(fromStd(platform::Format(bank, "#######")) + QLatin1Char('\t'), position, 0,
                                    false);
        m_builder.AppendPreviewText(QStringLiteral("PATCH:"), position, 0, true);
        m_builder.AppendPreviewText(fromStd(platform::FormatText(std::to_string(patch), " @@")) +
                                        QStringLiteral("\n\n"),
                                    position, 0, false);
        TabStops tabs{};
        tabs[1] = 3000;
        tabs[2] = 4000;
        m_builder.SetParagraphTabs(nameStart, position, true, 2, tabs, false);
    }

    // Algorithm, transpose, feedback, oscillator key sync.
    {
        const int start = m_builder.textEnd();
        const QString algorithm = QString::number(static_cast<int>(platform::Val(text(kAlgorithm).toStdString())) + 1);
        m_builder.AppendPreviewText(QStringLiteral("\t\tAlgorithm:") + format(algorithm, "@@@") +
                                        QStringLiteral("\tTranspose:") + format(text(kTranspose), "@@@@@") +
                                        QStringLiteral("\tFeedback:") + format(text(kFeedback), "@@@") +
                                        QStringLiteral("\tOsc Key Sync: ") + format(text(kOscKeySync), "@@@") +
                                        QStringLiteral("\n\n"),
                                    position, 0, false);
        TabStops tabs{};
        tabs[1] = 2300;
        tabs[2] = 4000;
        tabs[3] = 6000;
        tabs[4] = 7700;
        m_builder.SetParagraphTabs(start, position, true, 4, tabs, false);
    }
    {
        const int start = m_builder.textEnd();
        m_builder.AppendPreviewText(QStringLiteral("\t\tFrequency\tEnvelope\tKeyboard Scaling\tSens\n"), position, 0,
                                    false);
        TabStops tabs{};
        tabs[1] = 1700;
        tabs[2] = 4400;
        tabs[3] = 7000;
        tabs[4] = 10000;
        m_builder.SetParagraphTabs(start, position, true, 4, tabs, false);
    }

    // The operators, 6 first.
    appendCells({QStringLiteral("OP"), QStringLiteral("Ratio/Fixed"), QStringLiteral("DT"), QStringLiteral("R1"),
                 QStringLiteral("R2"), QStringLiteral("R3"), QStringLiteral("R4"), QStringLiteral("L1"),
                 QStringLiteral("L2"), QStringLiteral("L3"), QStringLiteral("L4"), QStringLiteral("LC"),
                 QStringLiteral("LD"), QStringLiteral("BKPT"), QStringLiteral("RC"), QStringLiteral("RD"),
                 QStringLiteral("RS"), QStringLiteral("V"), QStringLiteral("A"), QStringLiteral("OL")},
                kOperatorColumns, position);
    for (int op = 6; op >= 1; --op) {
        const int base = (6 - op) * kRowsPerOperator;
        QStringList cells;
        cells << QLatin1Char(' ') + fromStd(platform::Str(op));
        cells << GetOperatorFrequencyText(voiceData, proxy, base);
        cells << QLatin1Char(' ') + text(base + 21);
        for (int r = 1; r <= 8; ++r)
            cells << format(text(base + r), "@@@");
        cells << text(base + 12) << text(base + 10) << QLatin1Char(' ') + text(base + 9) << text(base + 13)
              << text(base + 11) << text(base + 14) << text(base + 16) << text(base + 15) << text(base + 17);
        appendCells(cells, kOperatorColumns, position);
    }

    // Pitch envelope and LFO.
    {
        const int start = m_builder.textEnd();
        m_builder.AppendPreviewText(QStringLiteral("\n\t\tPitch Envelope\tLow Frequency Oscillator\n"), position, 0,
                                    false);
        TabStops tabs{};
        tabs[1] = 2500;
        tabs[2] = 6500;
        m_builder.SetParagraphTabs(start, position, true, 2, tabs, false);
    }
    appendCells({QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3"), QStringLiteral("R4"),
                 QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3"), QStringLiteral("L4"),
                 QStringLiteral("WAVE"), QStringLiteral("SPD"), QStringLiteral("DLY"), QStringLiteral("PMD"),
                 QStringLiteral("AMD"), QStringLiteral("SYNC"), QStringLiteral("PMS")},
                kPitchLfoColumns, position);
    QStringList values;
    for (int r = kPitchEgFirst; r < kPitchEgFirst + 8; ++r)
        values << text(r);
    values << text(kLfoWave);
    for (int r = kLfoSpeed; r < kLfoSpeed + 5; ++r)
        values << text(r);
    values << text(kPitchModSens);
    appendCells(values, kPitchLfoColumns, position);
    if (!last)
        m_builder.AppendPreviewText(QStringLiteral("\n\n"), position, 0, false);
}

int VoiceDataListing::AppendVoiceDataPage(banklib::VoiceListView& list, int& position, std::int32_t pageNumber,
                                          std::int32_t pageCount, std::int32_t firstIndex,
                                          const std::vector<std::int32_t>& voiceNumbers)
{
    // One reader for the page's voices, and the display texts once a page.
    banklib::clsVoiceData reader;
    banklib::clsVoiceData lookup;
    platform::Recordset& proxy = lookup.InitProxyData();
    std::int32_t lines = 0;
    m_builder.AppendPageHeader(list, position, pageNumber, pageCount, lines);
    for (int k = 0; k < kVoicesPerPage; ++k) {
        const std::int32_t i = firstIndex + k;
        if (i < 1 || i > static_cast<std::int32_t>(voiceNumbers.size()))
            break;
        appendVoice(list, reader, proxy, position, voiceNumbers[static_cast<std::size_t>(i - 1)], k == kVoicesPerPage - 1);
    }
    return position;
}

}  // namespace printing
