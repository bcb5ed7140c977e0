// Tavisco (internal) - the class behind Keys.
#pragma once

#include "inifile/Error.h"
#include "inifile/Index.h"
#include "inifile/Keys.h"
#include "inifile/Ref.h"
#include "inifile/Value.h"
#include "inifile/detail/KeyObject.h"
#include "inifile/detail/KeyedCollection.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tavisco::detail {

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

}  // namespace tavisco::detail
