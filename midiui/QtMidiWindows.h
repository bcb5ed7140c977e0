// Brevane - the MIDI windows of the program: the MIDI Manager and the main window's MIDI commands.
#pragma once

#include "midi/MidiManagerSlots.h"
#include "midi/MidiWindows.h"
#include "midi/clsMidiManagerData.h"
#include "midiui/frmMIDIManager.h"

#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>

namespace shell {

class frmStartup;

// midi::MidiWindows over the main window. The MIDI Manager's data (monitor log and bank
// slots) lives here for the whole run; the window shows it as an MDI child of the main
// window and is only ever hidden, never dropped, so nothing received is lost.
class QtMidiWindows final : public QObject, public midi::MidiWindows {
    Q_OBJECT
public:
    explicit QtMidiWindows(frmStartup& main);
    ~QtMidiWindows() override;
    QtMidiWindows(const QtMidiWindows&) = delete;
    QtMidiWindows& operator=(const QtMidiWindows&) = delete;

    // ---- midi::MidiWindows
    void loadManager() override;
    void unloadManager() override;
    bool managerLoaded() const override;
    void showManagerMinimised() override;
    void setManagerCaption(const std::string& caption) override;
    void setManagerButtonEnabled(const std::string& key, bool enabled) override;
    void setManagerButtonEnabled(int index, bool enabled) override;
    midi::clsMidiManagerData& managerData() override { return m_data; }
    void setInputCommands(bool inputOpen) override;
    void setOutputCommands(bool outputOpen) override;
    void setRequestWaiting(bool waiting) override;
    bool appClosing() const override;

    // ---- the "&Options..." commands
    // Whether the MIDI Manager window is on screen (the check mark of "Show Midi Ma&nager").
    [[nodiscard]] bool managerShown() const;
    // Shows the window in its normal state, or hides it.
    void showManager();
    void hideManager();
    // Whether MIDI input runs (the check mark of "&Midi Input On").
    [[nodiscard]] bool inputRunning() const { return m_inputRunning; }
    void setInputRunning(bool running);

    [[nodiscard]] midi::MidiManagerSlots& banks() { return m_banks; }
    // The window, once loaded.
    [[nodiscard]] frmMIDIManager* manager() const { return m_window.data(); }
    [[nodiscard]] QMdiSubWindow* managerSubWindow() const { return m_sub.data(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void commandsChanged();

    frmStartup& m_main;
    midi::clsMidiManagerData m_data;
    midi::MidiManagerSlots m_banks{m_data};
    QPointer<QMdiSubWindow> m_sub;
    QObject* m_subObject = nullptr;
    QPointer<frmMIDIManager> m_window;
    bool m_inputRunning = false;
    bool m_placing = false;
};

}  // namespace shell
