// The seed of the impairment relay in the soaks between two processes: a
// run prints it, so that a failure can be repeated.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>

namespace relay_soak {

// QUILLOW_RELAY_SEED=<seed> repeats a run; otherwise each run differs.
inline uint64_t relaySeed()
{
    if (const char* given = std::getenv("QUILLOW_RELAY_SEED")) return std::strtoull(given, nullptr, 10);
    return std::random_device{}();
}

}  // namespace relay_soak
