// Brevane - the dialog shown when synthesizer detection found nothing.
//
// Work Offline (which closes both devices), Skip Initialisation, Retry and Cancel (also
// Esc and the close box) each set FailureAnswer (midi::applyFailureButton) and close the
// dialog. It is application-modal: the rest of the program waits while it is open.
#pragma once

#include "midi/clsMIDIInit.h"
#include "shell/CancelOnCloseDialog.h"

#include <array>

class QPlainTextEdit;
class QPushButton;

namespace shell {

class frmInitFailureDialog final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    explicit frmInitFailureDialog(midi::clsMIDIInit& init, QWidget* parent = nullptr);

    // The buttons: 0 Work Offline, 1 Skip Initialisation, 2 Retry, 3 Cancel.
    void Command1_Click(int index);
    void CancelButton_Click() override { Command1_Click(3); }

    [[nodiscard]] QPushButton* Command1(int i) const { return m_command1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QPlainTextEdit* Text1() const { return m_text1; }

private:
    midi::clsMIDIInit& m_init;
    QPlainTextEdit* m_text1 = nullptr;
    std::array<QPushButton*, 4> m_command1{};
};

}  // namespace shell
