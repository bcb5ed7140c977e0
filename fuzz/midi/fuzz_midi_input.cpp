// Brevane - fuzzing MIDI input: any bytes, cut anywhere by the MIDI system, then handled.
//
// Input: one byte of options, then up to seven cut points (two bytes each, as many as the
// options say), then the bytes that arrive. The bytes go through the stream parser whole
// and in the pieces the cut points make; both must give the same messages, none longer
// than the parser's cap. Every message then goes through the input handlers as a device
// would deliver it: described in the monitor log, handed to a waiting dump request (when
// the options say one is pending), stored in the MIDI Manager's bank slots. Message boxes
// answer with their first button (the headless services). Each input starts with a new
// monitor log and new slots.
#include "FuzzSeeds.h"
#include "midi/MidiManagerSlots.h"
#include "midi/MidiWindows.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiStreamParser.h"
#include "platform/midi/SimulatedDX7.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace {

using platform::MidiPiece;
using platform::MidiStreamParser;
using Bytes = std::vector<std::uint8_t>;
using Pieces = std::vector<std::pair<MidiPiece::Kind, Bytes>>;

constexpr std::size_t kMaxCuts = 7;

// The MIDI Manager's data and slots, new for every input; nothing else is shown.
class FuzzWindows final : public midi::MidiWindows {
public:
    void renew()
    {
        m_slots.reset();
        m_data = std::make_unique<midi::clsMidiManagerData>();
        m_slots = std::make_unique<midi::MidiManagerSlots>(*m_data);
        m_slots->InitMidiGrid();
        m_data->setSysexSlots(m_slots.get());
    }
    void loadManager() override { m_loaded = true; }
    void unloadManager() override { m_loaded = false; }
    bool managerLoaded() const override { return m_loaded; }
    void showManagerMinimised() override {}
    void setManagerCaption(const std::string&) override {}
    void setManagerButtonEnabled(const std::string&, bool) override {}
    void setManagerButtonEnabled(int, bool) override {}
    midi::clsMidiManagerData& managerData() override
    {
        if (!m_data)
            renew();
        return *m_data;
    }
    void setInputCommands(bool) override {}
    void setOutputCommands(bool) override {}
    bool appClosing() const override { return false; }

private:
    bool m_loaded = true;
    std::unique_ptr<midi::clsMidiManagerData> m_data;
    std::unique_ptr<midi::MidiManagerSlots> m_slots;
};

FuzzWindows& fuzzWindows()
{
    static FuzzWindows w;
    static const bool installed = (midi::installMidiWindows(&w), true);
    (void)installed;
    return w;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

Pieces parse(std::span<const std::uint8_t> stream, const std::vector<std::size_t>& cuts)
{
    MidiStreamParser parser;
    Pieces out;
    const auto sink = [&](MidiPiece&& p) { out.emplace_back(p.kind, std::move(p.bytes)); };
    std::size_t at = 0;
    for (const std::size_t cut : cuts) {
        parser.feed(stream.subspan(at, cut - at), sink);
        at = cut;
    }
    parser.feed(stream.subspan(at), sink);
    parser.finish(sink);
    return out;
}

// ---- seeds

Bytes withOptions(std::uint8_t options, std::vector<std::uint16_t> cuts, const Bytes& stream)
{
    Bytes out{static_cast<std::uint8_t>(options | (cuts.size() << 1))};
    for (const std::uint16_t c : cuts) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

std::vector<fuzzseeds::Seed> seeds()
{
    const platform::SimulatedDX7 dx7(0);
    const Bytes voice = dx7.singleVoiceDump();
    const Bytes bank = dx7.bulkDump();
    Bytes both = voice;
    both.insert(both.end(), bank.begin(), bank.end());
    const Bytes notes = {0x90, 60, 100, 62, 100, 0x80, 60, 0, 0xB0, 7, 100, 0xC0, 5, 0xE0, 0, 64, 0xF8, 0xFE};
    const Bytes parameter = {0xF0, 0x43, 0x10, 0x01, 0x1B, 0x05, 0xF7};
    const Bytes stray = {0x01, 0x02, 0xF7, 0x90, 0x40, 0xF0, 0x43, 0xF8, 0x00, 0xF7, 0x05};
    return {
        withOptions(0, {}, notes),
        withOptions(0, {3, 9}, notes),
        withOptions(0, {}, parameter),
        withOptions(0, {2}, stray),
        withOptions(0, {}, voice),
        withOptions(1, {40, 100}, voice),  // a voice dump while a request waits
        withOptions(0, {1000, 2000, 3000}, bank),
        withOptions(1, {}, bank),
        withOptions(0, {163}, both),
    };
}

}  // namespace

BREVANE_FUZZ_SEEDS(seeds)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t options = data[0];
    const std::size_t cutCount = std::min<std::size_t>((options >> 1) & 7, kMaxCuts);
    std::size_t at = 1;
    std::vector<std::uint16_t> rawCuts;
    for (std::size_t i = 0; i < cutCount && at + 2 <= size; ++i, at += 2)
        rawCuts.push_back(static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8)));
    const std::span<const std::uint8_t> stream(data + at, size - at);
    std::vector<std::size_t> cuts;
    for (const std::uint16_t c : rawCuts)
        cuts.push_back(std::min<std::size_t>(c, stream.size()));
    std::sort(cuts.begin(), cuts.end());

    // The same messages however the stream is cut, none beyond the cap.
    const Pieces whole = parse(stream, {});
    const Pieces cut = parse(stream, cuts);
    check(whole == cut);
    for (const auto& [kind, bytes] : cut) {
        check(!bytes.empty() && bytes.size() <= MidiStreamParser::kMaxMessageBytes);
        if (kind == MidiPiece::Kind::Message && bytes.front() == 0xF0)
            check(bytes.back() == 0xF7);
        if (kind == MidiPiece::Kind::Message && bytes.front() != 0xF0)
            check(bytes.size() == 1 || static_cast<int>(bytes.size()) == platform::shortMessageLength(bytes.front()));
    }

    // Every message through the input handlers, with a new log and new slots.
    fuzzWindows().renew();
    midi::ResetMidiInputState();
    midi::ResetMidiOutputState();
    if (options & 1)
        midi::SetPendingRequest(stream.size() > 200 ? midi::kDumpBank : midi::kDumpSingleVoice);
    std::uint32_t time = 0;
    for (auto& [kind, bytes] : cut) {
        const bool sysex = bytes.front() == 0xF0;
        const std::string text(bytes.begin(), bytes.end());
        midi::MidiSinkWindowProc(platform::eventFromPiece(MidiPiece{kind, std::move(bytes)}, time += 10));
        if (sysex)
            (void)midi::DescribeSysexMessage(text, time, (options & 0x10) != 0);
    }
    midi::SetPendingRequest(-1);
    return 0;
}
