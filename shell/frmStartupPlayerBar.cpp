// Brevane - the main window's MIDI file player bar: MidiFilePlayerBar's members, which keep
// the player state in the main window's properties and follow its Timer1.
#include "shell/MidiFilePlayerBar.h"

#include "midi/MidiSetupRules.h"
#include "shell/frmStartup.h"

#include <QSlider>
#include <QSpinBox>

#include <algorithm>

namespace shell {

MidiFilePlayerBar::MidiFilePlayerBar(frmStartup& main, QSlider* slider, QSpinBox* spinner)
    : QObject(&main), m_main(main), m_slider(slider), m_spinner(spinner), m_player(*this), m_control(*this, m_player)
{
    m_spinner->setRange(midi::kPlayerMinTempo, midi::kPlayerMaxTempo);
    m_spinner->setSuffix(QStringLiteral(" BPM"));
    // A typed tempo is taken whole (Enter, or leaving the box), not at each digit: 120
    // would otherwise play at 1 and at 12 on the way.
    m_spinner->setKeyboardTracking(false);
    setTempoSpinnerValue(120);
    setSliderRange(0, 0);
    m_slider->setTickPosition(QSlider::TicksBelow);
    // The device dialog refuses the Mapper as the program's output while a file holds it.
    midi::setMidiMapperAllocatedQuery([this] { return m_main.IsMIDIMapperAllocated(); });

    connect(&m_main, &frmStartup::Timer1_Timer, this, [this] { m_control.Timer1_Timer(); });
    // Dragging the thumb jumps there; letting go, or a click or key beside it, plays on.
    connect(m_slider, &QSlider::sliderMoved, this, [this](int v) {
        if (!m_setting)
            m_control.Slider1_Scroll(v);
    });
    connect(m_slider, &QSlider::sliderReleased, this, [this] { m_control.Slider1_Change(m_slider->value()); });
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            m_userStep = true;
    });
    connect(m_slider, &QSlider::valueChanged, this, [this](int v) {
        if (m_setting || !m_userStep)
            return;
        m_userStep = false;
        m_control.Slider1_Scroll(v);
        m_control.Slider1_Change(v);
    });
    connect(m_spinner, qOverload<int>(&QSpinBox::valueChanged), this, [this](int v) {
        if (!m_setting)
            m_control.UpDown1_Change(v);
    });
}

MidiFilePlayerBar::~MidiFilePlayerBar() { midi::setMidiMapperAllocatedQuery({}); }

bool MidiFilePlayerBar::IsMIDIMapperAllocated() const { return m_main.IsMIDIMapperAllocated(); }
void MidiFilePlayerBar::setIsMIDIMapperAllocated(bool b) { m_main.setIsMIDIMapperAllocated(b); }
bool MidiFilePlayerBar::IsPlaying() const { return m_main.IsPlaying(); }
void MidiFilePlayerBar::setIsPlaying(bool b) { m_main.setIsPlaying(b); }
bool MidiFilePlayerBar::IsOpen() const { return m_main.IsOpen(); }
void MidiFilePlayerBar::setIsOpen(bool b) { m_main.setIsOpen(b); }
bool MidiFilePlayerBar::IsStopped() const { return m_main.IsStopped(); }
void MidiFilePlayerBar::setIsStopped(bool b) { m_main.setIsStopped(b); }
int MidiFilePlayerBar::tempoSpinnerValue() const { return m_spinner->value(); }
std::string MidiFilePlayerBar::MIDIFileDirectory() const { return m_main.MIDIFileDirectory(); }
void MidiFilePlayerBar::setMIDIFileDirectory(const std::string& folder) { m_main.setMIDIFileDirectory(folder); }
std::string MidiFilePlayerBar::MidiFileTitle() const { return m_main.MidiFileTitle(); }
void MidiFilePlayerBar::setMidiFileTitle(const std::string& title) { m_main.setMidiFileTitle(title); }
int MidiFilePlayerBar::sliderValue() const { return m_slider->value(); }
int MidiFilePlayerBar::sliderMaximum() const { return m_slider->maximum(); }

void MidiFilePlayerBar::setSliderValue(int seconds)
{
    // While the user holds the thumb, the position poll leaves it where the hand is.
    if (m_slider->isSliderDown())
        return;
    m_setting = true;
    m_slider->setValue(seconds);
    m_setting = false;
}

void MidiFilePlayerBar::setSliderRange(int minimum, int maximum)
{
    m_setting = true;
    m_slider->setRange(minimum, maximum);
    m_slider->setPageStep(std::max(1, (maximum - minimum) / 10));
    m_setting = false;
}

void MidiFilePlayerBar::setSliderTickFrequency(int seconds) { m_slider->setTickInterval(std::max(1, seconds)); }

void MidiFilePlayerBar::setTempoSpinnerValue(int bpm)
{
    m_setting = true;
    m_spinner->setValue(bpm);
    m_setting = false;
}

}  // namespace shell
