// Brevane - the busy cursor for the length of a scope.
#pragma once

#include "platform/StatusHelpers.h"

namespace banklib {

// Switches the busy cursor on when constructed and off when destroyed, so every way out
// of a long operation (early returns included) restores the pointer.
class BusyCursor {
public:
    explicit BusyCursor(bool enabled = true) : m_enabled(enabled)
    {
        if (m_enabled)
            platform::SetBusyCursor(true);
    }
    ~BusyCursor()
    {
        if (m_enabled)
            platform::SetBusyCursor(false);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool m_enabled;
};

}  // namespace banklib
