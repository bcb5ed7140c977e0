// Tavisco (internal) - the class behind INIFile.
#pragma once

#include "inifile/Error.h"
#include "inifile/INIFile.h"
#include "inifile/Ref.h"
#include "inifile/detail/SectionsObject.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavisco::detail {

class INIFileObject final : public INIFile {
public:
    INIFileObject();

    Ref<tavisco::Sections> Sections() const noexcept override { return m_sections; }
    std::string FileName() const noexcept override { return m_fileName; }
    void setFileName(std::string_view fileName) noexcept override { m_fileName = fileName; }
    std::string Text() const noexcept override;
    void setText(std::string_view text) noexcept override;
    Error Load(std::optional<std::string_view> fileName) noexcept override;
    Error Save(std::optional<std::string_view> fileName) noexcept override;
    std::string SectionChars() const noexcept override { return m_sectionChars; }
    void setSectionChars(std::string_view chars) noexcept override { m_sectionChars = chars; }
    std::string RemarkChars() const noexcept override { return m_remarkChars; }
    void setRemarkChars(std::string_view chars) noexcept override { m_remarkChars = chars; }
    std::int32_t ParsingErrors() const noexcept override { return m_parsingErrors; }

private:
    void ParseText(std::string_view text);
    std::string BuildText() const;

    Ref<SectionsObject> m_sections;
    std::string m_fileName;
    std::string m_sectionChars = "[]";
    std::string m_remarkChars = ";";
    std::int32_t m_parsingErrors = 0;
};

}  // namespace tavisco::detail
