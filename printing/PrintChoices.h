// Brevane - the rules of the print dialog: listing kind, selected voices, banks, file.
//
// File > Print asks what to print before the printer is chosen: the names of whole banks
// ("Patch Names") or every parameter ("Names and Data") of the selected voices or of the
// voices of some banks, with or without the BANK/PATCH line, as a preview, on paper, or as
// a text file. The choices for one voice list are remembered for its next print; another
// list starts afresh. PrintOptionsDialog shows these rules; this class keeps them so
// they can be checked without a window.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace printing {

// The entries of the listing-kind list.
inline constexpr const char* kPatchNames = "Patch Names";
inline constexpr const char* kNamesAndData = "Names and Data";

// Which banks print.
enum class BankRange : int { All = 0, Selection = 1, Pages = 2 };

// What the print dialog leaves for the next one (and for the listing builder).
struct PrintDialogMemory {
    bool RememberedKind = false;      // the last dialog chose "Names and Data"
    bool RememberedSelected = false;  // its selected-voices box was ticked
    bool OmitBankLine = false;        // leave out the BANK/PATCH line
    bool SelectedOnly = false;        // the full listing prints the selected voices only
    bool ListingWithData = false;     // the full listing rather than the names
};

class PrintChoices {
public:
    // The dialog as it opens for a list of bankCount banks (at least 1) whose window
    // shows shownBank and has selected voices or not.
    PrintChoices(std::int32_t bankCount, std::int32_t shownBank, bool listHasSelection,
                 const PrintDialogMemory& memory);

    // ---- what the controls show
    [[nodiscard]] const std::vector<std::string>& kinds() const { return m_kinds; }
    [[nodiscard]] int kindIndex() const { return m_kind; }
    // The selected-voices box and the BANK-line box: shown, and ticked.
    [[nodiscard]] bool dataOptionsVisible() const { return m_dataOptionsVisible; }
    [[nodiscard]] bool selectedOnlyChecked() const { return m_selectedChecked; }
    [[nodiscard]] bool omitBankLineChecked() const { return m_omitChecked; }
    // The range buttons and the From and To boxes.
    [[nodiscard]] bool rangeEnabled() const { return m_rangeEnabled; }
    [[nodiscard]] BankRange range() const { return m_range; }
    [[nodiscard]] std::int32_t fromBank() const { return m_from; }
    [[nodiscard]] std::int32_t toBank() const { return m_to; }
    [[nodiscard]] std::int32_t bankCount() const { return m_bankCount; }
    [[nodiscard]] bool printToFile() const { return m_printToFile; }
    [[nodiscard]] bool previewPressed() const { return m_preview; }

    // ---- what the user does
    void chooseKind(int index);
    void setSelectedOnly(bool checked);
    void setOmitBankLine(bool checked);
    void setRange(BankRange range) { m_range = range; }
    // Kept within 1 .. bankCount.
    void setFromBank(std::int32_t bank);
    void setToBank(std::int32_t bank);
    void setPrintToFile(bool toFile) { m_printToFile = toFile; }
    // The Preview button: confirms the dialog as a preview.
    void pressPreview() { m_preview = true; }

    // ---- when the dialog is confirmed
    // What is remembered, so that what prints is what the dialog showed.
    [[nodiscard]] PrintDialogMemory memory() const;
    // The banks to print (first, last), first <= last.
    [[nodiscard]] std::pair<std::int32_t, std::int32_t> bankRange() const;

private:
    std::vector<std::string> m_kinds;
    std::int32_t m_bankCount = 1;
    std::int32_t m_shownBank = 1;
    int m_kind = 0;
    bool m_dataOptionsVisible = false;
    bool m_selectedChecked = false;
    bool m_omitChecked = false;
    bool m_rangeEnabled = true;
    BankRange m_range = BankRange::Selection;
    std::int32_t m_from = 1;
    std::int32_t m_to = 1;
    bool m_printToFile = false;
    bool m_preview = false;
};

}  // namespace printing
