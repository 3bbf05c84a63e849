#pragma once

#include <cstdint>

namespace Vornet_Private {

// The library clock: milliseconds rounded to the nearest, 1 on the first
// reading, unsigned 32-bit with wrap-around. Counted in 64 bits inside, so
// the wrap is the only effect of a long run.
uint32_t clockMilliseconds();

// Replaces the microsecond source (tests); null restores the platform's.
// Either way the next reading starts again at 1.
void setClockSource(uint64_t (*microseconds)());

}  // namespace Vornet_Private
