// Brevane - "Search for Duplicate Voice Patches": the options of a duplicate search.
//
// A modeless dialog over one voice list (TargetList). Search runs
// clsVoiceNames::SearchDuplicates on the dialog's own objNames, which reads the options
// from this dialog's controls while it runs (through CatalogueDialogsQt) and reports its
// progress to objNames_SearchStatus. The dialog stays loaded after a search (hidden after
// a whole-list search) until Cancel closes it or the Edit menu shows it again.
#pragma once

#include "banklib/ProgressThrottle.h"
#include "banklib/clsVoiceNames.h"

#include "catalogue/CatalogueRunDialog.h"

#include <array>
#include <cstdint>
#include <memory>

class QCheckBox;
class QRadioButton;

namespace banklib {
struct DuplicateOptions;
}

namespace shell {

class frmDuplicates final : public CatalogueRunDialog {
    Q_OBJECT
public:
    // The loaded dialog, or nullptr.
    [[nodiscard]] static frmDuplicates* instance();
    // Loads the dialog (hidden) when it is not loaded.
    static frmDuplicates& load(QWidget* mainWindow);
    // Closes the loaded dialog, if any; during a search it closes when the search ends.
    static void unload();

    // The search engine whose events the dialog handles (made when the dialog loads).
    [[nodiscard]] banklib::clsVoiceNames& objNames() { return *m_objNames; }

    // The options as the controls show them now.
    [[nodiscard]] banklib::DuplicateOptions options() const;
    // True while Search runs.
    [[nodiscard]] bool searching() const { return m_running; }

    void OKButton_Click() override;
    void CancelButton_Click() override;
    void Option2_Click(int index);
    // The progress handler: the voice searched, the voices at the start, the voices of
    // the range now, duplicates found and deleted. Sets Cancel when the user confirms a
    // stop. Repaints the progress window at most about 20 times a second (and always for
    // the final report, where the searched voice equals the total at the start).
    void objNames_SearchStatus(std::int32_t value1, std::int32_t value2, std::int32_t value3, std::int32_t value4,
                               std::int32_t value5, bool& Cancel);

    [[nodiscard]] QRadioButton* Option1(int i) const { return m_option1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QRadioButton* Option2(int i) const { return m_option2[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QCheckBox* Check1() const { return m_check1; }
    [[nodiscard]] QCheckBox* Check2() const { return m_check2; }

private:
    explicit frmDuplicates(QWidget* mainWindow);
    void Form_Load();

    std::unique_ptr<banklib::clsVoiceNames> m_objNames;
    banklib::ProgressThrottle m_repaint;

    std::array<QRadioButton*, 4> m_option1{};
    std::array<QRadioButton*, 3> m_option2{};
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
};

}  // namespace shell
