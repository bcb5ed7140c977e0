// Tavisco (internal) - the keys of one section.
#include "inifile/detail/KeysObject.h"

#include "inifile/detail/Make.h"

namespace tavisco::detail {

Result<Ref<Key>> KeysObject::Add(std::string_view name, std::optional<tavisco::Value> value,
                                 std::string_view remark, const Index& before, const Index& after) noexcept
{
    try {
        Ref<KeyObject> key = make<KeyObject>();
        if (Error e = key->setName(name); e.failed())
            return {{}, std::move(e)};
        if (value)
            key->setValue(*value);
        key->setRemark(remark);
        if (Error e = m_items.add(key, name, before, after); e.failed())
            return {{}, std::move(e)};
        return {std::move(key), {}};
    } catch (...) {
        return {{}, Error::make(ErrorNumber::OutOfMemory, "Keys")};
    }
}

Error KeysObject::Remove(const Index& index) noexcept
{
    try {
        return m_items.remove(index);
    } catch (...) {
        return Error::make(ErrorNumber::OutOfMemory, "Keys");
    }
}

Result<Ref<Key>> KeysObject::Item(const Index& index) const noexcept
{
    try {
        Result<Ref<KeyObject>> found = m_items.item(index);
        return {std::move(found.value), std::move(found.error)};
    } catch (...) {
        return {{}, Error::make(ErrorNumber::OutOfMemory, "Keys")};
    }
}

std::vector<Ref<Key>> KeysObject::NewEnum() const noexcept
{
    std::vector<Ref<Key>> out;
    m_items.forEach([&](KeyObject& k) { out.push_back(Ref<Key>::retain(&k)); });
    return out;
}

void KeysObject::AddKeyObject(Ref<KeyObject> key)
{
    const std::string name = key->Name();
    m_items.addKeyedOrUnkeyed(std::move(key), name);
}

Ref<KeyObject> KeysObject::find(std::string_view name) const
{
    Result<Ref<KeyObject>> found = m_items.item(Index(name));
    return found.ok() ? std::move(found.value) : Ref<KeyObject>{};
}

}  // namespace tavisco::detail
