// Tavisco (internal) - the class behind Sections.
#pragma once

#include "inifile/Error.h"
#include "inifile/Index.h"
#include "inifile/Ref.h"
#include "inifile/Sections.h"
#include "inifile/detail/KeyedCollection.h"
#include "inifile/detail/SectionObject.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tavisco::detail {

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

}  // namespace tavisco::detail
