// Tavisco (internal) - one Name=Value line.
#include "inifile/detail/KeyObject.h"

#include "inifile/detail/Remark.h"

namespace tavisco::detail {

Error KeyObject::setName(std::string_view name) noexcept
{
    if (name.empty())
        return Error::make(ErrorNumber::InvalidKeyName, "Key");
    m_name = name;
    return {};
}

void KeyObject::setRemark(std::string_view remark) noexcept
{
    m_remark = normaliseRemark(remark);
}

std::string KeyObject::GetText(bool includeRemark) const noexcept
{
    std::string text;
    if (includeRemark && !m_remark.empty()) {
        text = m_remark;
        if (!endsWithCrLf(text))
            text += kCrLf;
    }
    text += m_name;
    const std::string value = m_value.toText();
    if (!value.empty()) {
        text += '=';
        text += value;
    }
    text += kCrLf;
    return text;
}

}  // namespace tavisco::detail
