// Tavisco (internal) - the class behind Key.
#pragma once

#include "inifile/Error.h"
#include "inifile/Key.h"
#include "inifile/Value.h"

#include <string>
#include <string_view>

namespace tavisco::detail {

class KeyObject final : public Key {
public:
    std::string Name() const noexcept override { return m_name; }
    Error setName(std::string_view name) noexcept override;
    tavisco::Value Value() const noexcept override { return m_value; }
    void setValue(const tavisco::Value& value) noexcept override { m_value = value; }
    std::string Remark() const noexcept override { return m_remark; }
    void setRemark(std::string_view remark) noexcept override;
    std::string GetText(bool includeRemark) const noexcept override;

private:
    std::string m_name;
    tavisco::Value m_value;
    std::string m_remark;
};

}  // namespace tavisco::detail
