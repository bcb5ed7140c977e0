// Brevane - the progress window of a duplicate search ("Searching for Duplicates...").
//
// Six rows, each a caption (Label1) and a value (Label2): 0 "Current Voice", 1 "Remaining
// to Search", 2 "Duplicates Found", 3 "Duplicates Deleted", 4 "Total Patches at Start",
// 5 "Total Patches Now". Rows 3 and 5 are shown only in the final report. Cancel (also
// Esc and the close box) runs the cancel handler, through which the duplicate dialog sets
// its CancelSearch; the progress handler asks and stops at its next event.
#pragma once

#include "shell/CancelOnCloseDialog.h"

#include <array>
#include <cstdint>
#include <functional>

namespace banklib {
struct DuplicateProgress;
}

class QLabel;
class QPushButton;

namespace shell {

class frmDupStatus final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 6;
    static constexpr int kRowCurrentVoice = 0;
    static constexpr int kRowRemaining = 1;
    static constexpr int kRowFound = 2;
    static constexpr int kRowDeleted = 3;
    static constexpr int kRowTotalAtStart = 4;
    static constexpr int kRowTotalNow = 5;

    // The loaded window, or nullptr.
    [[nodiscard]] static frmDupStatus* instance();
    // Loads the window (hidden) when it is not loaded, placed at 0.4 of the main window's
    // width and 0.01 of its height.
    static frmDupStatus& load(QWidget* mainWindow);
    // Closes and destroys the loaded window, if any.
    static void unload();
    // What Cancel does; nothing until a handler is set.
    static void setCancelHandler(std::function<void()> handler);

    // Fills the rows from a progress report. The final report (the voice searched equal
    // to the total at the start) also shows "Duplicates Deleted" and "Total Patches Now";
    // the others hide those rows.
    void showReport(const banklib::DuplicateProgress& progress);
    // A number as the rows show it ("###,###,##0").
    void setValue(int row, std::int32_t value);
    // Shows or hides rows 3 and 5 (caption and value).
    void setFinalRowsVisible(bool visible);
    [[nodiscard]] bool finalRowsVisible() const;

    void CancelButton_Click() override;

    [[nodiscard]] QLabel* Label1(int row) const { return m_label1[static_cast<std::size_t>(row)]; }
    [[nodiscard]] QLabel* Label2(int row) const { return m_label2[static_cast<std::size_t>(row)]; }
    [[nodiscard]] QPushButton* CancelButton() const { return m_cancel; }

private:
    explicit frmDupStatus(QWidget* mainWindow);

    std::array<QLabel*, kRows> m_label1{};
    std::array<QLabel*, kRows> m_label2{};
    QPushButton* m_cancel = nullptr;
};

}  // namespace shell
