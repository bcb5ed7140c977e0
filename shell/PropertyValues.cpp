// Brevane - turning settings values into property values.
#include "shell/PropertyValues.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace shell {
namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::optional<double> parseNumber(std::string_view s)
{
    s = trimmed(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return std::nullopt;
    double d = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<std::int32_t> roundToInt32(double d)
{
    const double r = std::nearbyint(d);  // the default rounding mode: half to even
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

}  // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

std::optional<std::int32_t> toInt32(const tavisco::Value& v)
{
    if (auto b = v.boolean())
        return *b ? -1 : 0;
    if (auto i = v.integer()) {
        if (*i < std::numeric_limits<std::int32_t>::min() || *i > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
        return static_cast<std::int32_t>(*i);
    }
    if (auto d = v.number())
        return std::isfinite(*d) ? roundToInt32(*d) : std::nullopt;
    if (const std::string* s = v.string()) {
        const std::string_view t = trimmed(*s);
        if (sameName(t, "True"))
            return -1;
        if (sameName(t, "False"))
            return 0;
        if (auto d = parseNumber(t))
            return roundToInt32(*d);
    }
    return std::nullopt;
}

std::optional<bool> toBoolean(const tavisco::Value& v)
{
    if (auto b = v.boolean())
        return *b;
    if (auto i = v.integer())
        return *i != 0;
    if (auto d = v.number())
        return *d != 0.0;
    if (const std::string* s = v.string()) {
        const std::string_view t = trimmed(*s);
        if (sameName(t, "True"))
            return true;
        if (sameName(t, "False"))
            return false;
        if (auto d = parseNumber(t))
            return *d != 0.0;
    }
    return std::nullopt;
}

std::string toText(const tavisco::Value& v) { return v.toText(); }

}  // namespace shell
