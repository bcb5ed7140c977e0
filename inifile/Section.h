// Tavisco - one [section] of an INI file with its keys.
#pragma once

#include "inifile/ClassIds.h"
#include "inifile/Error.h"
#include "inifile/Keys.h"
#include "inifile/Object.h"
#include "inifile/PropertyBag.h"
#include "inifile/Ref.h"
#include "inifile/Value.h"

#include <span>
#include <string>
#include <string_view>

namespace tavisco {

class TAVISCO_EXPORT Section : public Object {
public:
    static constexpr const char* kClassId = kClsidSection;

    // The name of this section (without surrounding brackets).
    // The name without the enclosing brackets; any text, the empty text included.
    [[nodiscard]] virtual std::string Name() const noexcept = 0;
    virtual void setName(std::string_view name) noexcept = 0;

    // The Keys collection
    [[nodiscard]] virtual Ref<tavisco::Keys> Keys() const noexcept = 0;

    // The comment associated to this section. This is the text that precedes this section in the
    // INI file.
    // The remark lines before the header (joined by CR LF), or the remark written on the
    // header line itself. Setting it puts ";" in front of every line that does not start
    // with one; empty lines stay empty.
    [[nodiscard]] virtual std::string Remark() const noexcept = 0;
    virtual void setRemark(std::string_view remark) noexcept = 0;

    // The text of this section header, optionally preceded by the remark and followed by the text
    // of all keys.
    // The header line "[Name]" and CR LF; with includeRemarks the remark too (before the
    // header, or after it on the same line when it was read from there); with includeKeys
    // followed by every key's text.
    [[nodiscard]] virtual std::string GetText(bool includeKeys = false, bool includeRemarks = false) const noexcept = 0;

    // Property-bag helpers: copy values between this section and arrays or objects.

    // Replaces the keys with one key per element of arr: named prefix followed by the index
    // in decimal (prefix "File " and index 0 give "File 0"), holding the element's value.
    // An empty prefix means "Item". With ignoreEmptyItems, elements whose text is empty get
    // no key. Fails as Keys::Add does; keys added before the failure stay.
    virtual Error LoadFromArray(std::span<const tavisco::Value> arr, std::string_view prefix = {},
                                bool ignoreEmptyItems = false) noexcept = 0;
    // Sets every element of arr to the value of the key named prefix followed by its index,
    // and to empty when there is no such key. An empty prefix means "Item". Never fails; the
    // keys are not changed.
    virtual void SaveToArray(std::span<tavisco::Value> arr, std::string_view prefix = {}) const noexcept = 0;
    // For each name in order, reads that property of obj and adds a key of that name whose
    // value is the property's text form. A property that cannot be read adds no key; a name
    // already present keeps its old key and value. Never fails.
    virtual void LoadFromObject(PropertyBag& obj, std::span<const std::string> properties) noexcept = 0;
    // Assigns each key's value, in order, to the property of obj named like the key. A key
    // naming no writable property, or a value the property refuses, is passed over. Never fails.
    virtual void SaveToObject(PropertyBag& obj) const noexcept = 0;

protected:
    Section() = default;
    ~Section() override = default;
};

}  // namespace tavisco
