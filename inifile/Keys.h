// Tavisco - the ordered collection of a section's keys.
#pragma once

#include "inifile/ClassIds.h"
#include "inifile/Error.h"
#include "inifile/Index.h"
#include "inifile/Key.h"
#include "inifile/Object.h"
#include "inifile/Ref.h"
#include "inifile/Value.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tavisco {

// The keys of one section, in file order. Members are reached by position (from 1) or by
// name, names comparing without regard to case (ASCII letters). When a file holds the same
// name twice, both keys are kept and a lookup by name finds the first.
class TAVISCO_EXPORT Keys : public Object {
public:
    static constexpr const char* kClassId = kClsidKeys;

    // Creates a new Key and adds it to the collection.
    // Creates a key and adds it under its name: at the end, or before/after the member that
    // `before` or `after` picks. The value is set only when one is given. Fails, adding
    // nothing, with InvalidKeyName for an empty name, DuplicateKey when the name is already
    // there, InvalidArgument / SubscriptOutOfRange when `before`/`after` picks no member, and
    // InvalidArgument when both are given.
    virtual Result<Ref<Key>> Add(std::string_view name, std::optional<tavisco::Value> value = std::nullopt,
                                 std::string_view remark = {}, const Index& before = {},
                                 const Index& after = {}) noexcept = 0;
    // Removes a member from a Collection object
    // Fails with InvalidArgument (no such name) or SubscriptOutOfRange (no such position).
    virtual Error Remove(const Index& index) noexcept = 0;
    // Returns a specific member of a Collection object either by position or key
    virtual Result<Ref<Key>> Item(const Index& index) const noexcept = 0;
    // Returns the number of members in a collection
    [[nodiscard]] virtual std::int32_t Count() const noexcept = 0;
    // Removes all members from a Collection object
    virtual void RemoveAll() noexcept = 0;
    // The members in order, at the time of the call.
    [[nodiscard]] virtual std::vector<Ref<Key>> NewEnum() const noexcept = 0;

protected:
    Keys() = default;
    ~Keys() override = default;
};

}  // namespace tavisco
