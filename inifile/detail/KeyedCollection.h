// Tavisco (internal) - an ordered collection whose members may carry a key.
#pragma once

#include "inifile/Error.h"
#include "inifile/Index.h"
#include "inifile/Ref.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavisco::detail {

// Keys compare without regard to case; only ASCII letters are folded, so the comparison is
// the same in every locale and never splits a multi-byte character.
inline char foldCase(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string foldCase(std::string_view key)
{
    std::string folded(key);
    for (char& c : folded)
        c = foldCase(c);
    return folded;
}

// The members in order; a member added with a key can also be found by it. A member added
// without a key (a duplicate the parser met) is reached by position and enumeration only.
// Failures are reported with the collection's class name as source.
template <typename T>
class KeyedCollection {
public:
    explicit KeyedCollection(const char* source) : m_source(source) {}

    [[nodiscard]] std::int32_t count() const noexcept { return static_cast<std::int32_t>(m_entries.size()); }

    // Adds item under key, at the end or before/after the member they pick.
    Error add(Ref<T> item, std::string_view key, const Index& before, const Index& after)
    {
        std::size_t at = m_entries.size();
        if (!before.isMissing() && !after.isMissing())
            return Error::make(ErrorNumber::InvalidArgument, m_source);
        if (!before.isMissing() || !after.isMissing()) {
            Result<std::size_t> found = locate(before.isMissing() ? after : before);
            if (found.failed())
                return found.error;
            at = before.isMissing() ? found.value + 1 : found.value;
        }
        std::string folded = foldCase(key);
        if (m_byKey.contains(folded))
            return Error::make(ErrorNumber::DuplicateKey, m_source);
        T* raw = item.get();
        m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(at), Entry{std::move(item), true, folded});
        m_byKey.emplace(std::move(folded), raw);
        return {};
    }

    // Adds item under key at the end, or without a key when the key is already taken.
    void addKeyedOrUnkeyed(Ref<T> item, std::string_view key)
    {
        std::string folded = foldCase(key);
        const bool keyed = !m_byKey.contains(folded);
        if (keyed)
            m_byKey.emplace(folded, item.get());
        m_entries.push_back(Entry{std::move(item), keyed, keyed ? std::move(folded) : std::string{}});
    }

    Result<Ref<T>> item(const Index& index) const
    {
        if (index.isName()) {
            const auto it = m_byKey.find(foldCase(index.name()));
            if (it != m_byKey.end())
                return {Ref<T>::retain(it->second), {}};
        }
        Result<std::size_t> found = locate(index);
        if (found.failed())
            return {{}, found.error};
        return {m_entries[found.value].item, {}};
    }

    Error remove(const Index& index)
    {
        Result<std::size_t> found = locate(index);
        if (found.failed())
            return found.error;
        auto entry = m_entries.begin() + static_cast<std::ptrdiff_t>(found.value);
        if (entry->keyed)
            m_byKey.erase(entry->foldedKey);
        m_entries.erase(entry);
        return {};
    }

    void clear() noexcept
    {
        m_byKey.clear();
        m_entries.clear();
    }

    [[nodiscard]] std::vector<Ref<T>> members() const
    {
        std::vector<Ref<T>> out;
        out.reserve(m_entries.size());
        for (const Entry& e : m_entries)
            out.push_back(e.item);
        return out;
    }

    template <typename F>
    void forEach(F&& f) const
    {
        for (const Entry& e : m_entries)
            f(*e.item);
    }

private:
    struct Entry {
        Ref<T> item;
        bool keyed = false;
        std::string foldedKey;
    };

    // 0-based place of the member a position (from 1) or a name picks.
    Result<std::size_t> locate(const Index& index) const
    {
        if (index.isPosition()) {
            const std::int32_t p = index.position();
            if (p < 1 || p > count())
                return {0, Error::make(ErrorNumber::SubscriptOutOfRange, m_source)};
            return {static_cast<std::size_t>(p - 1), {}};
        }
        if (index.isName()) {
            const auto it = m_byKey.find(foldCase(index.name()));
            if (it != m_byKey.end()) {
                const auto entry = std::find_if(m_entries.begin(), m_entries.end(),
                                                [&](const Entry& e) { return e.keyed && e.item.get() == it->second; });
                return {static_cast<std::size_t>(entry - m_entries.begin()), {}};
            }
        }
        return {0, Error::make(ErrorNumber::InvalidArgument, m_source)};
    }

    const char* m_source;
    std::vector<Entry> m_entries;
    std::unordered_map<std::string, T*> m_byKey;
};

}  // namespace tavisco::detail
