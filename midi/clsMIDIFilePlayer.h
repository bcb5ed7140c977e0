// Brevane - the MIDI file player: one open Standard MIDI File, played through the MIDI
// Mapper.
//
// clsMIDIFilePlayer opens a file (our own reader), holds the Mapper while the file is
// open, and plays, pauses, stops, jumps and changes tempo on the player engine. The main
// window's player state (IsOpen, IsPlaying, IsStopped, IsMIDIMapperAllocated) lives in the
// host it is given. MidiFilePlayerControl is the main window's MidiFilePlayer command with
// its position slider, tempo spinner, position poll (Timer1) and status panel 2, over a
// view the window implements. Both run on the GUI thread.
#pragma once

#include "midi/MidiFile.h"
#include "midi/MidiPlayerEngine.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class MidiMapperPort;
}

namespace midi {

// The player state the main window keeps.
class MidiFilePlayerHost {
public:
    virtual ~MidiFilePlayerHost() = default;
    [[nodiscard]] virtual bool IsMIDIMapperAllocated() const = 0;
    virtual void setIsMIDIMapperAllocated(bool b) = 0;
    // Writing it also runs (true) or stops (false) Timer1, the 50 ms position poll.
    [[nodiscard]] virtual bool IsPlaying() const = 0;
    virtual void setIsPlaying(bool b) = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;
    virtual void setIsOpen(bool b) = 0;
    [[nodiscard]] virtual bool IsStopped() const = 0;
    virtual void setIsStopped(bool b) = 0;
    // The tempo spinner (UpDown1), beats per minute.
    [[nodiscard]] virtual int tempoSpinnerValue() const = 0;
};

// The actions of Seq and the items of SeqStatus and SeqSet, numbered as the sequencer's.
enum class SeqAction : std::int32_t { Close = 0x804, Stop = 0x808, Pause = 0x809 };
enum class SeqStatusItem : std::int32_t { Length = 1, Position = 2, Tempo = 0x4002, Port = 0x4003 };
enum class SeqSetItem : std::int32_t { TimeFormat = 0x400, Tempo = 0x10000 };
// What SeqStatus(Port) gives while the player holds the Mapper.
constexpr std::int32_t kSeqMapperPort = 65535;

// The tempo spinner's range, beats per minute. A file's tempo is 1 to 16,777,215
// microseconds per quarter note, about 3.6 up to 60,000,000 BPM: any tempo a file can
// start at is shown as it is and can be set back.
constexpr int kPlayerMinTempo = 1;
constexpr int kPlayerMaxTempo = 60'000'000;

class clsMIDIFilePlayer {
public:
    explicit clsMIDIFilePlayer(MidiFilePlayerHost& host);
    ~clsMIDIFilePlayer();
    clsMIDIFilePlayer(const clsMIDIFilePlayer&) = delete;
    clsMIDIFilePlayer& operator=(const clsMIDIFilePlayer&) = delete;

    // The command last given: "Open", "Status -MIDI Mapper", "Set - Time Format",
    // "Set - Tempo", "Play", "Pause", "Stop", "Close", "Seek" or "Status ".
    std::string CommandLabel;
    // Numbers the files opened (0 before the first).
    [[nodiscard]] std::int32_t DeviceID() const { return m_deviceId; }

    // ---- commands; a bool result is "failed", true when the command did not complete
    // Reads the file and takes the Mapper for it. A file the reader refuses is reported
    // ("MIDI File Player Error") and changes nothing: a file playing goes on. Otherwise
    // whatever was open is stopped and closed first; a Mapper that is missing or held by
    // the program's output is reported ("MIDI Mapper Not Available").
    [[nodiscard]] bool SeqOpen(const std::string& fileName);
    // Plays from fromMs (0 or less: from the position) to toMs (0 or less: the end) at
    // the spinner's tempo.
    [[nodiscard]] bool SeqPlay(std::int32_t fromMs, std::int32_t toMs);
    // Close (frees the Mapper), Stop or Pause; each silences what sounds.
    bool Seq(SeqAction action);
    // Jumps to a position in ms and stands there; returns the position.
    std::int32_t SeqSeek(std::int32_t positionMs);
    // Jumps to the start or the end and stands there; returns 0.
    std::int32_t SeqSeekToStart();
    std::int32_t SeqSeekToEnd();
    // Tempo: the file plays at tempo / the tempo it starts at (kept within the spinner's range).
    [[nodiscard]] bool SeqSet(SeqSetItem item, std::int32_t timeFormat, std::int32_t tempo);
    // Length and position in ms, the tempo in BPM (the file's starting tempo until set), or
    // the port (kSeqMapperPort while the Mapper is held, else -1); 0 with no file open.
    [[nodiscard]] std::int32_t SeqStatus(SeqStatusItem item);

    // ---- state
    // The open file's playing has reached its end (after the last event).
    [[nodiscard]] bool ended() const;
    // The Mapper held for the open file went away with the MIDI system (a JACK server
    // stopped): nothing played reaches it until the next MIDI Devices gives it back.
    [[nodiscard]] bool portLost() const;
    // The tempo the file starts at, as the spinner shows it; 120 with no file.
    [[nodiscard]] int fileTempo() const { return m_baseBpm; }
    [[nodiscard]] MidiPlayerEngine* engine() { return m_engine.get(); }
    [[nodiscard]] const MidiFile* file() const { return m_file.get(); }
    // Sends what has fallen due, when the engine is driven by hand (tests).
    void service();
    // How the engines of files opened from now on keep time (a thread by default).
    void setEngineTiming(MidiPlayerEngine::Timing timing, MidiPlayerEngine::Clock clock = {});

private:
    [[nodiscard]] platform::MidiMapperPort* mapper() const;
    void closeFile();

    MidiFilePlayerHost& m_host;
    std::int32_t m_deviceId = 0;
    std::shared_ptr<const MidiFile> m_file;
    std::unique_ptr<MidiPlayerEngine> m_engine;
    platform::MidiMapperPort* m_heldMapper = nullptr;
    int m_baseBpm = 120;
    int m_tempo = 120;
    bool m_damageShown = false;  // the status bar says the open file is damaged
    MidiPlayerEngine::Timing m_timing = MidiPlayerEngine::Timing::Thread;
    MidiPlayerEngine::Clock m_clock;
};

// What the MidiFilePlayer command needs of the main window besides the player state.
class MidiFilePlayerView : public MidiFilePlayerHost {
public:
    [[nodiscard]] virtual std::string MIDIFileDirectory() const = 0;
    virtual void setMIDIFileDirectory(const std::string& folder) = 0;
    [[nodiscard]] virtual std::string MidiFileTitle() const = 0;
    virtual void setMidiFileTitle(const std::string& title) = 0;
    // Slider1, in whole seconds. Setting its value or range from here never counts as
    // the user's move.
    [[nodiscard]] virtual int sliderValue() const = 0;
    virtual void setSliderValue(int seconds) = 0;
    [[nodiscard]] virtual int sliderMaximum() const = 0;
    virtual void setSliderRange(int minimum, int maximum) = 0;
    virtual void setSliderTickFrequency(int seconds) = 0;
    // UpDown1; setting it from here does not count as the user's change.
    virtual void setTempoSpinnerValue(int bpm) = 0;
};

class MidiFilePlayerControl {
public:
    MidiFilePlayerControl(MidiFilePlayerView& view, clsMIDIFilePlayer& player);

    // 0 open and play, 1 play (resume after a pause), 2 pause or resume, 3 stop (a
    // second stop rewinds). Without an open file every command opens.
    void MidiFilePlayer(int index);
    // The position poll, every 50 ms while playing. A file whose Mapper has gone stops
    // where it is and stays open, and panel 2 says why.
    void Timer1_Timer();
    // The user drags the slider (jumps there and stands), or has moved it (plays on).
    void Slider1_Scroll(int seconds);
    void Slider1_Change(int seconds);
    // The user changed the tempo spinner.
    void UpDown1_Change(int bpm);
    // Hiding the player bar and closing the program close the file.
    void closePlayer();

    [[nodiscard]] bool PlayerPaused() const { return m_paused; }

    // The title shown for a file: its name without folder and extension, cut to 20
    // letters and "...".
    [[nodiscard]] static std::string titleFor(const std::string& path);

private:
    void openAndPlay();
    void resume();
    void showPanel2(const std::string& state);

    MidiFilePlayerView& m_view;
    clsMIDIFilePlayer& m_player;
    bool m_paused = false;
};

}  // namespace midi
