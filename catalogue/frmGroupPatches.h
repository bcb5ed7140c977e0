// Brevane - "Group Voice Patches": copy or move the voices whose names match up to six
// groups of name patterns into one new bank file per group.
//
// A modeless dialog over one voice list (TargetList). Search collects the patterns of the
// groups in use, refuses a run without patterns or with an empty selection, and runs
// clsVoiceNames::GroupPatches, which reads "Copy"/"Move" and the scope from this dialog's
// controls (through CatalogueDialogsQt) and reports to objnames_GroupStatus. The result
// is reported and more groups may follow.
#pragma once

#include "banklib/clsVoiceNames.h"

#include "catalogue/CatalogueRunDialog.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QRadioButton;

namespace shell {

class GroupPatternEdit;

class frmGroupPatches final : public CatalogueRunDialog {
    Q_OBJECT
public:
    static constexpr int kGroups = 6;

    // The loaded dialog, or nullptr.
    [[nodiscard]] static frmGroupPatches* instance();
    // Loads the dialog (hidden) when it is not loaded.
    static frmGroupPatches& load(QWidget* mainWindow);
    // Closes the loaded dialog, if any; during a run it closes when the run ends.
    static void unload();

    // The list to group (TargetList); setting it also sets the caption ("Group Patches in "
    // and the file title).
    void setTargetList(banklib::VoiceListView& list) override;

    // The pattern list of the groups in use, two entries per group in group order, and
    // for each pair the number (1-6) of the group it came from.
    struct Patterns {
        std::vector<std::string> entries;
        std::vector<int> groups;
    };
    [[nodiscard]] Patterns collectPatterns() const;
    // "&Move Patches" chosen; "C&urrent Selection" chosen.
    [[nodiscard]] bool movesVoices() const;
    [[nodiscard]] bool currentSelectionOnly() const;
    // True while the grouping runs.
    [[nodiscard]] bool running() const { return m_running; }

    void OKButton_Click() override;
    void CancelButton_Click() override;
    void Check1_Click(int index);
    // The progress handler: the 0-based group being processed, the index of the last
    // group; sets Cancel when the user confirms a stop.
    void objnames_GroupStatus(std::int32_t done, std::int32_t total, bool& Cancel);

    [[nodiscard]] QCheckBox* Check1(int i) const { return m_check1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] GroupPatternEdit* MaskEdBox1(int i) const { return m_mask[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QRadioButton* Option1(int i) const { return m_option1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QRadioButton* Option2(int i) const { return m_option2[static_cast<std::size_t>(i)]; }

private:
    explicit frmGroupPatches(QWidget* mainWindow);
    void Form_Load();
    void showAgain();

    std::unique_ptr<banklib::clsVoiceNames> m_objnames;

    std::array<QCheckBox*, kGroups> m_check1{};
    std::array<GroupPatternEdit*, kGroups> m_mask{};
    std::array<QRadioButton*, 2> m_option1{};
    std::array<QRadioButton*, 2> m_option2{};
};

}  // namespace shell
