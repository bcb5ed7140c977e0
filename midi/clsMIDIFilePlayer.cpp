// Brevane - the MIDI file player: one open Standard MIDI File, played through the MIDI
// Mapper.
#include "midi/clsMIDIFilePlayer.h"

#include "banklib/AppState.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "midi/clsMIDIInit.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/midi/MidiMapperPort.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace midi {
namespace {

constexpr const char* kPlayerErrorTitle = "MIDI File Player Error";
constexpr std::size_t kTitleLetters = 20;

int clampTempo(std::int64_t bpm)
{
    return static_cast<int>(std::clamp<std::int64_t>(bpm, kPlayerMinTempo, kPlayerMaxTempo));
}

std::int32_t toMs(std::int64_t us)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(us / 1000, std::numeric_limits<std::int32_t>::max()));
}

int roundedSeconds(std::int64_t ms) { return static_cast<int>(std::lround(static_cast<double>(ms) / 1000.0)); }

}  // namespace

// ---------------------------------------------------------------- clsMIDIFilePlayer

clsMIDIFilePlayer::clsMIDIFilePlayer(MidiFilePlayerHost& host) : m_host(host) {}

clsMIDIFilePlayer::~clsMIDIFilePlayer() { closeFile(); }

platform::MidiMapperPort* clsMIDIFilePlayer::mapper() const
{
    platform::MidiBackend* backend = objMIDIInit().backend();
    return backend ? backend->mapper() : nullptr;
}

void clsMIDIFilePlayer::setEngineTiming(MidiPlayerEngine::Timing timing, MidiPlayerEngine::Clock clock)
{
    m_timing = timing;
    m_clock = std::move(clock);
}

void clsMIDIFilePlayer::closeFile()
{
    m_engine.reset();  // stops and silences
    m_file.reset();
    if (m_heldMapper) {
        m_heldMapper->release(platform::MapperHolder::Player);
        m_heldMapper = nullptr;
    }
}

bool clsMIDIFilePlayer::SeqOpen(const std::string& fileName)
{
    // The file first: one the reader refuses leaves whatever plays alone.
    MidiFileRead read = loadMidiFile(fileName);
    const std::string title = banklib::clsVoiceLists::GetFileTitle(fileName);
    if (read.error != MidiFileError::None) {
        (void)platform::messages().messageBox("The file " + title + " cannot be played.\r\n\r\n" + read.message,
                                              platform::MsgStyle::Exclamation, kPlayerErrorTitle);
        return true;
    }
    (void)Seq(SeqAction::Stop);
    (void)Seq(SeqAction::Close);
    // What was said of the damage of the file closed goes with it.
    if (m_damageShown) {
        platform::ShowStatusMessage("");
        m_damageShown = false;
    }

    CommandLabel = "Open";
    ++m_deviceId;
    CommandLabel = "Status -MIDI Mapper";
    platform::MidiMapperPort* port = mapper();
    if (!port || port->open() != platform::MidiResult::NoError || !port->claim(platform::MapperHolder::Player)) {
        (void)platform::messages().messageBox("MIDI Mapper Not Available", platform::MsgStyle::Exclamation,
                                              kPlayerErrorTitle);
        (void)Seq(SeqAction::Close);
        return true;
    }
    m_heldMapper = port;
    m_file = std::make_shared<const MidiFile>(std::move(read.file));
    m_baseBpm = clampTempo(m_file->firstTempoBpm());
    m_tempo = m_baseBpm;
    m_engine = std::make_unique<MidiPlayerEngine>(m_file, *port, m_timing, m_clock);
    CommandLabel = "Set - Time Format";
    m_host.setIsOpen(true);
    if (m_file->damaged) {
        platform::ShowStatusMessage(title + " is damaged and plays as far as it is readable: " + m_file->damageNote);
        m_damageShown = true;
    }
    return false;
}

bool clsMIDIFilePlayer::SeqPlay(std::int32_t fromMs, std::int32_t toMs)
{
    CommandLabel = "Play";
    if (!m_engine)
        return true;
    if (fromMs > 0)
        m_engine->seek(std::int64_t{fromMs} * 1000);
    // Every play starts at the tempo the spinner shows.
    m_tempo = clampTempo(m_host.tempoSpinnerValue());
    m_engine->setTempo(m_tempo, m_baseBpm);
    m_engine->play(toMs > 0 ? std::int64_t{toMs} * 1000 : 0);
    m_host.setIsStopped(false);
    m_host.setIsPlaying(true);
    return false;
}

bool clsMIDIFilePlayer::Seq(SeqAction action)
{
    switch (action) {
    case SeqAction::Close:
        CommandLabel = "Close";
        closeFile();
        m_host.setIsPlaying(false);
        m_host.setIsMIDIMapperAllocated(false);
        m_host.setIsOpen(false);
        m_host.setIsStopped(true);
        break;
    case SeqAction::Stop:
        CommandLabel = "Stop";
        if (m_engine)
            m_engine->halt();
        m_host.setIsPlaying(false);
        m_host.setIsStopped(true);
        break;
    case SeqAction::Pause:
        CommandLabel = "Pause";
        if (m_engine)
            m_engine->halt();
        m_host.setIsPlaying(false);
        break;
    }
    return false;
}

std::int32_t clsMIDIFilePlayer::SeqSeek(std::int32_t positionMs)
{
    CommandLabel = "Seek";
    if (m_engine)
        m_engine->seek(std::int64_t{std::max(positionMs, 0)} * 1000);
    m_host.setIsPlaying(false);
    return positionMs;
}

std::int32_t clsMIDIFilePlayer::SeqSeekToStart()
{
    (void)SeqSeek(0);
    return 0;
}

std::int32_t clsMIDIFilePlayer::SeqSeekToEnd()
{
    CommandLabel = "Seek";
    if (m_engine)
        m_engine->seek(m_file->lengthUs);
    m_host.setIsPlaying(false);
    return 0;
}

bool clsMIDIFilePlayer::SeqSet(SeqSetItem item, std::int32_t, std::int32_t tempo)
{
    if (item == SeqSetItem::TimeFormat) {
        CommandLabel = "Set - Time Format";
        return m_engine == nullptr;
    }
    CommandLabel = "Set - Tempo";
    if (!m_engine)
        return true;
    m_tempo = clampTempo(tempo);
    m_engine->setTempo(m_tempo, m_baseBpm);
    return false;
}

std::int32_t clsMIDIFilePlayer::SeqStatus(SeqStatusItem item)
{
    CommandLabel = "Status ";
    if (item == SeqStatusItem::Port)
        return m_heldMapper ? kSeqMapperPort : -1;
    if (!m_engine)
        return 0;
    switch (item) {
    case SeqStatusItem::Length: return toMs(m_file->lengthUs);
    case SeqStatusItem::Position: return toMs(m_engine->positionUs());
    case SeqStatusItem::Tempo: return m_tempo;
    case SeqStatusItem::Port: break;
    }
    return 0;
}

bool clsMIDIFilePlayer::ended() const { return m_engine && m_engine->ended(); }

bool clsMIDIFilePlayer::portLost() const { return m_heldMapper && !m_heldMapper->isOpen(); }

void clsMIDIFilePlayer::service()
{
    if (m_engine && m_timing == MidiPlayerEngine::Timing::Manual)
        m_engine->service();
}

// ---------------------------------------------------------------- MidiFilePlayerControl

MidiFilePlayerControl::MidiFilePlayerControl(MidiFilePlayerView& view, clsMIDIFilePlayer& player)
    : m_view(view), m_player(player)
{
}

std::string MidiFilePlayerControl::titleFor(const std::string& path)
{
    std::string title = banklib::clsVoiceLists::GetFileTitle(path);
    const auto dot = title.rfind('.');
    if (dot != std::string::npos && dot > 0)
        title.erase(dot);
    if (platform::letterCount(title) > kTitleLetters)
        title = platform::leftLetters(title, kTitleLetters) + "...";
    return title;
}

void MidiFilePlayerControl::showPanel2(const std::string& state)
{
    platform::ShowStatusMessage(state + m_view.MidiFileTitle(), 0, 1, false, 2);
}

void MidiFilePlayerControl::MidiFilePlayer(int index)
{
    if (!m_view.IsOpen())
        index = 0;
    switch (index) {
    case 0:
        openAndPlay();
        break;
    case 1:
        if (m_paused)
            resume();
        else
            (void)m_player.SeqPlay(0, 0);
        break;
    case 2:
        if (m_paused) {
            resume();
        } else if (m_view.IsPlaying()) {
            m_paused = true;
            (void)m_player.Seq(SeqAction::Pause);
            showPanel2("Paused : ");
        }
        break;
    case 3:
        // A second stop (or a stop while paused) rewinds.
        if (!m_view.IsPlaying()) {
            m_view.setSliderValue(0);
            (void)m_player.SeqSeekToStart();
        }
        (void)m_player.Seq(SeqAction::Stop);
        showPanel2("Stopped : ");
        break;
    default:
        break;
    }
}

void MidiFilePlayerControl::resume()
{
    m_paused = false;
    (void)m_player.SeqPlay(m_player.SeqStatus(SeqStatusItem::Position), 0);
}

void MidiFilePlayerControl::openAndPlay()
{
    if (m_view.MIDIFileDirectory().empty())
        m_view.setMIDIFileDirectory(banklib::appState().DataDirectory());
    std::string name;
    std::string title;
    std::string folder = m_view.MIDIFileDirectory();
    banklib::clsVoiceNames dialog;
    if (dialog.GetFileName(name, title, 0, " Select a Midi File to Play", nullptr,
                           {{"MIDI file (*.mid)", "*.mid"}, {"All Files (*.*)", "*.*"}}, "mid", folder))
        return;
    m_view.setMIDIFileDirectory(folder);
    if (name.empty() || name == "*.mid")
        return;
    // The title changes with the file: a refused file leaves the one playing as it was.
    if (m_player.SeqOpen(name))
        return;
    m_view.setMidiFileTitle(titleFor(name));
    m_view.setIsMIDIMapperAllocated(true);
    m_paused = false;

    const int maximum = roundedSeconds(m_player.SeqStatus(SeqStatusItem::Length));
    m_view.setSliderValue(0);
    m_view.setSliderRange(0, maximum);
    m_view.setSliderTickFrequency(static_cast<int>(std::lround((maximum + 1) * 0.1)));
    m_view.setTempoSpinnerValue(m_player.SeqStatus(SeqStatusItem::Tempo));
    showPanel2("Opened : ");
    (void)m_player.SeqPlay(0, 0);
}

void MidiFilePlayerControl::Timer1_Timer()
{
    if (m_player.portLost()) {
        (void)m_player.Seq(SeqAction::Stop);
        showPanel2("Stopped - MIDI Mapper gone : ");
        return;
    }
    m_player.service();
    m_view.setSliderValue(roundedSeconds(m_player.SeqStatus(SeqStatusItem::Position)));
    // The end comes after the last event, not when the rounded position meets the slider's end.
    if (m_player.ended()) {
        m_view.setSliderValue(0);
        (void)m_player.SeqSeek(0);
        (void)m_player.Seq(SeqAction::Stop);
        showPanel2("Open : ");
        return;
    }
    showPanel2("Playing : ");
}

void MidiFilePlayerControl::Slider1_Scroll(int seconds)
{
    if (m_view.IsOpen())
        (void)m_player.SeqSeek(seconds * 1000);
}

void MidiFilePlayerControl::Slider1_Change(int)
{
    if (!m_view.IsPlaying())
        MidiFilePlayer(1);
}

void MidiFilePlayerControl::UpDown1_Change(int bpm) { (void)m_player.SeqSet(SeqSetItem::Tempo, 0, bpm); }

void MidiFilePlayerControl::closePlayer()
{
    (void)m_player.Seq(SeqAction::Close);
    m_view.setSliderValue(0);
    m_view.setSliderRange(0, 0);
}

}  // namespace midi
