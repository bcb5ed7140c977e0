// Brevane - one DX7 voice: codec, parameter recordsets and transfer to and from a list.
#include "banklib/clsVoiceData.h"

#include "banklib/BusyCursor.h"
#include "banklib/Crc32.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListView.h"
#include "platform/Services.h"
#include "platform/VbText.h"

#include <cmath>
#include <cstring>

namespace banklib {
namespace {

using platform::Recordset;
using platform::Str;

using platform::kCrLf;

// ---- the bit map

constexpr PackMapEntry wholeByte(int packedByte, int param)
{
    PackMapEntry e{};
    e.packedByte = static_cast<std::int16_t>(packedByte);
    e.triples[0].param = static_cast<std::int16_t>(param);
    return e;
}

constexpr PackMapEntry fields(int packedByte, std::initializer_list<PackMapTriple> list)
{
    PackMapEntry e{};
    e.packedByte = static_cast<std::int16_t>(packedByte);
    std::size_t i = 0;
    for (const PackMapTriple& t : list)
        e.triples[i++] = t;
    return e;
}

constexpr PackMapTriple field(int param, int first, int last)
{
    return PackMapTriple{static_cast<std::int16_t>(param), static_cast<std::int16_t>(first),
                         static_cast<std::int16_t>(last)};
}

// Packed byte n (1..128) and the unpacked parameters (numbered from 1) that feed it.
constexpr PackMap BuildPackMap()
{
    PackMap map{};
    for (int k = 1; k <= 6; ++k) {
        const int base = 17 * (k - 1);
        const int p = 21 * (k - 1);
        for (int j = 1; j <= 17; ++j) {
            const int n = base + j;
            PackMapEntry& e = map[static_cast<std::size_t>(n - 1)];
            if (j <= 11)
                e = wholeByte(n, p + j);
            else if (j == 12)  // left curve bits 0-1, right curve bits 2-3
                e = fields(n, {field(p + 12, 1, 2), field(p + 13, 3, 4)});
            else if (j == 13)  // rate scaling bits 0-2, detune bits 3-6
                e = fields(n, {field(p + 14, 1, 3), field(p + 21, 4, 7)});
            else if (j == 14)  // AMS bits 0-1, KVS bits 2-4
                e = fields(n, {field(p + 15, 1, 2), field(p + 16, 3, 5)});
            else if (j == 15)  // output level
                e = wholeByte(n, p + 17);
            else if (j == 16)  // oscillator mode bit 0, coarse bits 1-5
                e = fields(n, {field(p + 18, 1, 1), field(p + 19, 2, 6)});
            else  // frequency fine
                e = wholeByte(n, p + 20);
        }
    }
    for (int n = 103; n <= 128; ++n) {
        PackMapEntry& e = map[static_cast<std::size_t>(n - 1)];
        if (n <= 111)  // pitch envelope, algorithm
            e = wholeByte(n, n + 24);
        else if (n == 112)  // feedback bits 0-2, oscillator key sync bit 3
            e = fields(n, {field(136, 1, 3), field(137, 4, 4)});
        else if (n <= 116)  // LFO speed, delay, PMD, AMD
            e = wholeByte(n, n + 25);
        else if (n == 117)  // LFO key sync bit 0, wave bits 1-3, PMS bits 4-6
            e = fields(n, {field(142, 1, 1), field(143, 2, 4), field(144, 5, 7)});
        else  // transpose, name
            e = wholeByte(n, n + 27);
    }
    return map;
}

constexpr PackMap kPackMap = BuildPackMap();

constexpr std::uint8_t fieldMask(const PackMapTriple& t)
{
    return static_cast<std::uint8_t>(((1u << (t.lastBit - t.firstBit + 1)) - 1u) << (t.firstBit - 1));
}

// Every unpacked byte is fed from exactly one place.
constexpr bool mapCoversEveryParameterOnce()
{
    std::array<int, kUnpackedVoiceSize> uses{};
    for (const PackMapEntry& e : kPackMap) {
        for (std::size_t i = 0; i < 3; ++i) {
            const PackMapTriple& t = e.triples[i];
            if (i > 0 && t.firstBit < 0)
                break;
            ++uses[static_cast<std::size_t>(t.param - 1)];
            if (t.firstBit < 0)
                break;
        }
    }
    for (int u : uses)
        if (u != 1)
            return false;
    return true;
}
static_assert(mapCoversEveryParameterOnce());

// ---- the parameter table

struct ParamRow {
    std::string Title;
    std::string ShortTitle;
    std::string Max;
    std::string Group;
    std::string SubGroup;
    std::string OpGroup;
    std::string ProxyFieldID;
    std::string RandomGroup;
};

struct OperatorParam {
    const char* title;  // operator 6's title, 15 characters
    const char* shortTitle;
    const char* max;
    int subGroupKind;  // 0 "Operator n", 1 "LevScn", 2 "OpMiscn"
    const char* opGroup;  // ending in a blank: the operator digit follows
    const char* proxy;
    const char* random;
};

constexpr OperatorParam kOperatorParams[kUnpackedOperatorSize] = {
    {"OP6 EG Rate 1  ", "R1", "99", 0, "EG Rate ", "", "EG Rate"},
    {"OP6 EG Rate 2  ", "R2", "99", 0, "EG Rate ", "", "EG Rate"},
    {"OP6 EG Rate 3  ", "R3", "99", 0, "EG Rate ", "", "EG Rate"},
    {"OP6 EG Rate 4  ", "R4", "99", 0, "EG Rate ", "", "EG Rate"},
    {"OP6 EG Level 1 ", "L1", "99", 0, "EG Level ", "", "EG Level"},
    {"OP6 EG Level 2 ", "L2", "99", 0, "EG Level ", "", "EG Level"},
    {"OP6 EG Level 3 ", "L3", "99", 0, "EG Level ", "", "EG Level"},
    {"OP6 EG Level 4 ", "L4", "99", 0, "EG Level ", "", "EG Level"},
    {"OP6 KeyLevScBP ", "BPoint", "99", 1, "Key Lev Scalg", "10", "EG Level Scaling"},
    {"OP6 KeyLevScLD ", "LDepth", "99", 1, "Key Lev Scalg", "", "EG Level Scaling"},
    {"OP6 KeyLevScRD ", "RDepth", "99", 1, "Key Lev Scalg", "", "EG Level Scaling"},
    {"OP6 KeyLevScLC ", "LCurve", "3", 1, "Key Lev Scalg", "1", "EG Level Scaling"},
    {"OP6 KeyLevScRC ", "RCurve", "3", 1, "Key Lev Scalg", "1", "EG Level Scaling"},
    {"OP6 Key RateSC ", "KRS", "7", 2, "KRS", "", "Sensitivity"},
    {"OP6 AMS        ", "AMS", "3", 2, "AMS", "", "Sensitivity"},
    {"OP6 KVS        ", "KVS", "7", 2, "KVS", "", "Sensitivity"},
    {"OP6 Output Lev ", "Output", "99", 2, "Output", "", "Output Level"},
    {"OP6 Osc Mode   ", "Mode", "1", 0, "Oscillator", "2", "Oscillator"},
    {"OP6 Osc Freq C ", "Coarse", "31", 0, "Oscillator", "", "Oscillator"},
    {"OP6 Osc Freq F ", "Fine", "99", 0, "Oscillator", "", "Oscillator"},
    {"OP6 Osc Detune ", "Detune", "14", 0, "Oscillator", "5", "Oscillator"},
};

struct GlobalParam {
    const char* title;
    const char* shortTitle;
    const char* max;
    const char* subGroup;
    const char* proxy;
    const char* random;
};

constexpr GlobalParam kGlobalParams[19] = {
    {"PEG Rate 1     ", "R1", "99", "PitchEG", "", "Pitch EG Rate"},
    {"PEG Rate 2     ", "R2", "99", "PitchEG", "", "Pitch EG Rate"},
    {"PEG Rate 3     ", "R3", "99", "PitchEG", "", "Pitch EG Rate"},
    {"PEG Rate 4     ", "R4", "99", "PitchEG", "", "Pitch EG Rate"},
    {"PEG Levl 1     ", "L1", "99", "PitchEG", "", "Pitch EG Level"},
    {"PEG Levl 2     ", "L2", "99", "PitchEG", "", "Pitch EG Level"},
    {"PEG Levl 3     ", "L3", "99", "PitchEG", "", "Pitch EG Level"},
    {"PEG Levl 4     ", "L4", "99", "PitchEG", "", "Pitch EG Level"},
    {"Algorithm. Sel ", "Alg", "31", "Algorithm", "", "Algorithm"},
    {"Feedback       ", "Fback", "7", "Misc", "", "Feedback"},
    {"Osc.Key Sync   ", "OscKS", "1", "Misc", "6", "Oscillator Key Sync"},
    {"LFO Speed      ", "Speed", "99", "LFO", "", "LFO"},
    {"LFO Delay      ", "Delay", "99", "LFO", "", "LFO"},
    {"LFO PMD        ", "PMD", "99", "LFO", "", "LFO"},
    {"LFO AMD        ", "AMD", "99", "LFO", "", "LFO"},
    {"LFO KeySnc     ", "KeySnc", "1", "LFO", " 7", "LFO"},
    {"LFO Wave       ", "Wave", "5", "LFO", " 8", "LFO"},
    {"LFO PMS        ", "PMS", "7", "LFO", "", "LFO"},
    {"Transpose      ", "Trans", "48", "Misc", "9", "Transpose"},
};

// Titles, bounds, groups and display hints of the 155 rows (built once).
std::vector<ParamRow> BuildParamTitleTables()
{
    std::vector<ParamRow> rows(kUnpackedVoiceSize);
    for (std::size_t b = 0; b < kOperatorCount; ++b) {
        const char digit = static_cast<char>('0' + (6 - static_cast<int>(b)));
        for (std::size_t i = 0; i < kUnpackedOperatorSize; ++i) {
            const OperatorParam& op = kOperatorParams[i];
            ParamRow& row = rows[b * kUnpackedOperatorSize + i];
            row.Title = std::string("OP") + digit + std::string(op.title).substr(3);
            row.ShortTitle = op.shortTitle;
            row.Max = op.max;
            row.Group = "Operator";
            row.SubGroup = op.subGroupKind == 1   ? std::string("LevSc") + digit
                           : op.subGroupKind == 2 ? std::string("OpMisc") + digit
                                                  : std::string("Operator ") + digit;
            row.OpGroup = op.opGroup;
            if (i <= 7)
                row.OpGroup += digit;
            row.ProxyFieldID = op.proxy;
            row.RandomGroup = op.random;
        }
    }
    for (std::size_t g = 0; g < 19; ++g) {
        const GlobalParam& gp = kGlobalParams[g];
        ParamRow& row = rows[Unpacked::kPitchEgRate1 + g];
        row = ParamRow{gp.title, gp.shortTitle, gp.max, "Non-Operator", gp.subGroup,
                       "Not Applicable", gp.proxy, gp.random};
    }
    for (std::size_t n = 0; n < kNameLength; ++n) {
        const std::size_t r = Unpacked::kName + n;
        ParamRow& row = rows[r];
        std::string title = "Name " + std::to_string(n + 1);
        title.resize(15, ' ');
        row = ParamRow{title, kOperatorParams[r % kUnpackedOperatorSize].shortTitle, "99",
                       "Non-Operator", "Name", "Not Applicable", "", ""};
    }
    return rows;
}

const std::vector<ParamRow>& paramTable()
{
    static const std::vector<ParamRow> table = BuildParamTitleTables();
    return table;
}

// ---- ProxyData texts

// Note names 0..99, four characters each: A-1, A#-1, B-1, then C 0 .. B 7, then C 8.
std::string noteName(int n)
{
    static const std::string names = [] {
        std::string s = "A-1 A#-1B-1 ";
        const std::string octave = "C 0 C#0 D 0 D#0 E 0 F 0 F#0 G 0 G#0 A 0 A#0 B 0 ";
        for (char d = '0'; d <= '7'; ++d) {
            std::string o = octave;
            for (std::size_t i = 2; i < o.size(); i += 4)
                o[i] = d;
            s += o;
        }
        s += "C 8 ";
        return s;
    }();
    if (n < 0 || n > 99)
        return {};
    return names.substr(static_cast<std::size_t>(n) * 4, 4);
}

// The fixed-frequency factor 10^(v/100), rounded to three decimals, with the two values
// the instrument's own table differs in.
double fixedFrequencyFactor(int v)
{
    if (v == 44)
        return 2.716;
    if (v == 94)
        return 8.718;
    return std::round(std::pow(10.0, v / 100.0) * 1000.0) / 1000.0;
}

Recordset makeVoiceDataRecordset()
{
    using platform::FieldType;
    return Recordset({{"ParamID", FieldType::FixedText, 4},
                      {"Title", FieldType::FixedText, 15},
                      {"ShortTitle", FieldType::FixedText, 6},
                      {"Value", FieldType::FixedText, 5},
                      {"Min.", FieldType::FixedText, 5},
                      {"Max.", FieldType::FixedText, 5},
                      {"Group", FieldType::FixedText, 15},
                      {"SubGroup", FieldType::FixedText, 15},
                      {"OpGroup", FieldType::FixedText, 15},
                      {"EGChartXVal", FieldType::Double, 10},
                      {"EGChartKoffXVal", FieldType::Double, 10},
                      {"ProxyFieldID", FieldType::FixedText, 3},
                      {"ProxyVal", FieldType::FixedText, 20},
                      {"RandomGroup", FieldType::FixedText, 20}});
}

Recordset makeProxyDataRecordset()
{
    using platform::FieldType;
    return Recordset({{"ParamID", FieldType::FixedText, 4},
                      {"Level Scaling", FieldType::FixedText, 20},
                      {"Osc.Mode", FieldType::FixedText, 20},
                      {"Fixed Freq.Fine", FieldType::FixedText, 20},
                      {"Freq.Ratio Fine", FieldType::FixedText, 20},
                      {"Detune", FieldType::FixedText, 20},
                      {"OscKeySync", FieldType::FixedText, 20},
                      {"LFOKeySync", FieldType::FixedText, 20},
                      {"LFOWave", FieldType::FixedText, 20},
                      {"Transpose", FieldType::FixedText, 20},
                      {"BreakPoint", FieldType::FixedText, 20}});
}

// A parameter Value as a byte: decimal digits with optional blanks around and an
// optional sign. False for anything else or a number outside 0..255.
bool parseByteValue(std::string_view text, std::uint8_t& out)
{
    const std::string t = platform::Trim(text);
    if (t.empty())
        return false;
    std::size_t i = 0;
    if (t[0] == '+' || t[0] == '-')
        i = 1;
    if (i == t.size())
        return false;
    int v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return false;
        v = v * 10 + (t[i] - '0');
        if (v > 255)
            return false;
    }
    if (t[0] == '-' && v != 0)
        return false;
    out = static_cast<std::uint8_t>(v);
    return true;
}

std::span<const std::uint8_t> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Data of a list row followed by its name, as a voice of exactly the layout's size:
// short rows are zero-padded, long ones cut.
std::string rowVoice(const Recordset& rs, banklib::FileType type)
{
    const std::size_t dataSize = voiceSizeOf(type) - kNameLength;
    std::string voice = rs.text(VoiceListField::Data);
    voice.resize(dataSize, '\0');
    std::string name = rs.text(VoiceListField::Names);
    name.resize(kNameLength, ' ');
    return voice + name;
}

}  // namespace

// ---- codec

const PackMap& clsVoiceData::packMap() { return kPackMap; }

void clsVoiceData::packVoice(std::span<const std::uint8_t, kUnpackedVoiceSize> in,
                             std::span<std::uint8_t, kPackedVoiceSize> out)
{
    for (std::size_t n = 0; n < kPackedVoiceSize; ++n) {
        const PackMapEntry& e = kPackMap[n];
        if (e.triples[0].firstBit < 0) {
            out[n] = in[static_cast<std::size_t>(e.triples[0].param - 1)];
            continue;
        }
        std::uint8_t b = 0;
        for (const PackMapTriple& t : e.triples) {
            if (t.firstBit < 0)
                break;
            const std::uint8_t v = in[static_cast<std::size_t>(t.param - 1)];
            b = static_cast<std::uint8_t>(b | ((v << (t.firstBit - 1)) & fieldMask(t)));
        }
        out[n] = b;
    }
}

void clsVoiceData::unpackVoice(std::span<const std::uint8_t, kPackedVoiceSize> in,
                               std::span<std::uint8_t, kUnpackedVoiceSize> out)
{
    for (std::size_t n = 0; n < kPackedVoiceSize; ++n) {
        const PackMapEntry& e = kPackMap[n];
        const std::uint8_t b = in[n];
        if (e.triples[0].firstBit < 0) {
            out[static_cast<std::size_t>(e.triples[0].param - 1)] = b;
            continue;
        }
        for (const PackMapTriple& t : e.triples) {
            if (t.firstBit < 0)
                break;
            out[static_cast<std::size_t>(t.param - 1)] =
                static_cast<std::uint8_t>((b & fieldMask(t)) >> (t.firstBit - 1));
        }
    }
}

clsVoiceData::clsVoiceData()
    : rsDXVoiceData(makeVoiceDataRecordset()), rsDXProxyValues(makeProxyDataRecordset())
{
}

std::string clsVoiceData::Pack(std::string_view iVce) const
{
    std::array<std::uint8_t, kUnpackedVoiceSize> in{};
    std::memcpy(in.data(), iVce.data(), std::min(iVce.size(), in.size()));
    std::string out(kPackedVoiceSize, '\0');
    packVoice(in, std::span<std::uint8_t, kPackedVoiceSize>(reinterpret_cast<std::uint8_t*>(out.data()),
                                                            kPackedVoiceSize));
    return out;
}

bool clsVoiceData::PackByt(std::span<const std::uint8_t> ibuf, std::vector<std::uint8_t>& obuf) const
{
    std::array<std::uint8_t, kUnpackedVoiceSize> in{};
    std::memcpy(in.data(), ibuf.data(), std::min(ibuf.size(), in.size()));
    obuf.assign(kPackedVoiceSize, 0);
    packVoice(in, std::span<std::uint8_t, kPackedVoiceSize>(obuf.data(), kPackedVoiceSize));
    return true;
}

std::string clsVoiceData::Unpack(std::string_view iVce) const
{
    if (iVce.size() != kPackedVoiceSize)
        return {};
    std::string out(kUnpackedVoiceSize, '\0');
    unpackVoice(std::span<const std::uint8_t, kPackedVoiceSize>(
                    reinterpret_cast<const std::uint8_t*>(iVce.data()), kPackedVoiceSize),
                std::span<std::uint8_t, kUnpackedVoiceSize>(reinterpret_cast<std::uint8_t*>(out.data()),
                                                             kUnpackedVoiceSize));
    return out;
}

bool clsVoiceData::UnpackByt(std::span<const std::uint8_t> ibuf, std::vector<std::uint8_t>& obuf) const
{
    if (ibuf.size() != kPackedVoiceSize)
        return false;
    std::array<std::uint8_t, kUnpackedVoiceSize> out{};
    unpackVoice(ibuf.first<kPackedVoiceSize>(), out);
    obuf.assign(out.begin(), out.end());
    return true;
}

std::uint8_t clsVoiceData::ParameterMaximum(std::size_t param)
{
    static const std::array<std::uint8_t, kUnpackedVoiceSize> maxima = [] {
        std::array<std::uint8_t, kUnpackedVoiceSize> m{};
        const std::vector<ParamRow>& table = paramTable();
        for (std::size_t r = 0; r < kUnpackedVoiceSize; ++r)
            m[r] = static_cast<std::uint8_t>(platform::Val(table[r].Max));
        return m;
    }();
    return param < maxima.size() ? maxima[param] : 0;
}

std::int32_t clsVoiceData::GetVoiceLength(banklib::FileType type)
{
    switch (type) {
    case banklib::FileType::Unpacked:
        return static_cast<std::int32_t>(kUnpackedVoiceSize);
    case banklib::FileType::UnpackedSysex:
        return static_cast<std::int32_t>(kSingleVoiceDumpSize);
    case banklib::FileType::Packed:
    case banklib::FileType::PackedSysex:
        return static_cast<std::int32_t>(kPackedVoiceSize);
    default:
        return -1;
    }
}

std::uint8_t clsVoiceData::CalcChecksum(std::string_view text, std::int32_t first, std::int32_t last)
{
    const std::int64_t from = std::max<std::int64_t>(first, 1);
    const std::int64_t to = std::min<std::int64_t>(last, static_cast<std::int64_t>(text.size()));
    if (to < from)
        return 0;
    return DX7Checksum(bytesOf(text.substr(static_cast<std::size_t>(from - 1),
                                           static_cast<std::size_t>(to - from + 1))));
}

// ---- recordsets

platform::Recordset* clsVoiceData::GetDataMember(std::string_view dataMember)
{
    if (dataMember == "VoiceData")
        return &rsDXVoiceData;
    if (dataMember == "ProxyData")
        return &rsDXProxyValues;
    return nullptr;
}

platform::Recordset& clsVoiceData::InitProxyData()
{
    FillProxyData(rsDXProxyValues);
    return rsDXProxyValues;
}

void clsVoiceData::FillProxyData(platform::Recordset& rs)
{
    static const char* const kCurves[] = {"-LIN", "-EXP", "+EXP", "+LIN"};
    static const char* const kModes[] = {"Ratio", "Fixed"};
    static const char* const kOnOff[] = {"Off", "On"};
    // The synthesizer's six LFO waves, 0 to 5, in 9-character slices.
    static const std::string kWaves = "Triangle Saw Down Saw Up   Square   Sine     S/Hold";

    const bool overwrite = rs.recordCount() > 0;
    if (overwrite)
        rs.moveFirst();
    for (int v = 0; v < kProxyDataRows; ++v) {
        if (!overwrite || rs.isEOF())
            rs.addNew();
        rs.setValue(ProxyDataField::ParamID, Str(v));
        if (v <= 3)
            rs.setValue(ProxyDataField::LevelScaling, std::string(kCurves[v]));
        if (v <= 1) {
            rs.setValue(ProxyDataField::OscMode, std::string(kModes[v]));
            rs.setValue(ProxyDataField::OscKeySync, std::string(kOnOff[v]));
            rs.setValue(ProxyDataField::LFOKeySync, std::string(kOnOff[v]));
        }
        rs.setValue(ProxyDataField::FixedFreqFine,
                    Str(static_cast<float>(fixedFrequencyFactor(v)) - 1.0f));
        rs.setValue(ProxyDataField::FreqRatioFine, Str(static_cast<float>(v) / 100.0f));
        if (v <= 14)
            rs.setValue(ProxyDataField::Detune, Str(v - 7));
        if (v <= 5)
            rs.setValue(ProxyDataField::LFOWave, platform::Mid(kWaves, v * 9 + 1, 9));
        if (v <= 48)
            rs.setValue(ProxyDataField::Transpose, noteName(v + 15));
        rs.setValue(ProxyDataField::BreakPoint, noteName(v));
        rs.update();
        if (overwrite)
            rs.moveNext();
    }
    rs.moveFirst();
}

void clsVoiceData::LoadVoiceIntoRecordset(platform::Recordset& rs, std::string_view voice, bool quiet,
                                          bool& refused)
{
    const std::vector<ParamRow>& table = paramTable();
    std::array<std::uint8_t, kUnpackedVoiceSize> bytes{};
    std::memcpy(bytes.data(), voice.data(), std::min(voice.size(), bytes.size()));

    BusyCursor busy;
    refused = false;
    const bool overwrite = rs.recordCount() > 0;
    if (overwrite)
        rs.moveFirst();
    // The oscillator mode of the current operator block as loaded, for its frequency rows.
    int oscMode = 0;
    for (std::size_t r = 0; r < kUnpackedVoiceSize; ++r) {
        const ParamRow& row = table[r];
        if (!overwrite || rs.isEOF())
            rs.addNew();
        rs.setValue(VoiceDataField::ParamID, Str(static_cast<std::int64_t>(r + 1)));
        rs.setValue(VoiceDataField::Title, row.Title);
        rs.setValue(VoiceDataField::ShortTitle, row.ShortTitle);

        const bool isName = r >= Unpacked::kName;
        std::string value = isName ? std::string(1, static_cast<char>(bytes[r])) : Str(bytes[r]);
        const double number = platform::Val(value);
        const double max = platform::Val(row.Max);
        if (number < 0 || number > max) {
            const std::string& reset = number > max ? row.Max : std::string("0");
            if (!quiet) {
                const std::string text =
                    "The value for " + rs.text(VoiceDataField::Title) + " (" + platform::Trim(value) +
                    ")  is outside the permitted range (" + Str(0) + " to" +
                    Str(static_cast<std::int64_t>(max)) + " )" + kCrLf +
                    " If you continue the value will be reset to " + reset + "." + kCrLf +
                    " OK to continue loading this voice ?";
                const auto answer = platform::messages().messageBox(
                    text, platform::MsgStyle::YesNo + platform::MsgStyle::Information,
                    "Error in Voice Data");
                if (answer == platform::MsgAnswer::No) {
                    refused = true;
                    return;
                }
            }
            value = reset;
        }
        rs.setValue(VoiceDataField::Value, value);
        rs.setValue(VoiceDataField::Min, std::string("0"));
        rs.setValue(VoiceDataField::Max, row.Max);
        rs.setValue(VoiceDataField::Group, row.Group);
        rs.setValue(VoiceDataField::SubGroup, row.SubGroup);
        rs.setValue(VoiceDataField::OpGroup, row.OpGroup);
        rs.setValue(VoiceDataField::EGChartXVal, 0.0);
        rs.setValue(VoiceDataField::EGChartKoffXVal, 0.0);

        std::string proxy = row.ProxyFieldID;
        const std::size_t inBlock = r % kUnpackedOperatorSize;
        if (r < Unpacked::kPitchEgRate1) {
            if (inBlock == UnpackedOp::kOscMode)
                oscMode = static_cast<int>(platform::Val(value));
            // Coarse and fine read "Freq.Ratio Fine" (4) in ratio mode, "Fixed Freq.Fine" (3)
            // in fixed mode; the mode is taken after its range check, so a bad mode byte
            // cannot point the rows at an unrelated column.
            if (inBlock == UnpackedOp::kFreqCoarse || inBlock == UnpackedOp::kFreqFine)
                proxy = Str(4 - oscMode);
        }
        rs.setValue(VoiceDataField::ProxyFieldID, proxy);
        rs.setValue(VoiceDataField::ProxyVal, std::string("Not Set"));
        rs.setValue(VoiceDataField::RandomGroup, row.RandomGroup);
        rs.update();
        if (overwrite)
            rs.moveNext();
    }
    rs.moveFirst();
}

// ---- source file

void clsVoiceData::AddSourceFile(VoiceListView& vcelist)
{
    m_fileName = vcelist.FileName();
    m_fileTitle = vcelist.FileTitle();
    m_filePath = vcelist.FilePath();
    m_fileType = std::to_string(toCode(vcelist.fileType()));
}

// ---- transfer

std::int32_t clsVoiceData::PutVoiceDataInString(platform::Recordset& rs, std::string& strbuf,
                                                banklib::FileType FType, bool Flag)
{
    strbuf.clear();
    std::string voice;
    voice.reserve(kUnpackedVoiceSize);
    rs.moveFirst();
    for (std::size_t r = 0; r < kUnpackedVoiceSize; ++r) {
        if (rs.isEOF())
            return 0;
        const std::string value = rs.text(VoiceDataField::Value);
        if (r >= Unpacked::kName) {
            voice += value.empty() ? ' ' : value[0];
        } else {
            std::uint8_t b = 0;
            if (!parseByteValue(value, b))
                return 0;
            voice += static_cast<char>(b);
        }
        rs.moveNext();
    }
    const auto fingerprint = static_cast<std::int32_t>(crc32(voice));
    strbuf = (isPackedLayout(FType) && Flag) ? Pack(voice) : voice;
    return fingerprint;
}

bool clsVoiceData::SaveVoiceData(platform::Recordset& rsmfimage, banklib::FileType FType,
                                 std::int32_t VoiceNo, std::string_view strVoiceData, bool AddNewVoice)
{
    if (strVoiceData.size() != kUnpackedVoiceSize)
        return true;
    platform::Bookmark target = platform::kNoBookmark;
    if (AddNewVoice) {
        target = rsmfimage.addNew();
    } else {
        if (VoiceNo < 1 || VoiceNo > rsmfimage.recordCount())
            return true;
        rsmfimage.setAbsolutePosition(VoiceNo);
        target = rsmfimage.bookmark();
    }
    return SaveVoiceDataAt(rsmfimage, FType, target, strVoiceData);
}

bool clsVoiceData::SaveVoiceDataAt(platform::Recordset& rsmfimage, banklib::FileType FType,
                                   platform::Bookmark target, std::string_view strVoiceData)
{
    if (strVoiceData.size() != kUnpackedVoiceSize || !isVoiceLayout(FType))
        return true;
    if (!rsmfimage.moveToBookmark(target))
        return true;
    const std::string voice = isPackedLayout(FType) ? Pack(strVoiceData) : std::string(strVoiceData);
    rsmfimage.setValue(VoiceListField::Data, voice.substr(0, voice.size() - kNameLength));
    rsmfimage.setValue(VoiceListField::Names, voice.substr(voice.size() - kNameLength));
    return false;
}

bool clsVoiceData::GetVoiceData(platform::Recordset& rsmfimage, std::int32_t VoiceNo,
                                banklib::FileType VType, platform::Recordset& rsVoiceData,
                                std::int32_t& checksum, bool NoWarning, std::string& VoiceAsString,
                                std::int16_t PackVoice)
{
    checksum = 0;
    if (VoiceNo < 1 || VoiceNo > rsmfimage.recordCount())
        return true;
    rsmfimage.setAbsolutePosition(VoiceNo);
    return GetVoiceDataAt(rsmfimage, rsmfimage.bookmark(), VType, rsVoiceData, checksum, NoWarning,
                          VoiceAsString, PackVoice);
}

bool clsVoiceData::GetVoiceDataAt(platform::Recordset& rsmfimage, platform::Bookmark voice,
                                  banklib::FileType VType, platform::Recordset& rsVoiceData,
                                  std::int32_t& checksum, bool NoWarning, std::string& VoiceAsString,
                                  std::int16_t PackVoice)
{
    checksum = 0;
    if (!isVoiceLayout(VType) || !rsmfimage.moveToBookmark(voice))
        return true;
    const bool stringOnly = VoiceAsString == kGetVoiceAsStringOnly;
    std::string unpacked;
    {
        BusyCursor busy;
        std::string stored = rowVoice(rsmfimage, VType);
        if (isPackedLayout(VType)) {
            if (stringOnly && PackVoice == kPackVoice) {
                VoiceAsString = std::move(stored);
                return false;
            }
            unpacked = Unpack(stored);
            if (stringOnly) {
                VoiceAsString = unpacked;
                return false;
            }
        } else {
            if (stringOnly) {
                VoiceAsString = PackVoice == kPackVoice ? Pack(stored) : std::move(stored);
                return false;
            }
            unpacked = std::move(stored);
        }
    }
    bool refused = false;
    LoadVoiceIntoRecordset(rsDXVoiceData, unpacked, NoWarning, refused);
    if (!refused) {
        checksum = static_cast<std::int32_t>(crc32(unpacked));
        rsVoiceData = rsDXVoiceData.clone();
    }
    return false;
}

}  // namespace banklib
