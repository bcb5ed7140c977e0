// Tavisco (internal) - the class behind Section.
#pragma once

#include "inifile/Error.h"
#include "inifile/PropertyBag.h"
#include "inifile/Ref.h"
#include "inifile/Section.h"
#include "inifile/Value.h"
#include "inifile/detail/KeysObject.h"

#include <span>
#include <string>
#include <string_view>

namespace tavisco::detail {

class SectionObject final : public Section {
public:
    SectionObject();

    std::string Name() const noexcept override { return m_name; }
    void setName(std::string_view name) noexcept override { m_name = name; }
    Ref<tavisco::Keys> Keys() const noexcept override { return m_keys; }
    std::string Remark() const noexcept override { return m_remark; }
    void setRemark(std::string_view remark) noexcept override;
    std::string GetText(bool includeKeys, bool includeRemarks) const noexcept override;
    Error LoadFromArray(std::span<const tavisco::Value> arr, std::string_view prefix,
                        bool ignoreEmptyItems) noexcept override;
    void SaveToArray(std::span<tavisco::Value> arr, std::string_view prefix) const noexcept override;
    void LoadFromObject(PropertyBag& obj, std::span<const std::string> properties) noexcept override;
    void SaveToObject(PropertyBag& obj) const noexcept override;

    // True when the remark stands on the header line (set by the parser).
    bool InlineRemark() const noexcept { return m_inlineRemark; }
    void setInlineRemark(bool inlineRemark) noexcept { m_inlineRemark = inlineRemark; }
    KeysObject& keys() const noexcept { return *m_keys; }

private:
    Ref<KeysObject> m_keys;
    std::string m_name;
    std::string m_remark;
    bool m_inlineRemark = false;
};

}  // namespace tavisco::detail
