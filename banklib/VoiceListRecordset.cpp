// Brevane - the recordset of one open bank file.
#include "banklib/VoiceListRecordset.h"

namespace banklib {

std::vector<platform::FieldDef> voiceListFields()
{
    using platform::FieldType;
    return {{"ID", FieldType::Text, 10},           {"Data", FieldType::Text, 145},
            {"Names", FieldType::FixedText, 10},   {"CRCAll", FieldType::FixedText, 15},
            {"CRCExName", FieldType::FixedText, 15}, {"ChecksumAll", FieldType::FixedText, 15},
            {"ChecksumExName", FieldType::FixedText, 15}, {"DelSelected", FieldType::Boolean, 1}};
}

}  // namespace banklib
