#include "platform/Random.h"

#include <random>

#include "platform/Clock.h"

namespace platform {

uint32_t randomSeed()
{
    try {
        std::random_device device;
        return static_cast<uint32_t>(device());
    } catch (...) {
        // No entropy source: the moment of the call still differs by run.
        return static_cast<uint32_t>(microseconds() * 2654435761u);
    }
}

}  // namespace platform
