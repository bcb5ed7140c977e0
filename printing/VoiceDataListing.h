// Brevane - the full voice-data listing: every parameter of four voices a page.
//
// Each voice prints as a name line (with its bank and patch unless the BANK/PATCH line is
// left out), a line with algorithm, transpose, feedback and oscillator key sync, a table
// of the six operators (operator 6 first: frequency, detune, envelope, keyboard scaling,
// sensitivities, output level) and a pitch-envelope and LFO table. Values read as the
// editor shows them: the raw number, or its display text (curve names, note names, On and
// Off, wave names). Table cells end at fixed positions (twips from the paper's edge).
#pragma once

#include "printing/ListingBuilder.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace banklib {
class clsVoiceData;
}
namespace platform {
class Recordset;
}

namespace printing {

class VoiceDataListing {
public:
    VoiceDataListing(ListingBuilder& builder, bool omitBankLine) : m_builder(builder), m_omitBankLine(omitBankLine) {}

    // One page: the header, then the voices voiceNumbers[firstIndex - 1 ..], at most four.
    // A voice that cannot be read prints "Voice n could not be read" and the page goes on.
    int AppendVoiceDataPage(banklib::VoiceListView& list, int& position, std::int32_t pageNumber,
                            std::int32_t pageCount, std::int32_t firstIndex,
                            const std::vector<std::int32_t>& voiceNumbers);

    // The text of parameter param (1-based row) of a voice: its value, or its display text
    // from proxy when the row names a column there; trimmed.
    [[nodiscard]] static QString GetParamText(platform::Recordset& voice, platform::Recordset& proxy,
                                              std::int32_t param);
    // The oscillator's frequency of the operator whose rows start after base: "R" or "F"
    // and the number laid out by its size ("R0.500  ", "R14.00  ", "F 1000  ").
    [[nodiscard]] static QString GetOperatorFrequencyText(platform::Recordset& voice, platform::Recordset& proxy,
                                                          std::int32_t base);
    // The proxy column the voice's current row names (0 when none).
    [[nodiscard]] static int GetProxyColumn(const platform::Recordset& voice);

private:
    // A line of cells, each ending at its position: a tab, then a tab before each cell.
    void appendCells(const QStringList& cells, const std::int32_t* positions, int& position, bool bold = false);
    void appendVoice(banklib::VoiceListView& list, banklib::clsVoiceData& reader, platform::Recordset& proxy,
                     int& position, std::int32_t voice, bool last);

    ListingBuilder& m_builder;
    bool m_omitBankLine;
};

}  // namespace printing
