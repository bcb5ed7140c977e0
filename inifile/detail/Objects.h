// Tavisco (internal) - the classes behind the public interfaces.
#pragma once

#include "inifile/INIFile.h"
#include "inifile/Key.h"
#include "inifile/Keys.h"
#include "inifile/Section.h"
#include "inifile/Sections.h"
#include "inifile/detail/KeyedCollection.h"

#include <cstdint>
#include <new>
#include <string>
#include <utility>

namespace tavisco::detail {

// Number of library objects alive now.
std::int64_t liveObjects() noexcept;

template <typename T, typename... Args>
Ref<T> make(Args&&... args)
{
    return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}

inline constexpr char kCrLf[] = "\r\n";

class KeyObject final : public Key {
public:
    std::string Name() const noexcept override { return m_name; }
    Error setName(std::string_view name) noexcept override;
    tavisco::Value Value() const noexcept override { return m_value; }
    void setValue(const tavisco::Value& value) noexcept override { m_value = value; }
    std::string Remark() const noexcept override { return m_remark; }
    void setRemark(std::string_view remark) noexcept override;
    std::string GetText(bool includeRemark) const noexcept override;

private:
    std::string m_name;
    tavisco::Value m_value;
    std::string m_remark;
};

class KeysObject final : public Keys {
public:
    Result<Ref<Key>> Add(std::string_view name, std::optional<tavisco::Value> value, std::string_view remark,
                         const Index& before, const Index& after) noexcept override;
    Error Remove(const Index& index) noexcept override;
    Result<Ref<Key>> Item(const Index& index) const noexcept override;
    std::int32_t Count() const noexcept override { return m_items.count(); }
    void RemoveAll() noexcept override { m_items.clear(); }
    std::vector<Ref<Key>> NewEnum() const noexcept override;

    // Parser only: adds under the key's name, or without a name when that is taken.
    void AddKeyObject(Ref<KeyObject> key);
    const KeyedCollection<KeyObject>& items() const noexcept { return m_items; }
    Ref<KeyObject> find(std::string_view name) const;

private:
    KeyedCollection<KeyObject> m_items{"Keys"};
};

class SectionObject final : public Section {
public:
    SectionObject();

    std::string Name() const noexcept override { return m_name; }
    void setName(std::string_view name) noexcept override { m_name = name; }
    Ref<tavisco::Keys> Keys() const noexcept override { return m_keys; }
    std::string Remark() const noexcept override { return m_remark; }
    void setRemark(std::string_view remark) noexcept override;
    std::string GetText(bool includeKeys, bool includeRemarks) const noexcept override;
    Error LoadFromArray(std::span<const tavisco::Value> arr, std::string_view prefix,
                        bool ignoreEmptyItems) noexcept override;
    void SaveToArray(std::span<tavisco::Value> arr, std::string_view prefix) const noexcept override;
    void LoadFromObject(PropertyBag& obj, std::span<const std::string> properties) noexcept override;
    void SaveToObject(PropertyBag& obj) const noexcept override;

    // True when the remark stands on the header line (set by the parser).
    bool InlineRemark() const noexcept { return m_inlineRemark; }
    void setInlineRemark(bool inlineRemark) noexcept { m_inlineRemark = inlineRemark; }
    KeysObject& keys() const noexcept { return *m_keys; }

private:
    Ref<KeysObject> m_keys;
    std::string m_name;
    std::string m_remark;
    bool m_inlineRemark = false;
};

class SectionsObject final : public Sections {
public:
    Result<Ref<Section>> Add(std::string_view name, std::string_view remark, const Index& before,
                             const Index& after) noexcept override;
    Error Remove(const Index& index) noexcept override;
    Result<Ref<Section>> Item(const Index& index) const noexcept override;
    std::int32_t Count() const noexcept override { return m_items.count(); }
    void Clear() noexcept override { m_items.clear(); }
    std::vector<Ref<Section>> NewEnum() const noexcept override;

    // Parser only: adds under the section's name, or without a name when that is taken.
    void AddSectionObject(Ref<SectionObject> section);
    const KeyedCollection<SectionObject>& items() const noexcept { return m_items; }

private:
    KeyedCollection<SectionObject> m_items{"Sections"};
};

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
