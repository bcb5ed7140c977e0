// Brevane - the main window's MIDI file player bar: the player (objMIDIFilePlayer), its
// MidiFilePlayer command, and the position slider, tempo spinner and Timer1 it drives.
//
// The player state (IsOpen, IsPlaying...) stays on the main window, as its properties;
// this class only connects the widgets to the MIDI subsystem's player and its command.
// Part of the main window: its members stand with the main window's (frmStartupPlayerBar.cpp).
#pragma once

#include "midi/clsMIDIFilePlayer.h"

#include <QObject>

class QSlider;
class QSpinBox;

namespace shell {

class frmStartup;

class MidiFilePlayerBar final : public QObject, public midi::MidiFilePlayerView {
    Q_OBJECT
public:
    MidiFilePlayerBar(frmStartup& main, QSlider* slider, QSpinBox* spinner);
    ~MidiFilePlayerBar() override;

    // The player toolbar buttons: 0 open, 1 play, 2 pause, 3 stop.
    void MidiFilePlayer(int index) { m_control.MidiFilePlayer(index); }
    // Closes the open file (hiding the bar, closing the program).
    void closePlayer() { m_control.closePlayer(); }

    [[nodiscard]] midi::clsMIDIFilePlayer& objMIDIFilePlayer() { return m_player; }
    [[nodiscard]] midi::MidiFilePlayerControl& control() { return m_control; }

    // ---- MidiFilePlayerView
    bool IsMIDIMapperAllocated() const override;
    void setIsMIDIMapperAllocated(bool b) override;
    bool IsPlaying() const override;
    void setIsPlaying(bool b) override;
    bool IsOpen() const override;
    void setIsOpen(bool b) override;
    bool IsStopped() const override;
    void setIsStopped(bool b) override;
    int tempoSpinnerValue() const override;
    std::string MIDIFileDirectory() const override;
    void setMIDIFileDirectory(const std::string& folder) override;
    std::string MidiFileTitle() const override;
    void setMidiFileTitle(const std::string& title) override;
    int sliderValue() const override;
    void setSliderValue(int seconds) override;
    int sliderMaximum() const override;
    void setSliderRange(int minimum, int maximum) override;
    void setSliderTickFrequency(int seconds) override;
    void setTempoSpinnerValue(int bpm) override;

private:
    frmStartup& m_main;
    QSlider* m_slider;
    QSpinBox* m_spinner;
    bool m_setting = false;     // the program, not the user, changes a control
    bool m_userStep = false;    // a click or key on the slider is about to move it
    midi::clsMIDIFilePlayer m_player;
    midi::MidiFilePlayerControl m_control;
};

}  // namespace shell
