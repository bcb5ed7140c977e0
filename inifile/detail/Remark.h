// Tavisco (internal) - the remark rule shared by sections and keys.
#pragma once

#include <string>
#include <string_view>

namespace tavisco::detail {

// The line break of the INI text.
inline constexpr char kCrLf[] = "\r\n";

// Splits text at every CR LF, puts ";" in front of every non-empty line that does not
// already start with one, and joins the lines again with CR LF. A trailing CR LF stays.
std::string normaliseRemark(std::string_view text);

// True when text ends with CR LF.
bool endsWithCrLf(std::string_view text) noexcept;

}  // namespace tavisco::detail
