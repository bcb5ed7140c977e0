// Tavisco (internal) - one section, its text and the property-bag helpers.
#include "inifile/detail/SectionObject.h"

#include "inifile/detail/Make.h"
#include "inifile/detail/Remark.h"

#include <exception>

namespace tavisco::detail {

namespace {

constexpr std::string_view kDefaultPrefix = "Item";

std::string keyName(std::string_view prefix, std::size_t i)
{
    std::string name(prefix.empty() ? kDefaultPrefix : prefix);
    name += std::to_string(i);
    return name;
}

}  // namespace

SectionObject::SectionObject() : m_keys(make<KeysObject>()) {}

void SectionObject::setRemark(std::string_view remark) noexcept
{
    m_remark = normaliseRemark(remark);
}

std::string SectionObject::GetText(bool includeKeys, bool includeRemarks) const noexcept
{
    std::string head = "[" + m_name + "]";
    if (includeRemarks && !m_remark.empty()) {
        if (m_inlineRemark) {
            head += ' ';
            head += m_remark;
        } else {
            std::string remark = m_remark;
            if (!endsWithCrLf(remark))
                remark += kCrLf;
            head = remark + head;
        }
    }
    std::string text = head + kCrLf;
    if (includeKeys)
        m_keys->items().forEach([&](const KeyObject& key) { text += key.GetText(includeRemarks); });
    return text;
}

Error SectionObject::LoadFromArray(std::span<const tavisco::Value> arr, std::string_view prefix,
                                   bool ignoreEmptyItems) noexcept
{
    try {
        m_keys = make<KeysObject>();
        for (std::size_t i = 0; i < arr.size(); ++i) {
            if (ignoreEmptyItems && arr[i].toText().empty())
                continue;
            Result<Ref<Key>> added = m_keys->Add(keyName(prefix, i), arr[i], {}, {}, {});
            if (added.failed())
                return std::move(added.error);
        }
        return {};
    } catch (...) {
        return Error::make(ErrorNumber::OutOfMemory, "Section");
    }
}

void SectionObject::SaveToArray(std::span<tavisco::Value> arr, std::string_view prefix) const noexcept
{
    for (std::size_t i = 0; i < arr.size(); ++i) {
        try {
            arr[i] = tavisco::Value();
            if (Ref<KeyObject> key = m_keys->find(keyName(prefix, i)))
                arr[i] = key->Value();
        } catch (const std::exception&) {
            // Passed over: the element stays empty.
        }
    }
}

void SectionObject::LoadFromObject(PropertyBag& obj, std::span<const std::string> properties) noexcept
{
    for (const std::string& name : properties) {
        try {
            const std::optional<tavisco::Value> value = obj.readProperty(name);
            if (!value)
                continue;
            // A name already present (or an empty one) is refused by Add; the old key stays.
            (void)m_keys->Add(name, tavisco::Value(value->toText()), {}, {}, {});
        } catch (...) {
            // A property whose read throws is one that cannot be read: no key.
        }
    }
}

void SectionObject::SaveToObject(PropertyBag& obj) const noexcept
{
    for (const Ref<KeyObject>& key : m_keys->items().members()) {
        try {
            (void)obj.writeProperty(key->Name(), key->Value());
        } catch (...) {
            // A refused value leaves the property as it was; go on with the next key.
        }
    }
}

}  // namespace tavisco::detail
