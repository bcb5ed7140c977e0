// Tavisco - an owning handle to a reference-counted library object.
#pragma once

#include "inifile/Object.h"

#include <concepts>
#include <cstddef>
#include <utility>

namespace tavisco {

// Holds one reference to a T (an Object) and drops it when destroyed. Copying adds a
// reference, moving passes it on. An empty Ref holds nothing and tests false.
template <typename T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}

    // Takes over a reference the caller already owns (e.g. from DllGetClassObject).
    [[nodiscard]] static Ref adopt(T* object) noexcept
    {
        Ref ref;
        ref.m_object = object;
        return ref;
    }
    // Adds a reference of its own to an object someone else holds.
    [[nodiscard]] static Ref retain(T* object) noexcept
    {
        if (object)
            object->AddRef();
        return adopt(object);
    }

    Ref(const Ref& other) noexcept : m_object(other.m_object)
    {
        if (m_object)
            m_object->AddRef();
    }
    Ref(Ref&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}

    template <typename U>
        requires std::convertible_to<U*, T*>
    Ref(const Ref<U>& other) noexcept : Ref(retain(other.get()))
    {
    }
    template <typename U>
        requires std::convertible_to<U*, T*>
    Ref(Ref<U>&& other) noexcept : m_object(other.detach())
    {
    }

    Ref& operator=(Ref other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }

    ~Ref() { reset(); }

    void reset() noexcept
    {
        if (T* object = std::exchange(m_object, nullptr))
            object->Release();
    }
    // Gives up the reference without releasing it; the caller now owns it.
    [[nodiscard]] T* detach() noexcept { return std::exchange(m_object, nullptr); }

    [[nodiscard]] T* get() const noexcept { return m_object; }
    T* operator->() const noexcept { return m_object; }
    T& operator*() const noexcept { return *m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }

    friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.m_object == b.m_object; }

private:
    T* m_object = nullptr;
};

}  // namespace tavisco
