// Brevane - the synthesizer type dialog of the MIDI set-up: which DX7 is connected.
//
// OK sets the main window's SynthID (a new type resets the reply time-out to its
// default), Skip Initialisation sets it and SkipMIDIInit, Cancel (also Esc and the close
// box) sets InitCancelled (midi::applySynthType).
#pragma once

#include "midi/clsMIDIInit.h"
#include "shell/CancelOnCloseDialog.h"

#include <array>
#include <cstdint>
#include <optional>

class QPushButton;
class QRadioButton;

namespace shell {

class frmInitialisationMessage final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    frmInitialisationMessage(midi::clsMIDIInit& init, std::optional<std::int32_t>& synthId,
                             QWidget* parent = nullptr);

    // The buttons: 0 OK, 1 Skip Initialisation, 2 Cancel.
    void Command1_Click(int index);
    void CancelButton_Click() override { Command1_Click(2); }

    [[nodiscard]] QRadioButton* Option1(int i) const { return m_option1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QPushButton* Command1(int i) const { return m_command1[static_cast<std::size_t>(i)]; }
    // The option selected, 0..2.
    [[nodiscard]] int selectedOption() const;

private:
    midi::clsMIDIInit& m_init;
    std::optional<std::int32_t>& m_synthId;
    std::array<QRadioButton*, 3> m_option1{};
    std::array<QPushButton*, 3> m_command1{};
};

}  // namespace shell
