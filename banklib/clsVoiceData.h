// Brevane - one DX7 voice: codec, parameter recordsets and transfer to and from a list.
//
// The codec converts a voice between its unpacked layout (155 bytes, one per parameter)
// and its packed layout (128 bytes, bulk-dump order) through a fixed bit map. The
// VoiceData recordset shows one voice as 155 parameter rows with titles, bounds and
// display hints for grids; ProxyData gives the display texts of coded values. The
// transfer operations move one voice between a voice list's VoiceListRecordset and
// VoiceData, and SaveVoice is the save-back step of a voice editor.
//
// A voice travels either as a byte string (std::string, one character per byte, any
// byte value) or as a byte array; both carry the same bytes.
#pragma once

#include "banklib/VoiceFormat.h"
#include "platform/Recordset.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace banklib {

class VoiceEditorView;
class VoiceListView;

// One field of the bit map: unpacked parameter number (from 1) and its first and last bit
// (from 1 = least significant) in the packed byte. A first bit of -1 marks a whole-byte
// entry in the first triple and an unused triple otherwise.
struct PackMapTriple {
    std::int16_t param = 0;
    std::int16_t firstBit = -1;
    std::int16_t lastBit = -1;
};

// What feeds one packed byte (numbered from 1): up to three fields in ascending bit order.
struct PackMapEntry {
    std::int16_t packedByte = 0;
    std::array<PackMapTriple, 3> triples{};
};

using PackMap = std::array<PackMapEntry, kPackedVoiceSize>;

// Field indexes of the VoiceData recordset.
namespace VoiceDataField {
constexpr int ParamID = 0;
constexpr int Title = 1;
constexpr int ShortTitle = 2;
constexpr int Value = 3;
constexpr int Min = 4;
constexpr int Max = 5;
constexpr int Group = 6;
constexpr int SubGroup = 7;
constexpr int OpGroup = 8;
constexpr int EGChartXVal = 9;
constexpr int EGChartKoffXVal = 10;
constexpr int ProxyFieldID = 11;
constexpr int ProxyVal = 12;
constexpr int RandomGroup = 13;
}  // namespace VoiceDataField

// Field indexes of the ProxyData recordset; a VoiceData ProxyFieldID of n names field n.
namespace ProxyDataField {
constexpr int ParamID = 0;
constexpr int LevelScaling = 1;
constexpr int OscMode = 2;
constexpr int FixedFreqFine = 3;
constexpr int FreqRatioFine = 4;
constexpr int Detune = 5;
constexpr int OscKeySync = 6;
constexpr int LFOKeySync = 7;
constexpr int LFOWave = 8;
constexpr int Transpose = 9;
constexpr int BreakPoint = 10;
}  // namespace ProxyDataField

// Number of parameter rows of VoiceData and of value rows of ProxyData.
constexpr int kVoiceDataRows = static_cast<int>(kUnpackedVoiceSize);
constexpr int kProxyDataRows = 100;

// Mode text of GetVoiceData that asks for the voice string only (compared exactly).
constexpr std::string_view kGetVoiceAsStringOnly = "GetVoiceasStringOnly";
// PackVoice value of GetVoiceData that asks for the packed form.
constexpr std::int16_t kPackVoice = 2;

class clsVoiceData {
public:
    clsVoiceData();

    // The VoiceData recordset (155 parameter rows once a voice was loaded).
    platform::Recordset rsDXVoiceData;
    // The ProxyData recordset (100 rows once InitProxyData ran).
    platform::Recordset rsDXProxyValues;

    // ---- codec
    // The 128-byte packed form of an unpacked voice. Every field is masked to its bits,
    // so an out-of-range value never reaches a neighbouring field; positions missing from
    // a short input read as 0.
    [[nodiscard]] std::string Pack(std::string_view iVce) const;
    // The same on byte arrays; obuf becomes exactly 128 bytes. Always true.
    bool PackByt(std::span<const std::uint8_t> ibuf, std::vector<std::uint8_t>& obuf) const;
    // The 155-byte unpacked form of a packed voice, or "" when the input is not 128 bytes.
    [[nodiscard]] std::string Unpack(std::string_view iVce) const;
    // The same on byte arrays: false (obuf untouched) unless the input is 128 bytes;
    // otherwise obuf becomes exactly 155 bytes.
    [[nodiscard]] bool UnpackByt(std::span<const std::uint8_t> ibuf, std::vector<std::uint8_t>& obuf) const;
    // Allocation-free forms for whole banks.
    static void packVoice(std::span<const std::uint8_t, kUnpackedVoiceSize> in,
                          std::span<std::uint8_t, kPackedVoiceSize> out);
    static void unpackVoice(std::span<const std::uint8_t, kPackedVoiceSize> in,
                            std::span<std::uint8_t, kUnpackedVoiceSize> out);
    // The bit map between the layouts (built once).
    [[nodiscard]] static const PackMap& packMap();
    // Bytes of one voice record of a layout: 155 (0), 163 (1), 128 (2 and 3), -1 otherwise.
    [[nodiscard]] static std::int32_t GetVoiceLength(banklib::FileType type);
    // The largest value of the unpacked parameter at 0-based position param in the
    // voice parameter table (the least is always 0); 0 past the end of the voice.
    [[nodiscard]] static std::uint8_t ParameterMaximum(std::size_t param);
    // DX7 checksum of the characters first..last (1-based, inclusive) of a string;
    // positions outside the string are ignored.
    [[nodiscard]] static std::uint8_t CalcChecksum(std::string_view text, std::int32_t first,
                                                   std::int32_t last);

    // ---- recordsets
    // "VoiceData" or "ProxyData" (compared exactly); nullptr for any other name.
    [[nodiscard]] platform::Recordset* GetDataMember(std::string_view dataMember);
    // Fills ProxyData and returns it.
    platform::Recordset& InitProxyData();

    // ---- source file of the voice
    [[nodiscard]] const std::string& FileName() const { return m_fileName; }
    [[nodiscard]] const std::string& FileTitle() const { return m_fileTitle; }
    [[nodiscard]] const std::string& FilePath() const { return m_filePath; }
    // The list's layout as plain decimal text ("2").
    [[nodiscard]] const std::string& FileType() const { return m_fileType; }
    void AddSourceFile(VoiceListView& vcelist);

    // ---- transfer between a voice list and VoiceData
    // Turns VoiceData back into a voice string: the 155 unpacked bytes, or their packed
    // form when FType is packed and Flag is set. Returns the CRC-32 of the unpacked voice,
    // or 0 (and an empty string) when a row is missing or a Value is not a byte value.
    [[nodiscard]] std::int32_t PutVoiceDataInString(platform::Recordset& rs, std::string& strbuf,
                                                    banklib::FileType FType, bool Flag);
    // Writes an unpacked voice (155 bytes) into row VoiceNo (1-based) of a list, packing
    // it first for a packed list, or appends it when AddNewVoice is set. False when
    // written; true when the row does not exist or the voice is not 155 bytes.
    [[nodiscard]] bool SaveVoiceData(platform::Recordset& rsmfimage, banklib::FileType FType,
                                     std::int32_t VoiceNo, std::string_view strVoiceData,
                                     bool AddNewVoice);
    // The same for the record with this bookmark; true when it no longer exists.
    [[nodiscard]] bool SaveVoiceDataAt(platform::Recordset& rsmfimage, banklib::FileType FType,
                                       platform::Bookmark target, std::string_view strVoiceData);
    // Reads voice VoiceNo (1-based) of a list. In string-only mode (VoiceAsString ==
    // kGetVoiceAsStringOnly on entry) VoiceAsString receives the voice, packed when
    // PackVoice is kPackVoice, else unpacked. Otherwise the voice is loaded into VoiceData
    // (quietly when NoWarning) and rsVoiceData becomes a view of it, with checksum set to
    // its CRC-32; a load the user refused leaves checksum 0 and rsVoiceData untouched.
    // Returns true when no voice was read (VoiceNo outside the list).
    [[nodiscard]] bool GetVoiceData(platform::Recordset& rsmfimage, std::int32_t VoiceNo,
                                    banklib::FileType VType, platform::Recordset& rsVoiceData,
                                    std::int32_t& checksum, bool NoWarning,
                                    std::string& VoiceAsString, std::int16_t PackVoice);
    // The same for the record with this bookmark.
    [[nodiscard]] bool GetVoiceDataAt(platform::Recordset& rsmfimage, platform::Bookmark voice,
                                      banklib::FileType VType, platform::Recordset& rsVoiceData,
                                      std::int32_t& checksum, bool NoWarning,
                                      std::string& VoiceAsString, std::int16_t PackVoice);
    // Writes an editor's voice back into its list. Without ClosingForms the active
    // editor and its list are used. Returns true when the caller must not go on with
    // what it is doing (the user cancelled, or the write failed and the edit is kept).
    [[nodiscard]] bool SaveVoice(bool DialogRequired, bool ClosingForms, VoiceListView* CurrentList,
                                 VoiceEditorView* CurrentEditor);

private:
    void LoadVoiceIntoRecordset(platform::Recordset& rs, std::string_view voice, bool quiet,
                                bool& refused);
    void FillProxyData(platform::Recordset& rs);

    std::string m_fileName;
    std::string m_fileTitle;
    std::string m_filePath;
    std::string m_fileType;
};

}  // namespace banklib
