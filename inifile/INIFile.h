// Tavisco - an INI file as a tree of objects.
#pragma once

#include "inifile/ClassIds.h"
#include "inifile/Error.h"
#include "inifile/Object.h"
#include "inifile/Ref.h"
#include "inifile/Sections.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavisco {

// An INI file: its sections, each with its keys, and the remark lines that precede them.
// Texts are byte strings (one character per byte); lines are separated by CR LF only.
//
// Create one through the class factory (inifile/ClassFactory.h):
//     tavisco::Ref<tavisco::INIFile> ini = tavisco::Create<tavisco::INIFile>();
class TAVISCO_EXPORT INIFile : public Object {
public:
    static constexpr const char* kClassId = kClsidINIFile;

    // The Sections collection, that contains all the individual sections of the INI file.
    // The sections. Setting Text and loading replace the collection with a new one: sections
    // and keys the caller still holds stay valid but no longer belong to the file.
    [[nodiscard]] virtual Ref<tavisco::Sections> Sections() const noexcept = 0;

    // The path and name of the INI file
    // The path last loaded or saved; empty at creation. Stored as given.
    [[nodiscard]] virtual std::string FileName() const noexcept = 0;
    virtual void setFileName(std::string_view fileName) noexcept = 0;

    // The textual contents of the INI file.
    // Reading builds the whole text: each section's remark, header and keys, then an empty
    // line. Writing parses the text and replaces every section; the parse never fails, it
    // counts malformed lines in ParsingErrors.
    [[nodiscard]] virtual std::string Text() const noexcept = 0;
    virtual void setText(std::string_view text) noexcept = 0;

    // Load an INI file.
    // Reads the file (FileName when none is given) and parses it. On failure the sections and
    // FileName stay as they were and the error carries the system failure's number (FileNotFound
    // for a file that is not there), source "INIFile" and the description
    // "Unable to load file <name>: <what failed>".
    virtual Error Load(std::optional<std::string_view> fileName = std::nullopt) noexcept = 0;
    // Save data to an INI file.
    // Builds the text and writes it to the file (FileName when none is given), replacing it.
    // The text goes to a temporary file beside the target which then takes the target's
    // place, so a failed save leaves the old file as it was. On failure the error carries
    // the system failure's number, source "INIFile" and the description
    // "Unable to save file <name>(<what failed>)".
    virtual Error Save(std::optional<std::string_view> fileName = std::nullopt) noexcept = 0;

    // The characters that enclose a section name. Defaul is "[]".
    // Parsing only: the first character opens a section header, the last closes it ("[]" by
    // default); an empty text means no line is a header. The built text always uses "[" "]".
    [[nodiscard]] virtual std::string SectionChars() const noexcept = 0;
    virtual void setSectionChars(std::string_view chars) noexcept = 0;
    // All the characters that can mark the beginning of a remark (must be the first char in a
    // line). Default is semicolon.
    // Parsing only: every character starts a remark line (";" by default); an empty text
    // means no line is a remark. The built text always uses ";".
    [[nodiscard]] virtual std::string RemarkChars() const noexcept = 0;
    virtual void setRemarkChars(std::string_view chars) noexcept = 0;

    // Number of errors found when parsing the file
    // The number of malformed lines met by the last parse (a key line with an empty name).
    [[nodiscard]] virtual std::int32_t ParsingErrors() const noexcept = 0;

protected:
    INIFile() = default;
    ~INIFile() override = default;
};

}  // namespace tavisco
