// Brevane - the recordset's values: text comparison, hashing, conversion to a field's
// type and the building of cells. Only the recordset's own files (RecordsetStorage.cpp,
// RecordsetViews.cpp, RecordsetFind.cpp) include it.
#pragma once

#include "platform/Recordset.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

namespace platform::detail {

inline std::atomic<Bookmark> g_nextBookmark{1};

inline Bookmark newBookmark() { return g_nextBookmark.fetch_add(1, std::memory_order_relaxed); }

inline char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

inline int compareText(std::string_view a, std::string_view b, TextCompare compare)
{
    if (compare == TextCompare::Binary) {
        const int c = a.compare(b);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    a = trimRight(a);
    b = trimRight(b);
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(upperAscii(a[i]));
        const auto cb = static_cast<unsigned char>(upperAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

inline std::string normaliseText(std::string_view s, TextCompare compare)
{
    if (compare == TextCompare::Binary)
        return std::string(s);
    s = trimRight(s);
    std::string out(s);
    for (char& c : out)
        c = upperAscii(c);
    return out;
}

// Hash of a value as an equality index files it; equal values (under the comparison)
// hash alike. Collisions are harmless: every candidate is compared in full afterwards.
inline std::uint64_t hashValue(const Value& v, TextCompare compare)
{
    constexpr std::uint64_t kPrime = 1099511628211ULL;
    std::uint64_t h = 14695981039346656037ULL;
    auto mix = [&](unsigned char c) { h = (h ^ c) * kPrime; };
    if (const auto* s = std::get_if<std::string>(&v)) {
        mix('t');
        std::string_view t = *s;
        if (compare == TextCompare::NoCase)
            t = trimRight(t);
        for (char c : t)
            mix(static_cast<unsigned char>(compare == TextCompare::NoCase ? upperAscii(c) : c));
        return h;
    }
    if (std::holds_alternative<std::monostate>(v))
        return h ^ 0x4E;
    if (const auto* b = std::get_if<bool>(&v))
        return h ^ (*b ? 0xB1 : 0xB0);
    double d = std::holds_alternative<double>(v) ? std::get<double>(v)
                                                 : static_cast<double>(std::get<std::int64_t>(v));
    if (d == 0)
        d = 0;  // -0 and +0 alike
    std::uint64_t bits;
    static_assert(sizeof bits == sizeof d);
    std::memcpy(&bits, &d, sizeof bits);
    mix('n');
    for (int i = 0; i < 8; ++i)
        mix(static_cast<unsigned char>(bits >> (8 * i)));
    return h;
}

inline double asDouble(const Value& v)
{
    if (const auto* i = std::get_if<std::int64_t>(&v))
        return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* b = std::get_if<bool>(&v))
        return *b ? -1.0 : 0.0;
    return 0.0;
}

inline const Value& nullValue()
{
    static const Value kNull;
    return kNull;
}

inline std::string valueToText(const Value& v)
{
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(double d) const
        {
            char buf[32];
            auto r = std::to_chars(buf, buf + sizeof buf, d);
            return std::string(buf, r.ptr);
        }
        std::string operator()(const std::string& s) const { return s; }
    };
    return std::visit(Visitor{}, v);
}

inline std::int64_t textToInteger(const std::string& s)
{
    std::string_view t = s;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    std::int64_t out = 0;
    std::from_chars(t.data(), t.data() + t.size(), out);
    return out;
}

inline double textToDouble(const std::string& s)
{
    std::string_view t = s;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    double out = 0;
    std::from_chars(t.data(), t.data() + t.size(), out);
    return out;
}

// Converts a value to the field's type; fixed-width text is padded or cut to its width.
inline Value coerce(const FieldDef& f, Value v)
{
    if (std::holds_alternative<std::monostate>(v))
        return v;
    switch (f.type) {
    case FieldType::Text:
        if (!std::holds_alternative<std::string>(v))
            return valueToText(v);
        return v;
    case FieldType::FixedText: {
        std::string s = std::holds_alternative<std::string>(v) ? std::get<std::string>(std::move(v))
                                                               : valueToText(v);
        if (f.width > 0)
            s.resize(static_cast<std::size_t>(f.width), ' ');
        return s;
    }
    case FieldType::Boolean:
        if (const auto* s = std::get_if<std::string>(&v)) {
            const std::string n = normaliseText(*s, TextCompare::NoCase);
            return n == "TRUE" || (!n.empty() && textToDouble(n) != 0.0);
        }
        return asDouble(v) != 0.0 || (std::holds_alternative<bool>(v) && std::get<bool>(v));
    case FieldType::Integer:
        if (const auto* s = std::get_if<std::string>(&v))
            return textToInteger(*s);
        if (const auto* d = std::get_if<double>(&v))
            return static_cast<std::int64_t>(std::llround(*d));
        return static_cast<std::int64_t>(asDouble(v));
    case FieldType::Double:
        if (const auto* s = std::get_if<std::string>(&v))
            return textToDouble(*s);
        return asDouble(v);
    }
    return v;
}

// The same in place; values already of the field's type (the usual case) are not moved.
inline void coerceInPlace(const FieldDef& f, Value& v)
{
    if (std::holds_alternative<std::monostate>(v))
        return;
    if (auto* s = std::get_if<std::string>(&v)) {
        if (f.type == FieldType::Text)
            return;
        if (f.type == FieldType::FixedText) {
            if (f.width > 0 && s->size() != static_cast<std::size_t>(f.width))
                s->resize(static_cast<std::size_t>(f.width), ' ');
            return;
        }
    }
    if ((f.type == FieldType::Double && std::holds_alternative<double>(v)) ||
        (f.type == FieldType::Integer && std::holds_alternative<std::int64_t>(v)) ||
        (f.type == FieldType::Boolean && std::holds_alternative<bool>(v)))
        return;
    v = coerce(f, std::move(v));
}

// Builds a cell of the field's type from a value, moving it out of the caller's storage.
inline void constructCell(Value* cell, const FieldDef& f, Value& v)
{
    auto* s = std::get_if<std::string>(&v);
    if (s && f.type == FieldType::FixedText && f.width > 0 && s->size() != static_cast<std::size_t>(f.width))
        s->resize(static_cast<std::size_t>(f.width), ' ');
    if (s && (f.type == FieldType::Text || f.type == FieldType::FixedText)) {
        std::construct_at(cell, std::in_place_type<std::string>, std::move(*s));
        return;
    }
    coerceInPlace(f, v);
    std::construct_at(cell, std::move(v));
}

// Builds a cell holding a field's starting value: false for Boolean fields, Null otherwise.
inline void constructInitialCell(Value* cell, const FieldDef& f)
{
    if (f.type == FieldType::Boolean)
        std::construct_at(cell, std::in_place_type<bool>, false);
    else
        std::construct_at(cell);
}

}  // namespace platform::detail
