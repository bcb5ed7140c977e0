// Brevane - when each message of a MIDI file goes out, and what a jump or a stop sends.
#include "midi/PlaybackSchedule.h"

#include "platform/midi/MidiBackend.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace midi {
namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kPitchBend = 0xE0;

constexpr int kBankSelect = 0;
constexpr int kBankSelectLsb = 32;
constexpr int kDataEntry = 6;
constexpr int kDataEntryLsb = 38;
constexpr int kDataIncrement = 96;  // 96..101: increment, decrement, NRPN and RPN numbers
constexpr int kNrpnLsb = 98;
constexpr int kNrpnMsb = 99;
constexpr int kRpnLsb = 100;
constexpr int kRpnMsb = 101;
constexpr int kSustain = 64;
constexpr int kAllSoundOff = 120;
constexpr int kResetAllControllers = 121;
constexpr int kAllNotesOff = 123;
constexpr int kFirstModeMessage = 120;
constexpr int kChannels = 16;

// What a file has done to one channel up to a point.
struct ChannelState {
    struct Parameter {
        bool nrpn = false;
        int msb = 0;
        int lsb = 0;
        int dataMsb = -1;
        int dataLsb = -1;
        std::uint32_t order = 0;
    };
    int program = -1;
    std::array<int, 128> controller;
    std::array<std::uint32_t, 128> order{};
    int bendLsb = -1;
    int bendMsb = -1;
    bool nrpnSelected = false;  // the last parameter selector set was a non-registered one
    std::vector<Parameter> parameters;

    ChannelState() { controller.fill(-1); }

    Parameter* selected()
    {
        const int msb = controller[nrpnSelected ? kNrpnMsb : kRpnMsb];
        const int lsb = controller[nrpnSelected ? kNrpnLsb : kRpnLsb];
        if (msb < 0 || lsb < 0 || (!nrpnSelected && msb == 127 && lsb == 127))
            return nullptr;  // nothing selected, or the registered "null" parameter
        for (Parameter& p : parameters)
            if (p.nrpn == nrpnSelected && p.msb == msb && p.lsb == lsb)
                return &p;
        parameters.push_back({nrpnSelected, msb, lsb, -1, -1, 0});
        return &parameters.back();
    }

    void take(std::uint8_t status, std::uint8_t d1, std::uint8_t d2, std::uint32_t seq)
    {
        switch (status & 0xF0) {
        case kProgramChange:
            program = d1;
            break;
        case kPitchBend:
            bendLsb = d1;
            bendMsb = d2;
            break;
        case kControlChange:
            if (d1 == kResetAllControllers) {
                // Leaves bank select and the parameter selection as the instrument does.
                for (int c = 1; c < kFirstModeMessage; ++c)
                    if (c != kBankSelectLsb && (c < kNrpnLsb || c > kRpnMsb))
                        controller[static_cast<std::size_t>(c)] = -1;
                bendLsb = bendMsb = -1;
                break;
            }
            if (d1 == kDataEntry || d1 == kDataEntryLsb) {
                if (Parameter* p = selected()) {
                    (d1 == kDataEntry ? p->dataMsb : p->dataLsb) = d2;
                    p->order = seq;
                }
                break;
            }
            if (d1 == kNrpnLsb || d1 == kNrpnMsb)
                nrpnSelected = true;
            else if (d1 == kRpnLsb || d1 == kRpnMsb)
                nrpnSelected = false;
            controller[d1] = d2;
            order[d1] = seq;
            break;
        default:
            break;
        }
    }
};

void sendShort(const MidiMessageSink& sink, std::uint8_t status, int d1, int d2)
{
    const std::array<std::uint8_t, 3> m{status, static_cast<std::uint8_t>(d1), static_cast<std::uint8_t>(d2)};
    sink(std::span(m).first(static_cast<std::size_t>(platform::shortMessageLength(status))));
}

constexpr std::int64_t kFarthest = std::numeric_limits<std::int64_t>::max();

// value * num / den for value >= 0 and num, den >= 1 (each within an int), rounded down or
// up; kFarthest when the result lies beyond it. A rate may be millions to one either way
// (a file at 60,000,000 BPM played at 1), so the product itself may not fit.
std::int64_t scaled(std::int64_t value, std::int64_t num, std::int64_t den, bool roundUp)
{
    const std::int64_t whole = value / den;
    const std::int64_t part = value % den * num;  // below den * num, which fits
    const std::int64_t partScaled = part / den + (roundUp && part % den != 0 ? 1 : 0);
    if (whole > (kFarthest - partScaled) / num)
        return kFarthest;
    return whole * num + partScaled;
}

// a + b for b >= 0, kFarthest when the sum lies beyond it.
std::int64_t later(std::int64_t a, std::int64_t b) { return a > kFarthest - b ? kFarthest : a + b; }

bool resentAsController(int c)
{
    return c != kBankSelect && c != kBankSelectLsb && c != kDataEntry && c != kDataEntryLsb &&
           (c < kDataIncrement || c > kRpnMsb) && c < kFirstModeMessage;
}

}  // namespace

PlaybackSchedule::PlaybackSchedule(const MidiFile& file) : m_file(file), m_endUs(file.lengthUs) {}

void PlaybackSchedule::setEnd(std::int64_t fileUs)
{
    m_endUs = fileUs > 0 ? std::min(fileUs, m_file.lengthUs) : m_file.lengthUs;
}

std::int64_t PlaybackSchedule::positionAt(std::int64_t nowUs) const
{
    std::int64_t pos = m_anchorFileUs;
    if (m_playing)
        pos = later(pos, scaled(std::max<std::int64_t>(nowUs - m_anchorClockUs, 0), m_rateNum, m_rateDen, false));
    return std::clamp<std::int64_t>(pos, 0, m_endUs);
}

std::int64_t PlaybackSchedule::clockTimeOf(std::int64_t fileUs) const
{
    const std::int64_t ahead = std::max<std::int64_t>(fileUs - m_anchorFileUs, 0);
    return later(m_anchorClockUs, scaled(ahead, m_rateDen, m_rateNum, true));
}

void PlaybackSchedule::anchor(std::int64_t nowUs)
{
    m_anchorFileUs = positionAt(nowUs);
    m_anchorClockUs = nowUs;
}

void PlaybackSchedule::setRate(int tempoBpm, int baseBpm, std::int64_t nowUs)
{
    anchor(nowUs);
    m_rateNum = std::max(tempoBpm, 1);
    m_rateDen = std::max(baseBpm, 1);
}

void PlaybackSchedule::start(std::int64_t nowUs, const MidiMessageSink& sink)
{
    if (m_playing)
        return;
    if (m_next > 0 && !m_stateSent)
        sendState(sink);
    m_stateSent = false;
    m_ended = false;
    m_playing = true;
    m_anchorClockUs = nowUs;
}

void PlaybackSchedule::halt(std::int64_t nowUs, const MidiMessageSink& sink)
{
    if (!m_playing)
        return;
    anchor(nowUs);
    m_playing = false;
    silence(sink);
}

std::optional<std::int64_t> PlaybackSchedule::advance(std::int64_t nowUs, const MidiMessageSink& sink)
{
    if (!m_playing)
        return std::nullopt;
    const std::int64_t pos = positionAt(nowUs);
    const auto& events = m_file.events;
    while (m_next < events.size() && events[m_next].timeUs <= pos && events[m_next].timeUs <= m_endUs)
        play(events[m_next++], sink);
    const bool more = m_next < events.size() && events[m_next].timeUs <= m_endUs;
    if (more)
        return clockTimeOf(events[m_next].timeUs);
    if (pos < m_endUs)
        return clockTimeOf(m_endUs);
    m_playing = false;
    m_ended = true;
    m_anchorFileUs = m_endUs;
    m_anchorClockUs = nowUs;
    silence(sink);
    return std::nullopt;
}

void PlaybackSchedule::seek(std::int64_t fileUs, std::int64_t nowUs, const MidiMessageSink& sink)
{
    m_playing = false;
    m_ended = false;
    silence(sink);
    m_anchorFileUs = std::clamp<std::int64_t>(fileUs, 0, m_endUs);
    m_anchorClockUs = nowUs;
    const auto& events = m_file.events;
    m_next = static_cast<std::size_t>(
        std::lower_bound(events.begin(), events.end(), m_anchorFileUs,
                         [](const MidiFileEvent& e, std::int64_t t) { return e.timeUs < t; }) -
        events.begin());
    sendState(sink);
    m_stateSent = true;
}

void PlaybackSchedule::play(const MidiFileEvent& e, const MidiMessageSink& sink)
{
    if (e.isSysex()) {
        sink(m_file.sysex(e));
        return;
    }
    const std::uint8_t status = e.status();
    const std::uint8_t kind = status & 0xF0;
    auto& notes = m_sounding[status & 0x0F];
    if (kind == kNoteOn && e.data2() > 0) {
        auto& n = notes[e.data1() & 0x7F];
        if (n < 255)
            ++n;
    } else if (kind == kNoteOff || kind == kNoteOn) {
        auto& n = notes[e.data1() & 0x7F];
        if (n > 0)
            --n;
    } else if (kind == kControlChange && (e.data1() == kAllNotesOff || e.data1() == kAllSoundOff)) {
        notes.fill(0);
    }
    sendShort(sink, status, e.data1(), e.data2());
}

void PlaybackSchedule::silence(const MidiMessageSink& sink)
{
    for (int c = 0; c < kChannels; ++c) {
        auto& notes = m_sounding[static_cast<std::size_t>(c)];
        for (int n = 0; n < 128; ++n) {
            if (notes[static_cast<std::size_t>(n)] == 0)
                continue;
            notes[static_cast<std::size_t>(n)] = 0;
            sendShort(sink, static_cast<std::uint8_t>(kNoteOff | c), n, 0);
        }
    }
    for (int c = 0; c < kChannels; ++c) {
        if ((m_file.channelsUsed & (1U << c)) == 0)
            continue;
        sendShort(sink, static_cast<std::uint8_t>(kControlChange | c), kSustain, 0);
        sendShort(sink, static_cast<std::uint8_t>(kControlChange | c), kAllNotesOff, 0);
    }
}

void PlaybackSchedule::sendState(const MidiMessageSink& sink) const
{
    std::array<ChannelState, kChannels> state;
    const auto& events = m_file.events;
    std::uint32_t seq = 0;
    for (std::size_t i = 0; i < m_next && i < events.size(); ++i) {
        const MidiFileEvent& e = events[i];
        if (e.isSysex() || e.status() >= 0xF0)
            continue;
        state[e.status() & 0x0F].take(e.status(), e.data1(), e.data2(), ++seq);
    }
    for (int c = 0; c < kChannels; ++c) {
        if ((m_file.channelsUsed & (1U << c)) == 0)
            continue;
        ChannelState& s = state[static_cast<std::size_t>(c)];
        const auto cc = static_cast<std::uint8_t>(kControlChange | c);
        sendShort(sink, cc, kResetAllControllers, 0);
        for (const int bank : {kBankSelect, kBankSelectLsb})
            if (s.controller[static_cast<std::size_t>(bank)] >= 0)
                sendShort(sink, cc, bank, s.controller[static_cast<std::size_t>(bank)]);
        if (s.program >= 0)
            sendShort(sink, static_cast<std::uint8_t>(kProgramChange | c), s.program, 0);

        std::vector<int> controllers;
        for (int n = 0; n < 128; ++n)
            if (s.controller[static_cast<std::size_t>(n)] >= 0 && resentAsController(n))
                controllers.push_back(n);
        std::stable_sort(controllers.begin(), controllers.end(), [&s](int a, int b) {
            return s.order[static_cast<std::size_t>(a)] < s.order[static_cast<std::size_t>(b)];
        });
        for (const int n : controllers)
            sendShort(sink, cc, n, s.controller[static_cast<std::size_t>(n)]);

        auto parameters = s.parameters;
        std::stable_sort(parameters.begin(), parameters.end(),
                         [](const auto& a, const auto& b) { return a.order < b.order; });
        for (const auto& p : parameters) {
            if (p.dataMsb < 0 && p.dataLsb < 0)
                continue;
            sendShort(sink, cc, p.nrpn ? kNrpnMsb : kRpnMsb, p.msb);
            sendShort(sink, cc, p.nrpn ? kNrpnLsb : kRpnLsb, p.lsb);
            if (p.dataMsb >= 0)
                sendShort(sink, cc, kDataEntry, p.dataMsb);
            if (p.dataLsb >= 0)
                sendShort(sink, cc, kDataEntryLsb, p.dataLsb);
        }
        // The parameter selection as the file left it, the kind selected last going last.
        const std::array<std::array<int, 2>, 2> selectors{{{kRpnMsb, kRpnLsb}, {kNrpnMsb, kNrpnLsb}}};
        for (const bool nrpn : {!s.nrpnSelected, s.nrpnSelected})
            for (const int n : selectors[nrpn ? 1 : 0])
                if (s.controller[static_cast<std::size_t>(n)] >= 0)
                    sendShort(sink, cc, n, s.controller[static_cast<std::size_t>(n)]);

        if (s.bendLsb >= 0)
            sendShort(sink, static_cast<std::uint8_t>(kPitchBend | c), s.bendLsb, s.bendMsb);
    }
}

int PlaybackSchedule::soundingNotes(int channel) const
{
    if (channel < 0 || channel >= kChannels)
        return 0;
    int count = 0;
    for (const std::uint8_t n : m_sounding[static_cast<std::size_t>(channel)])
        count += n > 0 ? 1 : 0;
    return count;
}

}  // namespace midi
