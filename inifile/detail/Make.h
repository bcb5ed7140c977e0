// Tavisco (internal) - creating a library object.
#pragma once

#include "inifile/Ref.h"

#include <new>
#include <utility>

namespace tavisco::detail {

template <typename T, typename... Args>
Ref<T> make(Args&&... args)
{
    return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}

}  // namespace tavisco::detail
