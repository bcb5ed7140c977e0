// Brevane - the Options dialog (Tools > Options): start-up and MIDI settings.
//
// Edits the main window's ShowSplash and SynthID and the MIDI settings object's output
// channel, device number, reply time-out and bank halves. OK writes them; Cancel (and
// Esc) writes back the values found on opening.
#pragma once

#include "shell/MidiSetup.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace shell {

// Reply time-outs the dialog accepts, in seconds.
constexpr double kMinTimeoutSecs = 2.0;
constexpr double kMaxTimeoutSecs = 60.0;
// Defaults shown for a time-out of 0: the MkI DX7 must be sent from by hand.
constexpr std::int32_t kMkITimeoutMs = 15000;
constexpr std::int32_t kOtherTimeoutMs = 2000;

class frmOptions final : public QDialog {
    Q_OBJECT
public:
    frmOptions(std::optional<bool>& showSplash, std::optional<std::int32_t>& synthId, MidiSetup& midi,
               QWidget* parent = nullptr);

    // The buttons: 0 OK, 1 Cancel, 2 Help.
    void Command1_Click(int index);
    // Choosing a synthesizer type (0, 1 or 2).
    void Option3_Click(int index);
    // Choosing an output channel (list position 0..15) in Combo1(0), or a device number in
    // Combo1(1).
    void Combo1_Click(int box, int position);

    // Controls, for the windows that drive the dialog (and tests).
    [[nodiscard]] QCheckBox* Check1() const { return m_check1; }
    [[nodiscard]] QRadioButton* Option3(int i) const { return m_option3[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QComboBox* Combo1(int i) const { return m_combo1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QLineEdit* Text1() const { return m_text1; }
    [[nodiscard]] QRadioButton* Option1(int i) const { return m_option1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QRadioButton* Option2(int i) const { return m_option2[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QGroupBox* Frame2() const { return m_frame2; }
    [[nodiscard]] QTabWidget* TabStrip1() const { return m_tabs; }
    // True when the second-series controls (device number, bank halves) can be used.
    [[nodiscard]] bool secondSeriesEnabled() const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadOptions();
    void ShowTimeoutText();
    void EnableSecondSeriesControls(std::optional<std::int32_t> synthType);
    // With the MkI chosen, the device number list takes the channel list's position.
    void deviceFollowsChannelOnMkI();
    void Text1_Change();
    // False, after the range message, when the text's number is outside 2..60 seconds.
    bool checkTimeout(bool focus);

    std::optional<bool>& m_showSplash;
    std::optional<std::int32_t>& m_synthId;
    MidiSetup& m_midi;

    // Values found on opening.
    std::optional<std::int32_t> m_keptSynthId;
    bool m_keptShowSplash = true;
    std::int32_t m_keptOutChannel = 0;
    std::int32_t m_keptDeviceNumber = 0;
    std::int32_t m_keptTimeout = 0;
    bool m_keptSendToB = false;
    bool m_keptGetFromB = false;
    bool m_loading = false;
    bool m_checkedOnShow = false;
    bool m_closing = false;

    QTabWidget* m_tabs = nullptr;
    QCheckBox* m_check1 = nullptr;
    std::array<QRadioButton*, 3> m_option3{};
    QButtonGroup* m_synthGroup = nullptr;
    std::array<QComboBox*, 2> m_combo1{};
    QLineEdit* m_text1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    std::array<QLabel*, 7> m_label1{};
    std::array<QRadioButton*, 3> m_option1{};  // index 1: 33-64, 2: 1-32
    std::array<QRadioButton*, 3> m_option2{};
    std::array<QPushButton*, 3> m_command1{};
};

}  // namespace shell
