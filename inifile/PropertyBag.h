// Tavisco - reading and assigning an object's properties by name.
#pragma once

#include "inifile/Value.h"

#include <optional>
#include <string>

namespace tavisco {

// An object whose properties Section::LoadFromObject reads and Section::SaveToObject assigns
// by name. The program implements it over its own objects (for example over Qt meta-object
// properties); the library only calls it.
//
// Exceptions thrown by an implementation are caught by the library and treated as a failed
// read or assignment.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;

    // The current value of the property called name, or nullopt when the object has no such
    // readable property. Looking a name up must never create a property (a dynamic property
    // of that name must not come into being because it was read).
    [[nodiscard]] virtual std::optional<Value> readProperty(const std::string& name) = 0;

    // Assigns value to the property called name. False when there is no such writable
    // property or the property refuses the value; the property then keeps its old value.
    [[nodiscard]] virtual bool writeProperty(const std::string& name, const Value& value) = 0;

protected:
    PropertyBag() = default;
    PropertyBag(const PropertyBag&) = default;
    PropertyBag& operator=(const PropertyBag&) = default;
};

}  // namespace tavisco
