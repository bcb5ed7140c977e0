// Tavisco - the any-typed value of a key.
#pragma once

#include "inifile/tavisco_export.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tavisco {

// A key's value: empty, a Boolean, an integer, a floating-point number or a text (bytes, one
// character per byte). "Empty" is not the same as the empty text: the parser reads a bare
// `Name` line as an empty value and `Name=` as the empty text, and settings such as a chosen
// synthesizer type rely on telling them apart.
class TAVISCO_EXPORT Value {
public:
    // Kinds of value; the numbers are pinned to the automation variant types.
    enum class Type : std::int32_t { Empty = 0, Integer = 3, Double = 5, String = 8, Boolean = 11 };

    Value() noexcept = default;
    Value(bool b) noexcept : m_data(b) {}
    template <std::integral I>
        requires(!std::same_as<I, bool> && !std::same_as<I, char>)
    Value(I i) noexcept : m_data(static_cast<std::int64_t>(i))
    {
    }
    Value(double d) noexcept : m_data(d) {}
    Value(std::string s) noexcept : m_data(std::move(s)) {}
    Value(std::string_view s) : m_data(std::string(s)) {}
    Value(const char* s) : m_data(std::string(s ? s : "")) {}

    [[nodiscard]] Type type() const noexcept;
    [[nodiscard]] bool isEmpty() const noexcept { return std::holds_alternative<std::monostate>(m_data); }

    // The stored value when it is of that kind; no conversion.
    [[nodiscard]] std::optional<bool> boolean() const noexcept;
    [[nodiscard]] std::optional<std::int64_t> integer() const noexcept;
    [[nodiscard]] std::optional<double> number() const noexcept;
    [[nodiscard]] const std::string* string() const noexcept { return std::get_if<std::string>(&m_data); }

    // The text form, the same whatever the locale: empty gives "", Booleans "True" or "False",
    // integers in decimal ("-7", "42"), floating-point numbers in the shortest decimal form
    // that reads back to the same number with "." as the decimal point ("0.5", "1e+20").
    [[nodiscard]] std::string toText() const;

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string> m_data;
};

}  // namespace tavisco
