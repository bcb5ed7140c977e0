// Brevane - fuzzing MIDI input: any bytes, cut anywhere by the MIDI system, then handled.
//
// Input: one byte of options, then up to seven cut points (two bytes each, as many as the
// options say), then the bytes that arrive. The bytes go through the stream parser in the
// pieces the cut points make (each cut again into kChunkBytes) until kMaxHandledMessages
// messages have come out, and the bytes read so far through another parser at once; both
// must give the same messages, none longer than the parser's cap. The messages then go
// through the input handlers as a device would deliver them: described in the monitor
// log, handed to a waiting dump request (when the options say one is pending), stored in
// the MIDI Manager's bank slots. Message boxes answer with their first button (the
// headless services). Each input starts with an empty monitor log and free slots.
//
// The handlers see the first kMaxHandledMessages messages of an input: they treat every
// message alike, and in the sanitized fuzz build a monitor row costs some twenty
// microseconds. The bytes after them are left to the parser's own target (fuzz_midi_stream).
// The slot grid is made once; after an input that stored something, only the slots used
// are freed again.
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
#include <span>
#include <utility>
#include <vector>

namespace {

using platform::MidiPiece;
using platform::MidiStreamParser;
using Bytes = std::vector<std::uint8_t>;
using Pieces = std::vector<std::pair<MidiPiece::Kind, Bytes>>;

constexpr std::size_t kMaxCuts = 7;
constexpr std::size_t kMaxHandledMessages = 16;
constexpr std::size_t kChunkBytes = 64;

// The MIDI Manager's data and slots, made once; nothing else is shown.
class FuzzWindows final : public midi::SilentMidiWindows {
public:
    FuzzWindows()
    {
        for (int f = 0; f < m_data.MidiMessage.fieldCount(); ++f)
            m_logFields.push_back(m_data.MidiMessage.field(f));
        m_slots.InitMidiGrid();
        m_slots.setChangeObserver([this] { m_slotsChanged = true; });
        m_data.setSysexSlots(&m_slots);
    }
    // An empty monitor log, and every slot free and the first one current.
    void renew()
    {
        // A new log rather than a cleared one: deleted rows would pile up for the whole run.
        m_data.MidiMessage = platform::Recordset(m_logFields);
        platform::Recordset& grid = m_slots.MidiSysex;
        if (m_slotsChanged) {
            for (grid.moveFirst(); !grid.isEOF(); grid.moveNext()) {
                if (grid.text(midi::SlotField::Used).starts_with("Yes")) {
                    grid.setValue(midi::SlotField::Name, std::string(midi::kFreeSlotName));
                    grid.setValue(midi::SlotField::Length, std::string("0"));
                    grid.setValue(midi::SlotField::Data, std::string());
                    grid.setValue(midi::SlotField::Used, std::string("No"));
                    grid.setValue(midi::SlotField::FileType, std::string("NA"));
                }
            }
            m_slotsChanged = false;
        }
        grid.moveFirst();
    }
    void loadManager() override { m_loaded = true; }
    void unloadManager() override { m_loaded = false; }
    bool managerLoaded() const override { return m_loaded; }
    midi::clsMidiManagerData& managerData() override { return m_data; }

private:
    bool m_loaded = true;
    midi::clsMidiManagerData m_data;
    midi::MidiManagerSlots m_slots{m_data};
    bool m_slotsChanged = false;
    std::vector<platform::FieldDef> m_logFields;
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

// The stream fed in the pieces the cuts (sorted) make, each cut again into kChunkBytes,
// until `enough` pieces have come out or the stream ends. `read` receives the number of
// bytes fed.
Pieces parseInPieces(std::span<const std::uint8_t> stream, const std::vector<std::size_t>& cuts,
                     std::size_t enough, std::size_t& read)
{
    MidiStreamParser parser;
    Pieces out;
    const auto sink = [&](MidiPiece&& p) { out.emplace_back(p.kind, std::move(p.bytes)); };
    std::size_t at = 0;
    auto nextCut = cuts.begin();
    while (at < stream.size() && out.size() < enough) {
        while (nextCut != cuts.end() && *nextCut <= at)
            ++nextCut;
        std::size_t end = std::min(at + kChunkBytes, stream.size());
        if (nextCut != cuts.end())
            end = std::min(end, *nextCut);
        parser.feed(stream.subspan(at, end - at), sink);
        at = end;
    }
    parser.finish(sink);
    read = at;
    return out;
}

Pieces parseAtOnce(std::span<const std::uint8_t> stream)
{
    MidiStreamParser parser;
    Pieces out;
    const auto sink = [&](MidiPiece&& p) { out.emplace_back(p.kind, std::move(p.bytes)); };
    parser.feed(stream, sink);
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
    std::size_t read = 0;
    Pieces cut = parseInPieces(stream, cuts, kMaxHandledMessages, read);
    check(parseAtOnce(stream.first(read)) == cut);
    for (const auto& [kind, bytes] : cut) {
        check(!bytes.empty() && bytes.size() <= MidiStreamParser::kMaxMessageBytes);
        if (kind == MidiPiece::Kind::Message && bytes.front() == 0xF0)
            check(bytes.back() == 0xF7);
        if (kind == MidiPiece::Kind::Message && bytes.front() != 0xF0)
            check(bytes.size() == 1 || static_cast<int>(bytes.size()) == platform::shortMessageLength(bytes.front()));
    }

    // The first messages through the input handlers, with an empty log and free slots.
    fuzzWindows().renew();
    midi::ResetMidiInputState();
    midi::ResetMidiOutputState();
    if (options & 1)
        midi::SetPendingRequest(stream.size() > 200 ? midi::kDumpBank : midi::kDumpSingleVoice);
    std::uint32_t time = 0;
    if (cut.size() > kMaxHandledMessages)
        cut.resize(kMaxHandledMessages);
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
