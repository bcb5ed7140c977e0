// Tavisco (internal) - the count of library objects alive now.
#pragma once

#include <cstdint>

namespace tavisco::detail {

// Number of library objects alive now.
std::int64_t liveObjects() noexcept;

}  // namespace tavisco::detail
