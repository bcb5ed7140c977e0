// Brevane - matching voice names against a find text or a "like" pattern.
#include "banklib/NamePattern.h"

#include "platform/Recordset.h"

namespace banklib {
namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool isWild(char c) { return c == '*' || c == '%'; }

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Whether upper-case `part` equals the name's characters from `at`, compared in upper case.
bool equalAt(std::string_view name, std::size_t at, std::string_view part)
{
    if (at + part.size() > name.size())
        return false;
    for (std::size_t i = 0; i < part.size(); ++i)
        if (upper(name[at + i]) != part[i])
            return false;
    return true;
}

}  // namespace

std::string normalisedName(std::string_view name)
{
    name = trimRight(name);
    std::string out(name);
    for (char& c : out)
        c = upper(c);
    return out;
}

bool NamePattern::isValid(std::string_view pattern)
{
    return platform::isValidLikePattern(pattern) && pattern.find('\'') == std::string_view::npos;
}

NamePattern::NamePattern(std::string_view text, bool wildcards)
{
    if (wildcards) {
        m_usable = isValid(text);
        m_lead = !text.empty() && isWild(text.front());
        if (m_lead)
            text.remove_prefix(1);
        m_trail = !text.empty() && isWild(text.back());
        if (m_trail)
            text.remove_suffix(1);
    }
    // Blanks before a trailing wildcard are part of what the name must hold there; at
    // the end of a whole-name text they are ignored, as the names' own trailing blanks are.
    if (!m_trail)
        text = trimRight(text);
    m_text.assign(text);
    for (char& c : m_text)
        c = upper(c);
}

bool NamePattern::matches(std::string_view name) const
{
    if (!m_usable)
        return false;
    // Names are stored padded with blanks to 10 characters: a part that a wildcard
    // follows may take in those blanks ("BASS *" matches BASS), an end may not.
    const std::string_view trimmed = trimRight(name);
    const std::size_t n = m_text.size();
    if (m_lead && m_trail) {
        if (n == 0)
            return true;
        for (std::size_t at = 0; at + n <= name.size(); ++at)
            if (equalAt(name, at, m_text))
                return true;
        return false;
    }
    if (m_trail)
        return equalAt(name, 0, m_text);
    if (m_lead)
        return trimmed.size() >= n && equalAt(trimmed, trimmed.size() - n, m_text);
    return trimmed.size() == n && equalAt(trimmed, 0, m_text);
}

}  // namespace banklib
