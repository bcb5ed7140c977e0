// Brevane - turning settings values into property values.
//
// Settings are applied by property name; each property takes the key's value the way an
// any-typed assignment would: "12" and 12 are both the number 12, "True" and -1 are both
// True. A value that does not convert is refused and the property keeps its old value.
#pragma once

#include "inifile/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace shell {

// A whole 32-bit number: an integer, a floating-point number rounded half to even, a
// Boolean (True -1, False 0) or a text holding one of these; nullopt otherwise, and for
// values outside the 32-bit range and for Empty.
[[nodiscard]] std::optional<std::int32_t> toInt32(const tavisco::Value& v);
// A Boolean: "True"/"False" in any letter case, or a number (non-zero is True); nullopt
// otherwise and for Empty.
[[nodiscard]] std::optional<bool> toBoolean(const tavisco::Value& v);
// The value's text ("" for Empty).
[[nodiscard]] std::string toText(const tavisco::Value& v);
// ASCII names compared without regard to letter case, as property names are.
[[nodiscard]] bool sameName(std::string_view a, std::string_view b);

}  // namespace shell
