#pragma once

#include "vornet_assert.h"
#include "vornet_replicator_elements.h"

namespace Vornet_Private {

// Catmull-Rom segment from P1 (t = 0) to P2 (t = 1), shaped by P0 and P3,
// for positions of N elements of T. Points are floats for every T; integer
// positions are rounded only on the way out.
template <typename T, unsigned int N>
struct Spline {
    // P0's N elements, then P1's, P2's and P3's.
    float points[4 * N] = {};

    float* controlPoint(unsigned int index) { return points + index * N; }

    void setControlPoint(unsigned int index, const T* position)
    {
        for (unsigned int i = 0; i < N; ++i) points[index * N + i] = toFloat(position[i]);
    }

    // Any t, also outside 0..1, where the cubic extrapolates.
    void getPoint(float t, T* out) const
    {
        // The ends are exact: the control points themselves, truncated.
        if (t == 0.0f || t == 1.0f) {
            const float* end = points + (t == 0.0f ? 1 : 2) * N;
            for (unsigned int i = 0; i < N; ++i) out[i] = truncateTo<T>(end[i]);
            return;
        }
        const float t2 = t * t;
        const float t3 = t2 * t;
        for (unsigned int i = 0; i < N; ++i) {
            const double p0 = points[i], p1 = points[N + i], p2 = points[2 * N + i], p3 = points[3 * N + i];
            const double value = 0.5 * (2.0 * p1 + (p2 - p0) * t + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * t2 +
                                        (3.0 * p1 - p0 - 3.0 * p2 + p3) * t3);
            out[i] = roundHalfTruncated<T>(static_cast<float>(value));
        }
    }

    void getControlPoint(unsigned int index, T* out) const
    {
        if (index > 3) {
            (void)VNET_CHECK(0, "control point index above 3");
            for (unsigned int i = 0; i < N; ++i) out[i] = T{};
            return;
        }
        for (unsigned int i = 0; i < N; ++i) out[i] = roundHalfTruncated<T>(points[index * N + i]);
    }
};

}  // namespace Vornet_Private
