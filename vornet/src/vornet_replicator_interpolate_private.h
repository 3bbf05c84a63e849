#pragma once

#include <cmath>

#include "vornet_replicator_elements.h"

namespace Vornet_Private {

// Differences up to this are never worth smoothing, whatever the type.
inline constexpr float snapBelowError = 2.0f;

// One smoothing step of one element toward its received target: the step
// moves a fixed share of the way, or takes the target outright when the
// error is small, larger than the threshold, or not a number at all.
template <typename E>
E smoothElement(E current, E target, E threshold, float factor)
{
    const float cur = toFloat(current);
    const float rec = toFloat(target);
    const float err = std::fabs(rec - cur);
    // The threshold counts at its full value, not rounded to float.
    if (!std::isfinite(err) || static_cast<double>(err) > static_cast<double>(threshold) || err <= snapBelowError)
        return target;
    const float blended = rec * factor + cur * (1.0f - factor);
    if (!std::isfinite(blended)) return target;
    return roundHalfUp<E>(blended);
}

}  // namespace Vornet_Private
