// Brevane - the progress window of synthesizer detection ("Initialising").
//
// A bar 0..100 and a Cancel button (also Esc and the close box) that asks the detection
// to stop: it sets the interruption flag, and the next unanswered probe asks for
// confirmation. The window is modeless; the detection closes it.
#pragma once

#include "shell/CancelOnCloseDialog.h"

#include <functional>

class QProgressBar;
class QPushButton;

namespace shell {

class frmInitStatus final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    // interrupt: what Cancel does (sets the main window's InitInterrupted).
    explicit frmInitStatus(std::function<void()> interrupt, QWidget* parent = nullptr);

    void Command1_Click();
    void CancelButton_Click() override { Command1_Click(); }

    [[nodiscard]] QProgressBar* ProgressBar1() const { return m_bar; }
    [[nodiscard]] QPushButton* Command1() const { return m_command1; }

private:
    std::function<void()> m_interrupt;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_command1 = nullptr;
};

}  // namespace shell
