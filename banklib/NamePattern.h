// Brevane - matching voice names against a find text or a "like" pattern.
//
// Names compare as the voice-list recordset compares text: ASCII letters without regard
// to case, trailing blanks ignored. A pattern may hold the wildcard * (or %) at its start
// and/or its end: "BASS*" matches names that begin with BASS, "*BASS" names that end
// with it, "*BASS*" names that contain it. A wildcard anywhere else, or an apostrophe,
// makes the pattern unusable.
#pragma once

#include <string>
#include <string_view>

namespace banklib {

class NamePattern {
public:
    // Whether a pattern can be used: wildcards only at the ends, no apostrophe.
    [[nodiscard]] static bool isValid(std::string_view pattern);

    // With wildcards false the text must equal the whole name (* is an ordinary
    // character). An unusable pattern matches nothing.
    NamePattern(std::string_view text, bool wildcards);

    [[nodiscard]] bool matches(std::string_view name) const;

private:
    std::string m_text;  // upper case, trailing blanks removed (unless a wildcard follows)
    bool m_lead = false;
    bool m_trail = false;
    bool m_usable = true;
};

// A name as names compare: ASCII upper case, trailing blanks removed.
[[nodiscard]] std::string normalisedName(std::string_view name);

}  // namespace banklib
