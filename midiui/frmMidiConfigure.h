// Brevane - the device choice dialog of the MIDI set-up.
//
// Two lists, outputs and inputs, each with "None" first, filled and preselected by
// clsMIDIInit::FillDeviceLists before the dialog shows; the "&Skip Initialisation" box
// follows the lists (midi::skipBoxAfterListChange) and writes SkipMIDIInit at once. OK
// writes the choice (midi::applyDeviceChoice); Cancel, Esc and the close box set
// InitCancelled.
#pragma once

#include "midi/clsMIDIInit.h"
#include "shell/CancelOnCloseDialog.h"

#include <array>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace shell {

class frmMidiConfigure final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    // synthTypeChosen: the main window has a SynthID.
    frmMidiConfigure(midi::clsMIDIInit& init, midi::DeviceChoiceLists lists, bool synthTypeChosen,
                     QWidget* parent = nullptr);

    // The buttons: 0 OK, 1 Cancel, 2 Help.
    void Command1_Click(int index);
    void CancelButton_Click() override { Command1_Click(1); }
    // A list's selection changed (0 the output list, 1 the input list).
    void Combo1_Click(int list);
    void Check1_Click();

    [[nodiscard]] QComboBox* Combo1(int list) const { return m_combo1[static_cast<std::size_t>(list)]; }
    [[nodiscard]] QCheckBox* Check1() const { return m_check1; }
    [[nodiscard]] QPushButton* Command1(int index) const { return m_command1[static_cast<std::size_t>(index)]; }
    // The ids handed over by FillDeviceLists, then those OK resolved.
    std::int32_t OutputDeviceID = midi::kDeviceIdNone;
    std::int32_t InputDeviceID = midi::kDeviceIdNone;

private:
    midi::clsMIDIInit& m_init;
    midi::DeviceChoiceLists m_lists;
    bool m_synthTypeChosen = false;
    std::array<QComboBox*, 2> m_combo1{};
    QCheckBox* m_check1 = nullptr;
    std::array<QPushButton*, 3> m_command1{};
};

}  // namespace shell
