// Tavisco - the library's entry points: creation by class identifier and the live-object count.
#include "inifile/ClassFactory.h"

#include "inifile/detail/INIFileObject.h"
#include "inifile/detail/KeyObject.h"
#include "inifile/detail/KeyedCollection.h"
#include "inifile/detail/KeysObject.h"
#include "inifile/detail/LiveObjects.h"
#include "inifile/detail/Make.h"
#include "inifile/detail/SectionObject.h"
#include "inifile/detail/SectionsObject.h"

#include <string_view>

namespace tavisco::detail {
namespace {

bool sameClassId(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    }
    return true;
}

}  // namespace
}  // namespace tavisco::detail

using tavisco::Status;

extern "C" Status DllGetClassObject(const char* classId, tavisco::Object** object) noexcept
{
    using namespace tavisco;
    using namespace tavisco::detail;
    if (object == nullptr)
        return Status::InvalidPointer;
    *object = nullptr;
    if (classId == nullptr)
        return Status::InvalidPointer;
    const std::string_view id(classId);
    try {
        if (sameClassId(id, kClsidINIFile))
            *object = make<INIFileObject>().detach();
        else if (sameClassId(id, kClsidSections))
            *object = make<SectionsObject>().detach();
        else if (sameClassId(id, kClsidSection))
            *object = make<SectionObject>().detach();
        else if (sameClassId(id, kClsidKeys))
            *object = make<KeysObject>().detach();
        else if (sameClassId(id, kClsidKey))
            *object = make<KeyObject>().detach();
        else
            return Status::ClassNotAvailable;
    } catch (...) {
        return Status::OutOfMemory;
    }
    return Status::Ok;
}

extern "C" Status DllCanUnloadNow() noexcept
{
    return tavisco::detail::liveObjects() == 0 ? Status::Ok : Status::False;
}

extern "C" Status DllRegisterServer() noexcept
{
    return Status::Ok;
}

extern "C" Status DllUnregisterServer() noexcept
{
    return Status::Ok;
}
