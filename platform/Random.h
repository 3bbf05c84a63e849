#pragma once

#include <cstdint>

namespace platform {

// A number from the system's entropy source, different in every process:
// the seed of anything that must not repeat from run to run.
uint32_t randomSeed();

}  // namespace platform
