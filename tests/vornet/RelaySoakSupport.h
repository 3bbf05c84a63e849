// The seed of the impairment relay in the soaks between two processes: a
// run prints it, so that a failure can be repeated.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "ControlSupport.h"

namespace relay_soak {

// QUILLOW_RELAY_SEED=<seed> repeats a run; otherwise each run differs.
inline uint64_t relaySeed()
{
    if (const char* given = std::getenv("QUILLOW_RELAY_SEED")) return std::strtoull(given, nullptr, 10);
    return std::random_device{}();
}

// The seed of this run, printed so that a failure can be repeated.
inline uint64_t announcedSeed()
{
    const uint64_t seed = relaySeed();
    std::printf("impairment relay seed %llu (QUILLOW_RELAY_SEED=%llu repeats it)\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
    return seed;
}

// The UDP ports of the test's own control, the peer program and the relay
// between them.
struct SoakPorts {
    unsigned short client = control_test::freePort();
    unsigned short peer = control_test::freePort();
    unsigned short relay = control_test::freePort();
};

}  // namespace relay_soak
