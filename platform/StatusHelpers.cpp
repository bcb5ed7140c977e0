// Brevane - busy cursor, status-bar messages, yielding waits and bank arithmetic.
#include "platform/StatusHelpers.h"

#include "platform/Services.h"

#include <algorithm>

namespace platform {
namespace {

// Longest single block in the event loop during a wait, in milliseconds: short enough
// that the end of the wait is met closely, long enough not to spin.
constexpr std::int64_t kWaitSliceMs = 10;

}  // namespace

void SetBusyCursor(bool busy) { status().setBusyCursor(busy); }

void ShowStatusMessage(const std::string& text, std::int32_t pauseMs, std::int32_t mode, bool redraw,
                       std::int32_t panel)
{
    if (text.empty() && pauseMs == 0 && mode != 1)
        return;
    if (mode == 0 || mode == 1) {
        status().setStatusText(panel, text);
        if (redraw)
            status().refreshMainWindow();
    }
    PauseWithEvents(pauseMs);
    if (mode == 0 || mode == 2)
        status().setStatusText(panel, std::string());
}

void PauseWithEvents(std::int32_t ms)
{
    if (ms <= 0)
        return;
    EventLoop& loop = eventLoop();
    const std::int64_t end = loop.nowMs() + ms;
    for (std::int64_t now = loop.nowMs(); now < end; now = loop.nowMs())
        loop.processEvents(static_cast<int>(std::min(end - now, kWaitSliceMs)));
}

std::int32_t BankCountForPatches(std::int32_t& n)
{
    if (n == 0)
        n = 1;
    std::int32_t banks = n / kVoicesPerBank;
    if (n % kVoicesPerBank >= 1)
        ++banks;
    return banks == 0 ? 1 : banks;
}

std::int32_t BankCountForPatches(const std::int32_t& n)
{
    std::int32_t copy = n;
    return BankCountForPatches(copy);
}

std::int32_t PatchNumberInBank(std::int32_t n)
{
    if (n == 0)
        return 0;
    const std::int32_t r = n % kVoicesPerBank;
    return r == 0 ? kVoicesPerBank : r;
}

std::string TrimAtNull(std::string_view s)
{
    return std::string(s.substr(0, s.find('\0')));
}

std::int32_t LoWord(std::int32_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}

std::int32_t HiWord(std::int32_t value)
{
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(value) >> 16) & 0xFFFFu);
}

}  // namespace platform
