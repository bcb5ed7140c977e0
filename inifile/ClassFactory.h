// Tavisco - A library for INI files: creating its objects by class identifier.
#pragma once

#include "inifile/ClassIds.h"
#include "inifile/Object.h"
#include "inifile/Ref.h"
#include "inifile/tavisco_export.h"

#include <cstdint>

namespace tavisco {

// Results of the entry points below; the values are those of the platform's component
// status codes.
enum class Status : std::int32_t {
    Ok = 0,
    False = 1,
    OutOfMemory = static_cast<std::int32_t>(0x8007000EU),
    InvalidPointer = static_cast<std::int32_t>(0x80004003U),
    ClassNotAvailable = static_cast<std::int32_t>(0x80040111U),
};

}  // namespace tavisco

extern "C" {

// Creates a new object of the class named by classId (one of the kClsid... constants of
// inifile/ClassIds.h, letter case ignored) and stores it, with one reference that the caller
// owns, in *object. Returns Ok; ClassNotAvailable for an unknown identifier, InvalidPointer
// for a null classId or object, OutOfMemory when the object could not be made (*object is
// then null).
TAVISCO_EXPORT tavisco::Status DllGetClassObject(const char* classId, tavisco::Object** object) noexcept;

// Ok when no object of the library is alive (every reference handed out has been released
// and the library could be unloaded), False otherwise.
TAVISCO_EXPORT tavisco::Status DllCanUnloadNow() noexcept;

// There is no component registry on this platform: the program links the library directly
// and creates objects through DllGetClassObject. These two succeed (Ok) and do nothing.
TAVISCO_EXPORT tavisco::Status DllRegisterServer() noexcept;
TAVISCO_EXPORT tavisco::Status DllUnregisterServer() noexcept;
}

namespace tavisco {

// Creates a T (INIFile, Sections, Section, Keys or Key) through DllGetClassObject; an empty
// Ref when that fails.
template <typename T>
[[nodiscard]] Ref<T> Create() noexcept
{
    Object* object = nullptr;
    if (DllGetClassObject(T::kClassId, &object) != Status::Ok)
        return {};
    return Ref<T>::adopt(static_cast<T*>(object));
}

}  // namespace tavisco
