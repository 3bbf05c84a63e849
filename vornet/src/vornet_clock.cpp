#include "vornet_clock.h"

#include <atomic>

#include "platform/Clock.h"

namespace Vornet_Private {

namespace {

constexpr uint64_t notStarted = UINT64_MAX;

std::atomic<uint64_t (*)()> microsecondSource{nullptr};
std::atomic<uint64_t> originMs{notStarted};

uint64_t nowMs()
{
    const auto source = microsecondSource.load();
    const uint64_t microseconds = source ? source() : platform::microseconds();
    return (microseconds + 500) / 1000;
}

}  // namespace

uint32_t clockMilliseconds()
{
    const uint64_t now = nowMs();
    // The first reading of the process fixes the origin; later ones keep it,
    // and only read it: the clock is read at every packet.
    uint64_t origin = originMs.load(std::memory_order_acquire);
    if (origin == notStarted && originMs.compare_exchange_strong(origin, now)) origin = now;
    return static_cast<uint32_t>(now - origin + 1);
}

void setClockSource(uint64_t (*microseconds)())
{
    microsecondSource.store(microseconds);
    originMs.store(notStarted);
}

}  // namespace Vornet_Private
