// Tavisco (internal) - the sections of a file.
#include "inifile/detail/SectionsObject.h"

#include "inifile/detail/Make.h"

namespace tavisco::detail {

Result<Ref<Section>> SectionsObject::Add(std::string_view name, std::string_view remark, const Index& before,
                                         const Index& after) noexcept
{
    try {
        Ref<SectionObject> section = make<SectionObject>();
        section->setName(name);
        section->setRemark(remark);
        if (Error e = m_items.add(section, name, before, after); e.failed())
            return {{}, std::move(e)};
        return {std::move(section), {}};
    } catch (...) {
        return {{}, Error::make(ErrorNumber::OutOfMemory, "Sections")};
    }
}

Error SectionsObject::Remove(const Index& index) noexcept
{
    try {
        return m_items.remove(index);
    } catch (...) {
        return Error::make(ErrorNumber::OutOfMemory, "Sections");
    }
}

Result<Ref<Section>> SectionsObject::Item(const Index& index) const noexcept
{
    try {
        Result<Ref<SectionObject>> found = m_items.item(index);
        return {std::move(found.value), std::move(found.error)};
    } catch (...) {
        return {{}, Error::make(ErrorNumber::OutOfMemory, "Sections")};
    }
}

std::vector<Ref<Section>> SectionsObject::NewEnum() const noexcept
{
    std::vector<Ref<Section>> out;
    m_items.forEach([&](SectionObject& s) { out.push_back(Ref<Section>::retain(&s)); });
    return out;
}

void SectionsObject::AddSectionObject(Ref<SectionObject> section)
{
    const std::string name = section->Name();
    m_items.addKeyedOrUnkeyed(std::move(section), name);
}

}  // namespace tavisco::detail
