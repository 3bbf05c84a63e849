#include "platform/Clock.h"

#include <chrono>

namespace platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

const SteadyClock::time_point processStart = SteadyClock::now();

std::function<uint32_t()>& overrideSource()
{
    static std::function<uint32_t()> source;
    return source;
}

}  // namespace

uint32_t milliseconds()
{
    if (const auto& source = overrideSource()) return source();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        SteadyClock::now() - processStart);
    // 64-bit arithmetic, then the 32-bit wrap that callers expect.
    return static_cast<uint32_t>(static_cast<uint64_t>(elapsed.count()) + 1u);
}

uint64_t microseconds()
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        SteadyClock::now() - processStart);
    return static_cast<uint64_t>(elapsed.count());
}

void setMillisecondSource(std::function<uint32_t()> source)
{
    overrideSource() = std::move(source);
}

}  // namespace platform
