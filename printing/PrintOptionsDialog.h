// Brevane - the print options dialog: what File > Print prints, and where.
//
// The kind of listing, the selected-voices and BANK-line boxes, the banks (all, the one
// shown, or a range), print to file, and the buttons Preview, Print... and Cancel. Its
// rules are PrintChoices'; the dialog only shows them.
#pragma once

#include "printing/PrintChoices.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace printing {

class PrintOptionsDialog final : public QDialog {
    Q_OBJECT
public:
    // Works on choices, which must outlive the dialog.
    explicit PrintOptionsDialog(PrintChoices& choices, QWidget* parent = nullptr);

    [[nodiscard]] QComboBox* kindList() const { return m_kind; }              // 1600
    [[nodiscard]] QCheckBox* selectedOnlyBox() const { return m_selected; }   // 1003
    [[nodiscard]] QCheckBox* omitBankLineBox() const { return m_omit; }       // 1004
    [[nodiscard]] QRadioButton* allButton() const { return m_all; }           // 1056
    [[nodiscard]] QRadioButton* selectionButton() const { return m_selection; }  // 1057
    [[nodiscard]] QRadioButton* pagesButton() const { return m_pages; }       // 1058
    [[nodiscard]] QSpinBox* fromBox() const { return m_from; }                // 1152
    [[nodiscard]] QSpinBox* toBox() const { return m_to; }                    // 1153
    [[nodiscard]] QCheckBox* printToFileBox() const { return m_toFile; }
    [[nodiscard]] QPushButton* previewButton() const { return m_preview; }    // 1005
    [[nodiscard]] QPushButton* printButton() const { return m_print; }        // 1

private:
    void showChoices();

    PrintChoices& m_choices;
    QComboBox* m_kind = nullptr;
    QCheckBox* m_selected = nullptr;
    QCheckBox* m_omit = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_selection = nullptr;
    QRadioButton* m_pages = nullptr;
    QSpinBox* m_from = nullptr;
    QSpinBox* m_to = nullptr;
    QCheckBox* m_toFile = nullptr;
    QPushButton* m_preview = nullptr;
    QPushButton* m_print = nullptr;
    bool m_showing = false;
};

}  // namespace printing
