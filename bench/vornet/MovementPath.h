// A path for the movement benchmarks: one object wandering in the plane
// along arcs, picking a new turning rate every second or two. The
// benchmarks give the velocity when a new arc starts and the position every
// frame, so a proxy's dead reckoning drifts along each arc.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>

namespace movement_bench {

struct Path {
    // tick: milliseconds per frame; speed: units per millisecond.
    Path(unsigned seed, uint32_t tick, float speed) : random(seed), tick(tick), speed(speed) { newArc(); }

    // One frame; true when a new arc started.
    bool advance(uint32_t now)
    {
        const bool started = now >= nextArc;
        if (started) {
            newArc();
            nextArc = now + 1000 + random() % 1000;
        }
        heading += turnRate * float(tick);
        velocity[0] = speed * std::cos(heading);
        velocity[1] = speed * std::sin(heading);
        for (int i = 0; i < 2; ++i) position[i] += velocity[i] * float(tick);
        return started;
    }

    void newArc() { turnRate = std::uniform_real_distribution<float>(-0.003f, 0.003f)(random); }

    std::mt19937 random;
    uint32_t tick;
    float speed;
    float heading = 0;
    float turnRate = 0;
    float position[2] = {0, 0};
    float velocity[2] = {speed, 0};
    uint32_t nextArc = 1000;
};

}  // namespace movement_bench
