// Tavisco - the reference-counted base of every object of the library.
#pragma once

#include "inifile/tavisco_export.h"

#include <atomic>
#include <cstdint>

namespace tavisco {

// Every INIFile, Sections, Section, Keys and Key is an Object. An object lives as long as
// someone holds a reference to it: a new object starts with one reference, owned by its
// creator; Release() drops one and destroys the object when none is left. A parent holds its
// child collection and a collection holds its members, never the other way round, so
// releasing the INIFile releases the whole tree unless the caller still holds parts of it.
//
// Hold objects through tavisco::Ref (inifile/Ref.h) rather than calling AddRef/Release
// by hand. The library counts the objects alive; DllCanUnloadNow (inifile/ClassFactory.h)
// reports whether that count is zero.
//
// Objects are meant for one thread at a time; only the counters are atomic.
//
// No exception leaves the library. Calls that can fail return an Error or a Result; the
// other calls are noexcept, so running out of memory inside one of them ends the program.
class TAVISCO_EXPORT Object {
public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void AddRef() noexcept;
    void Release() noexcept;

protected:
    Object() noexcept;
    virtual ~Object();

private:
    std::atomic<std::int32_t> m_references{1};
};

}  // namespace tavisco
