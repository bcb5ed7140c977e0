// Tavisco - reference counting and the count of live objects.
#include "inifile/Object.h"

#include "inifile/detail/LiveObjects.h"

namespace tavisco {

namespace {
std::atomic<std::int64_t> g_liveObjects{0};
}  // namespace

namespace detail {
std::int64_t liveObjects() noexcept
{
    return g_liveObjects.load();
}
}  // namespace detail

Object::Object() noexcept
{
    ++g_liveObjects;
}

Object::~Object()
{
    --g_liveObjects;
}

void Object::AddRef() noexcept
{
    m_references.fetch_add(1, std::memory_order_relaxed);
}

void Object::Release() noexcept
{
    if (m_references.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

}  // namespace tavisco
