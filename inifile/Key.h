// Tavisco - one Name=Value line of an INI file.
#pragma once

#include "inifile/ClassIds.h"
#include "inifile/Error.h"
#include "inifile/Object.h"
#include "inifile/Value.h"

#include <string>
#include <string_view>

namespace tavisco {

// One key: its name (never empty once set), its any-typed value (empty until set) and the
// remark lines that precede it in the file. Created by Keys::Add, by the parser, or through
// the class factory.
class TAVISCO_EXPORT Key : public Object {
public:
    static constexpr const char* kClassId = kClsidKey;

    // The name of this key (can't be a null string)
    [[nodiscard]] virtual std::string Name() const noexcept = 0;
    // An empty name fails with InvalidKeyName (1001, source "Key", "Invalid Key name") and
    // leaves the name unchanged; any other text is stored as given.
    virtual Error setName(std::string_view name) noexcept = 0;

    // The value of this key
    [[nodiscard]] virtual tavisco::Value Value() const noexcept = 0;
    virtual void setValue(const tavisco::Value& value) noexcept = 0;

    // The comment associated to this key. This is the text that precedes this key in the INI file.
    // The remark lines, joined by CR LF. Setting it puts ";" in front of every line that does
    // not start with one; empty lines stay empty.
    [[nodiscard]] virtual std::string Remark() const noexcept = 0;
    virtual void setRemark(std::string_view remark) noexcept = 0;

    // The text of this key, in the Name=Value format.
    // The key's line, "Name=Value" followed by CR LF, or the bare name when the value's text
    // is empty; with includeRemark the remark lines come first.
    [[nodiscard]] virtual std::string GetText(bool includeRemark = false) const noexcept = 0;

protected:
    Key() = default;
    ~Key() override = default;
};

}  // namespace tavisco
