// Tavisco (internal) - the INI text format: parsing, building, loading and saving.
#include "inifile/detail/INIFileObject.h"

#include "inifile/detail/FileIO.h"
#include "inifile/detail/KeyObject.h"
#include "inifile/detail/Make.h"
#include "inifile/detail/SectionObject.h"

namespace tavisco::detail {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr char kBlank = ' ';

// Removes spaces (only spaces: tabs and other characters stay) from both ends.
std::string_view trimBlanks(std::string_view s) noexcept
{
    const std::size_t first = s.find_first_not_of(kBlank);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = s.find_last_not_of(kBlank);
    return s.substr(first, last - first + 1);
}

std::string_view trimLeadingBlanks(std::string_view s) noexcept
{
    const std::size_t first = s.find_first_not_of(kBlank);
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
}

std::string_view trimTrailingBlanks(std::string_view s) noexcept
{
    const std::size_t last = s.find_last_not_of(kBlank);
    return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

bool isOneOf(char c, std::string_view chars) noexcept
{
    return chars.find(c) != std::string_view::npos;
}

}  // namespace

INIFileObject::INIFileObject() : m_sections(make<SectionsObject>()) {}

std::string INIFileObject::Text() const noexcept
{
    return BuildText();
}

void INIFileObject::setText(std::string_view text) noexcept
{
    ParseText(text);
}

// Lines are separated by CR LF only; a lone CR or LF belongs to its line. After trimming
// blanks from both ends a line is, in this order: blank (skipped), a section header, a
// remark (gathered for the next header or key), or a key of the current section.
void INIFileObject::ParseText(std::string_view text)
{
    m_parsingErrors = 0;
    m_sections = make<SectionsObject>();
    Ref<SectionObject> current;
    std::string pendingRemark;

    // A header opens with the first character of SectionChars and is closed by the first
    // occurrence of the last character from the line's second character on; a line without
    // that closing character is not a header. With one character, or with equal opening and
    // closing characters, the closing one is looked for after the opening one only.
    const bool headersPossible = !m_sectionChars.empty();
    const char open = headersPossible ? m_sectionChars.front() : '\0';
    const char close = headersPossible ? m_sectionChars.back() : '\0';

    std::size_t start = 0;
    for (bool more = true; more;) {
        const std::size_t end = text.find(kLineBreak, start);
        more = end != std::string_view::npos;
        const std::string_view line = trimBlanks(text.substr(start, more ? end - start : std::string_view::npos));
        start = more ? end + kLineBreak.size() : text.size();

        if (line.empty())
            continue;

        const std::size_t closeAt =
            headersPossible && line.size() > 2 && line.front() == open ? line.find(close, 1) : std::string_view::npos;
        if (closeAt != std::string_view::npos) {
            Ref<SectionObject> section = make<SectionObject>();
            section->setName(line.substr(1, closeAt - 1));
            section->setRemark(pendingRemark);
            if (closeAt + 1 < line.size() && pendingRemark.empty()) {
                const std::string_view rest = trimLeadingBlanks(line.substr(closeAt + 1));
                if (!rest.empty() && isOneOf(rest.front(), m_remarkChars)) {
                    section->setRemark(rest);
                    section->setInlineRemark(true);
                }
            }
            current = section;
            m_sections->AddSectionObject(std::move(section));
            pendingRemark.clear();
            continue;
        }

        if (isOneOf(line.front(), m_remarkChars)) {
            pendingRemark += line;
            pendingRemark += kLineBreak;
            continue;
        }

        if (m_sections->Count() == 0) {
            current = make<SectionObject>();
            m_sections->AddSectionObject(current);
        }
        Ref<KeyObject> key = make<KeyObject>();
        const std::size_t eq = line.find('=');
        // An empty name is refused by the key (error 1001): counted, and the key is still
        // kept with an empty name.
        if (eq != std::string_view::npos) {
            if (key->setName(trimTrailingBlanks(line.substr(0, eq))).failed())
                ++m_parsingErrors;
            key->setValue(tavisco::Value(trimLeadingBlanks(line.substr(eq + 1))));
        } else if (key->setName(line).failed()) {
            ++m_parsingErrors;
        }
        key->setRemark(pendingRemark);
        pendingRemark.clear();
        current->keys().AddKeyObject(std::move(key));
    }
}

// Every section's remark, header and keys, each section followed by one empty line.
std::string INIFileObject::BuildText() const
{
    std::string text;
    m_sections->items().forEach([&](const SectionObject& section) {
        text += section.GetText(true, true);
        text += kLineBreak;
    });
    return text;
}

Error INIFileObject::Load(std::optional<std::string_view> fileName) noexcept
{
    try {
        const std::string name(fileName ? *fileName : std::string_view(m_fileName));
        std::string content;
        if (const int failure = readWholeFile(name, content); failure != 0) {
            const ErrorNumber number = errorNumberFor(failure, FileOperation::Load);
            return Error::make(number, "INIFile",
                               "Unable to load file " + name + ": " + Error::describe(number));
        }
        m_fileName = name;
        ParseText(content);
        return {};
    } catch (...) {
        return Error::make(ErrorNumber::OutOfMemory, "INIFile");
    }
}

Error INIFileObject::Save(std::optional<std::string_view> fileName) noexcept
{
    try {
        const std::string name(fileName ? *fileName : std::string_view(m_fileName));
        if (const int failure = writeFileAtomically(name, BuildText()); failure != 0) {
            const ErrorNumber number = errorNumberFor(failure, FileOperation::Save);
            return Error::make(number, "INIFile",
                               "Unable to save file " + name + "(" + Error::describe(number) + ")");
        }
        m_fileName = name;
        return {};
    } catch (...) {
        return Error::make(ErrorNumber::OutOfMemory, "INIFile");
    }
}

}  // namespace tavisco::detail
