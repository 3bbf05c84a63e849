#include "editor/world/SimulationClock.h"

namespace {

const uint32_t kStoppedClock = 0;
const uint32_t* clockSource = &kStoppedClock;

}  // namespace

const uint32_t* simulationClock()
{
    return clockSource;
}

void setSimulationClock(const uint32_t* source)
{
    clockSource = source ? source : &kStoppedClock;
}
