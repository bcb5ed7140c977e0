// Brevane - the "Save File" dialog: the layout a voice list is written in.
//
// Four choices, one per layout (Option1(i) is FileType i). Choosing one stores it as the
// main window's SaveFileFormat; Cancel puts back the choice shown when the dialog opened.
#pragma once

#include "banklib/VoiceFormat.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <optional>

class QLabel;
class QPushButton;
class QRadioButton;

namespace shell {

class frmFileFormatDialog final : public QDialog {
    Q_OBJECT
public:
    explicit frmFileFormatDialog(QWidget* parent = nullptr);

    // Shows the dialog modally with the list's layout chosen; the chosen layout, or
    // nullopt when cancelled.
    [[nodiscard]] static std::optional<banklib::FileType> choose(banklib::FileType current, QWidget* parent);

    void Form_Load();
    void Option1_Click(int index);
    void OKButton_Click();
    void CancelButton_Click();
    // Chooses the option of a layout as a click would.
    void selectLayout(banklib::FileType type);

    // Set by Cancel.
    bool CancelFlag = false;

    [[nodiscard]] QRadioButton* Option1(int index) const;
    [[nodiscard]] QPushButton* OKButton() const { return m_ok; }
    [[nodiscard]] QPushButton* CancelButton() const { return m_cancel; }

private:
    std::array<QRadioButton*, 4> m_option1{};
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    // SaveFileFormat when the dialog was loaded, and the flag that keeps Option1_Click
    // from storing while Cancel puts it back.
    std::int32_t m_formatOnLoad = 0;
    bool m_restoring = false;
};

}  // namespace shell
