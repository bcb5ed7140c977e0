// Tavisco - a position or a name that picks a member of a collection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace tavisco {

// Picks one member of a Sections or Keys collection: a position counted from 1, or a name
// compared without regard to case. A default Index is "missing" (an omitted Before/After).
class Index {
public:
    Index() noexcept = default;
    Index(std::int32_t position) noexcept : m_data(position) {}
    Index(std::string name) noexcept : m_data(std::move(name)) {}
    Index(std::string_view name) : m_data(std::string(name)) {}
    Index(const char* name) : m_data(std::string(name ? name : "")) {}

    [[nodiscard]] bool isMissing() const noexcept { return std::holds_alternative<std::monostate>(m_data); }
    [[nodiscard]] bool isPosition() const noexcept { return std::holds_alternative<std::int32_t>(m_data); }
    [[nodiscard]] bool isName() const noexcept { return std::holds_alternative<std::string>(m_data); }
    // Valid only when isPosition() / isName().
    [[nodiscard]] std::int32_t position() const noexcept { return *std::get_if<std::int32_t>(&m_data); }
    [[nodiscard]] const std::string& name() const noexcept { return *std::get_if<std::string>(&m_data); }

private:
    std::variant<std::monostate, std::int32_t, std::string> m_data;
};

}  // namespace tavisco
