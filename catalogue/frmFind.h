// Brevane - the Find window: finds voices by name or name pattern in the open lists.
//
// Modeless and kept open so Find Next can be pressed again; Edit > Find Next (F3)
// presses it while the window is loaded. The window's own clsVoiceNames keeps the
// position of the last match, so each Find Next goes on from there; closing the window
// drops it, and the next Find starts afresh from the list's current voice.
#pragma once

#include "banklib/clsVoiceNames.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace banklib {
class VoiceListView;
}

namespace shell {

class frmFind final : public QDialog {
    Q_OBJECT
public:
    // Command1 buttons.
    static constexpr int kFindNext = 0;
    static constexpr int kCancel = 1;
    static constexpr int kHelp = 2;

    // The loaded window, or nullptr.
    [[nodiscard]] static frmFind* instance();
    // Loads the window when it is not loaded (the options and find text are set up then;
    // the window is not shown).
    static frmFind& load(QWidget* mainWindow);
    // Closes the loaded window, if any.
    static void unload();

    // 1-based position, in the registry of open lists, of the list the search starts in.
    [[nodiscard]] std::int32_t SearchListNo() const { return m_searchListNo; }
    // Sets the start list by its position (the list is remembered, so a list closed
    // before it does not move the start to another list).
    void setSearchListNo(std::int32_t position);

    void Command1_Click(int index);

    [[nodiscard]] QLineEdit* Text1() const { return m_text1; }
    [[nodiscard]] QComboBox* Combo1() const { return m_combo1; }
    [[nodiscard]] QCheckBox* Check1() const { return m_check1; }
    [[nodiscard]] QRadioButton* Option1(int i) const { return m_option1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QPushButton* Command1(int i) const { return m_command1[static_cast<std::size_t>(i)]; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit frmFind(QWidget* mainWindow);
    void Form_Load();
    void FindNext();
    // The start list and its registry position; nullptr when no list can be found.
    banklib::VoiceListView* startList(std::int32_t& position);

    QWidget* m_mainWindow = nullptr;
    std::int32_t m_searchListNo = 0;
    std::string m_startListId;
    std::unique_ptr<banklib::clsVoiceNames> m_search;
    bool m_finding = false;

    std::array<QLabel*, 2> m_label1{};
    QLineEdit* m_text1 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QCheckBox* m_check1 = nullptr;
    std::array<QRadioButton*, 2> m_option1{};
    std::array<QPushButton*, 3> m_command1{};
};

}  // namespace shell
