// Tavisco - text form of values.
#include "inifile/Value.h"

#include <array>
#include <charconv>

namespace tavisco {

namespace {

// std::to_chars never looks at the locale.
template <typename N>
std::string decimal(N n)
{
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), n);
    return ec == std::errc{} ? std::string(buffer.data(), end) : std::string{};
}

}  // namespace

Value::Type Value::type() const noexcept
{
    switch (m_data.index()) {
    case 1: return Type::Boolean;
    case 2: return Type::Integer;
    case 3: return Type::Double;
    case 4: return Type::String;
    default: return Type::Empty;
    }
}

std::optional<bool> Value::boolean() const noexcept
{
    if (const bool* b = std::get_if<bool>(&m_data))
        return *b;
    return std::nullopt;
}

std::optional<std::int64_t> Value::integer() const noexcept
{
    if (const std::int64_t* i = std::get_if<std::int64_t>(&m_data))
        return *i;
    return std::nullopt;
}

std::optional<double> Value::number() const noexcept
{
    if (const double* d = std::get_if<double>(&m_data))
        return *d;
    return std::nullopt;
}

std::string Value::toText() const
{
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(std::int64_t i) const { return decimal(i); }
        std::string operator()(double d) const { return decimal(d); }
    };
    return std::visit(Visitor{}, m_data);
}

}  // namespace tavisco
