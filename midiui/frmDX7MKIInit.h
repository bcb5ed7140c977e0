// Brevane - how to make a first-model DX7 send its bank by hand.
//
// Ready to Send clears SkipMIDIInit, Skip Initialisation sets it, Cancel (also Esc and
// the close box) sets InitCancelled (midi::applyMkIButton).
#pragma once

#include "midi/clsMIDIInit.h"
#include "shell/CancelOnCloseDialog.h"

#include <array>

class QLabel;
class QPushButton;

namespace shell {

class frmDX7MKIInit final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    explicit frmDX7MKIInit(midi::clsMIDIInit& init, QWidget* parent = nullptr);

    // The buttons: 0 Ready to Send, 1 Skip Initialisation, 2 Cancel.
    void Command1_Click(int index);
    void CancelButton_Click() override { Command1_Click(2); }

    [[nodiscard]] QPushButton* Command1(int i) const { return m_command1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QLabel* Steps() const { return m_steps; }

private:
    midi::clsMIDIInit& m_init;
    QLabel* m_steps = nullptr;
    std::array<QPushButton*, 3> m_command1{};
};

}  // namespace shell
