// Brevane - the rules of the print dialog.
#include "printing/PrintChoices.h"

#include <algorithm>

namespace printing {

PrintChoices::PrintChoices(std::int32_t bankCount, std::int32_t shownBank, bool listHasSelection,
                           const PrintDialogMemory& memory)
    : m_bankCount(std::max(1, bankCount)),
      m_shownBank(std::clamp(shownBank, 1, std::max(1, bankCount))),
      m_to(std::max(1, bankCount))
{
    bool rememberedKind = memory.RememberedKind;
    bool selectedOnly = memory.SelectedOnly;
    m_kinds.emplace_back(kPatchNames);
    if (listHasSelection) {
        m_kinds.emplace_back(kNamesAndData);
    } else {
        // Without selected voices the full listing would print nothing.
        rememberedKind = false;
        selectedOnly = false;
    }
    m_kind = rememberedKind ? 1 : 0;
    m_selectedChecked = memory.RememberedSelected;
    m_omitChecked = memory.OmitBankLine;
    m_dataOptionsVisible = rememberedKind;
    m_rangeEnabled = !(rememberedKind && selectedOnly);
}

void PrintChoices::chooseKind(int index)
{
    if (index < 0 || index >= static_cast<int>(m_kinds.size()))
        return;
    m_kind = index;
    const bool withData = index != 0;
    m_dataOptionsVisible = withData;
    if (withData) {
        m_selectedChecked = true;
        m_rangeEnabled = false;
    } else {
        m_rangeEnabled = true;
    }
}

void PrintChoices::setSelectedOnly(bool checked)
{
    m_selectedChecked = checked;
    m_rangeEnabled = !checked;
}

void PrintChoices::setOmitBankLine(bool checked) { m_omitChecked = checked; }

void PrintChoices::setFromBank(std::int32_t bank) { m_from = std::clamp(bank, 1, m_bankCount); }

void PrintChoices::setToBank(std::int32_t bank) { m_to = std::clamp(bank, 1, m_bankCount); }

PrintDialogMemory PrintChoices::memory() const
{
    PrintDialogMemory m;
    m.RememberedKind = m_kind != 0;
    m.RememberedSelected = m_selectedChecked;
    m.OmitBankLine = m_omitChecked;
    m.ListingWithData = m.RememberedKind;
    m.SelectedOnly = m.ListingWithData && m.RememberedSelected;
    return m;
}

std::pair<std::int32_t, std::int32_t> PrintChoices::bankRange() const
{
    switch (m_range) {
    case BankRange::All: return {1, m_bankCount};
    case BankRange::Selection: return {m_shownBank, m_shownBank};
    case BankRange::Pages: break;
    }
    return {std::min(m_from, m_to), std::max(m_from, m_to)};
}

}  // namespace printing
