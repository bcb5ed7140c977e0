// Tavisco (internal) - the remark rule shared by sections and keys.
#include "inifile/detail/Remark.h"

namespace tavisco::detail {

namespace {
constexpr std::string_view kLineBreak = "\r\n";
constexpr char kRemarkChar = ';';
}  // namespace

std::string normaliseRemark(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (;;) {
        const std::size_t end = text.find(kLineBreak);
        const std::string_view line = text.substr(0, end);
        if (!line.empty() && line.front() != kRemarkChar)
            out += kRemarkChar;
        out += line;
        if (end == std::string_view::npos)
            break;
        out += kLineBreak;
        text.remove_prefix(end + kLineBreak.size());
    }
    return out;
}

bool endsWithCrLf(std::string_view text) noexcept
{
    return text.ends_with(kLineBreak);
}

}  // namespace tavisco::detail
