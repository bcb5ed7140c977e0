// Brevane - the MIDI Manager's sends: a bank slot or monitor row again, parameter changes,
// voices and test scales.
#include "midi/clsMidiManagerData.h"

#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "midi/AuditionNote.h"
#include "midi/TimedPhrase.h"
#include "midi/clsMIDIInit.h"
#include "midi/modMidiOutput.h"
#include "platform/VbText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

namespace midi {
namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kYamaha = 0x43;
constexpr std::uint8_t kParameterSubStatus = 0x10;  // F0 43 1n: a parameter change
constexpr std::int32_t kDataMax = 0x7F;
constexpr std::int32_t kParametersPerGroup = 128;

constexpr std::int32_t kAuditionNote = 60;
constexpr std::int32_t kScaleVelocity = 50;
constexpr std::array<std::int32_t, 7> kScaleSteps = {0, 4, 7, 12, 7, 4, 0};
constexpr std::int32_t kScaleHoldMs = 350;
constexpr std::int32_t kScaleLastHoldMs = 2000;
constexpr std::int32_t kScaleGapMs = 50;
// The root is drawn from [48, 72].
constexpr double kScaleLowestRoot = 48.0;
constexpr double kScaleRootRange = 24.0;

// The test scale from a root drawn by random (a number in [0, 1)).
std::vector<PhraseNote> testScale(const std::function<double()>& random)
{
    // Round half to even, the default rounding mode.
    const auto root = static_cast<std::int32_t>(std::nearbyint(random() * kScaleRootRange + kScaleLowestRoot));
    std::vector<PhraseNote> notes;
    for (std::size_t i = 0; i < kScaleSteps.size(); ++i)
        notes.push_back({root + kScaleSteps[i], kScaleVelocity,
                         i + 1 == kScaleSteps.size() ? kScaleLastHoldMs : kScaleHoldMs, kScaleGapMs});
    return notes;
}

}  // namespace

// ---- a bank slot or a monitor row again

bool clsMidiManagerData::SendMIDIMessage(std::int16_t grid, std::int32_t)
{
    if (grid == 1) {
        (void)SendSysex();
        return false;
    }
    if (grid != 2 || MidiMessage.isEOF() || MidiMessage.isBOF())
        return false;
    const platform::Bookmark row = MidiMessage.bookmark();
    // A short row without a status byte is a 4 to 6 byte System Exclusive message: its
    // raw bytes go out as they were logged.
    if (platform::Trim(MidiMessage.text(MonitorField::Type)) == "Short" &&
        !MidiMessage.text(MonitorField::Status).empty()) {
        // Exactly the three bytes that were stored.
        const std::string status = MidiMessage.text(MonitorField::Status).substr(0, 1);
        const std::string data1 = MidiMessage.text(MonitorField::ShortData1).substr(0, 1);
        const std::string data2 = MidiMessage.text(MonitorField::ShortData2).substr(0, 1);
        (void)SendShortMessage(status, data1, data2, "");
    } else {
        (void)SendLongSysex(MidiMessage.text(MonitorField::RawMessage));
    }
    // Back on the row sent (the send logged a line, which may have made older ones leave).
    if (!MidiMessage.moveToBookmark(row))
        MidiMessage.moveLast();
    return false;
}

// ---- sending parameters, voices and scales

TransportResult clsMidiManagerData::SendParametertoMIDI(std::int32_t p, std::int32_t value, std::int32_t group,
                                                        bool playNote, bool playScale)
{
    if (p < 1 || value < 0 || value > kDataMax || group < 0 || group > kDataMax)
        return TransportResult::Failed;
    const std::int32_t gg = group != 0 ? group : (p - 1) / kParametersPerGroup;
    const std::int32_t pp = (p - 1) % kParametersPerGroup;
    if (gg > kDataMax)
        return TransportResult::Failed;
    const std::int32_t device = objMIDIInit().MIDIDeviceNumber() & 0x0F;
    const std::string message = {static_cast<char>(kSysexStart), static_cast<char>(kYamaha),
                                 static_cast<char>(kParameterSubStatus + device), static_cast<char>(gg),
                                 static_cast<char>(pp), static_cast<char>(value), static_cast<char>(kSysexEnd)};
    const TransportResult sent = SendLongSysex(message);
    if (playNote && playScale && objMIDIInit().MidiOutOpen) {
        // The note, then the scale: one phrase, so that neither cuts the other short.
        std::vector<PhraseNote> notes = {
            {kAuditionNote, TimedAuditionNote::kVelocity, TimedAuditionNote::kHoldMs, 0}};
        std::ranges::copy(testScale(m_random), std::back_inserter(notes));
        timedPhrase().play(std::move(notes), TimedPhrase::Failure::LogOutputFailed);
        return sent;
    }
    if (playNote)
        PlayAuditionNote(kAuditionNote);
    if (playScale)
        SendAScale();
    return sent;
}

TransportResult clsMidiManagerData::SendVoiceToMidi(platform::Recordset& voice, banklib::FileType fileType,
                                                    bool playScale)
{
    banklib::clsVoiceData codec;
    std::string unpacked;
    (void)codec.PutVoiceDataInString(voice, unpacked, fileType, false);
    TransportResult sent = TransportResult::Failed;
    if (unpacked.size() == banklib::kUnpackedVoiceSize) {
        // A phrase sounds the voice it followed: it ends before another voice goes out.
        timedPhrase().stop();
        banklib::clsVoiceNames wrapper;
        sent = SendLongSysex(wrapper.AddWrapper(unpacked, banklib::FileType::UnpackedSysex));
    }
    if (playScale)
        SendAScale();
    return sent;
}

void clsMidiManagerData::SendAScale()
{
    if (objMIDIInit().MidiOutOpen)
        timedPhrase().play(testScale(m_random), TimedPhrase::Failure::LogOutputFailed);
}

}  // namespace midi
