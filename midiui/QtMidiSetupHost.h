// Brevane - the MIDI set-up's windows and main-window state, in Qt.
#pragma once

#include "midi/MidiSetupHost.h"
#include "midiui/frmInitStatus.h"

#include <QPointer>

namespace shell {

class frmStartup;

// midi::MidiSetupHost over the main window: its SynthID, an interruption flag, and the
// five set-up windows shown over it.
class QtMidiSetupHost final : public midi::MidiSetupHost {
public:
    explicit QtMidiSetupHost(frmStartup& main);
    ~QtMidiSetupHost() override;
    QtMidiSetupHost(const QtMidiSetupHost&) = delete;
    QtMidiSetupHost& operator=(const QtMidiSetupHost&) = delete;

    std::optional<std::int32_t> SynthID() const override;
    void setSynthID(std::optional<std::int32_t> id) override;
    bool InitInterrupted() const override { return m_interrupted; }
    void setInitInterrupted(bool interrupted) override { m_interrupted = interrupted; }
    void setupRunning(bool running) override;

    void showDeviceDialog(midi::clsMIDIInit& init, const midi::DeviceChoiceLists& lists) override;
    void showSynthTypeDialog(midi::clsMIDIInit& init) override;
    void showMkIInstructions(midi::clsMIDIInit& init) override;
    void showFailureDialog(midi::clsMIDIInit& init) override;
    void showProgress() override;
    void setProgress(float percent) override;
    void hideProgress() override;

    // The progress window while it is shown.
    [[nodiscard]] frmInitStatus* progressWindow() const { return m_progress.data(); }

private:
    frmStartup& m_main;
    bool m_interrupted = false;
    QPointer<frmInitStatus> m_progress;
};

}  // namespace shell
