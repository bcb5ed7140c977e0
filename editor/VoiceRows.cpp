// Brevane - row-by-row access to a VoiceData or ProxyData recordset.
#include "editor/VoiceRows.h"

#include "platform/VbText.h"

namespace editor {

std::string VoiceRows::text(int row, int field) const
{
    if (m_rs == nullptr || !has(row))
        return {};
    const platform::Value& v = m_rs->valueAt(bookmark(row), field);
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    if (const auto* d = std::get_if<double>(&v))
        return platform::Str(*d);
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return platform::Str(*i);
    if (const auto* b = std::get_if<bool>(&v))
        return *b ? "True" : "False";
    return {};
}

double VoiceRows::number(int row, int field) const
{
    if (m_rs == nullptr || !has(row))
        return 0.0;
    const platform::Value& v = m_rs->valueAt(bookmark(row), field);
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return static_cast<double>(*i);
    if (const auto* s = std::get_if<std::string>(&v))
        return platform::Val(*s);
    return 0.0;
}

void VoiceRows::set(int row, int field, platform::Value value) const
{
    if (m_rs != nullptr && has(row))
        m_rs->setValueAt(bookmark(row), field, std::move(value));
}

}  // namespace editor
