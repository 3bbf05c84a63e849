#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Milliseconds from a monotonic clock counted from process start, as an
// unsigned 32-bit number that wraps after 49.7 days. The first reading is
// never 0, so 0 can mean "never" to callers.
uint32_t milliseconds();

// Microseconds from the same monotonic clock, 64-bit so that it never wraps;
// for callers that round to the nearest millisecond themselves.
uint64_t microseconds();

// Replaces the clock (for tests); an empty function restores the real one.
void setMillisecondSource(std::function<uint32_t()> source);

}  // namespace platform
