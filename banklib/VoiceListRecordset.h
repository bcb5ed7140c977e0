// Brevane - the recordset of one open bank file: one record per voice in file order.
#pragma once

#include "platform/Recordset.h"

#include <vector>

namespace banklib {

// Field indexes of a VoiceListRecordset, in field order.
namespace VoiceListField {
constexpr int ID = 0;              // text: the voice's number in its file, "1", "2", ...
constexpr int Data = 1;            // text: the voice without its name (145 or 118 bytes)
constexpr int Names = 2;           // fixed text 10: the voice name
constexpr int CRCAll = 3;          // fixed text 15: CRC-32 of Data + Names, " 123" / "-123"
constexpr int CRCExName = 4;       // fixed text 15: CRC-32 of Data
constexpr int ChecksumAll = 5;     // fixed text 15: DX7 checksum of Data + Names
constexpr int ChecksumExName = 6;  // fixed text 15: DX7 checksum of Data
constexpr int DelSelected = 7;     // Boolean: marked by the duplicate search
constexpr int Count = 8;
}  // namespace VoiceListField

// The eight fields of a VoiceListRecordset.
[[nodiscard]] std::vector<platform::FieldDef> voiceListFields();

}  // namespace banklib
