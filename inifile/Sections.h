// Tavisco - the ordered collection of an INI file's sections.
#pragma once

#include "inifile/ClassIds.h"
#include "inifile/Error.h"
#include "inifile/Index.h"
#include "inifile/Object.h"
#include "inifile/Ref.h"
#include "inifile/Section.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tavisco {

// The sections of a file, in file order. Members are reached by position (from 1) or by
// name, names comparing without regard to case (ASCII letters). When a file holds the same
// section name twice, both are kept and a lookup by name finds the first.
class TAVISCO_EXPORT Sections : public Object {
public:
    static constexpr const char* kClassId = kClsidSections;

    // Creates a new Section and adds it to the collection.
    // Creates a section with that name and remark and adds it under its name: at the end, or
    // before/after the member that `before` or `after` picks. Fails, adding nothing, with
    // DuplicateKey when the name is already there, InvalidArgument / SubscriptOutOfRange when
    // `before`/`after` picks no member, and InvalidArgument when both are given.
    virtual Result<Ref<Section>> Add(std::string_view name, std::string_view remark = {},
                                     const Index& before = {}, const Index& after = {}) noexcept = 0;
    // Removes a member from a Collection object
    // Fails with InvalidArgument (no such name) or SubscriptOutOfRange (no such position).
    virtual Error Remove(const Index& index) noexcept = 0;
    // Returns a specific member of a Collection object either by position or key
    virtual Result<Ref<Section>> Item(const Index& index) const noexcept = 0;
    // Returns the number of members in a collection
    [[nodiscard]] virtual std::int32_t Count() const noexcept = 0;
    // Removes all members from a Collection object
    virtual void Clear() noexcept = 0;
    // The members in order, at the time of the call.
    [[nodiscard]] virtual std::vector<Ref<Section>> NewEnum() const noexcept = 0;

protected:
    Sections() = default;
    ~Sections() override = default;
};

}  // namespace tavisco
