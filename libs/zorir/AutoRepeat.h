#pragma once

#include "libs/zorir/Timer.h"

namespace Zorir {

// Arms the repeat of a held arrow button after each step: the first repeat
// waits longer, so that a single click steps only once.
inline void armAutoRepeat(Timer& timer)
{
    if (timer.isRunning()) {
        timer.setInterval(0.05f);
    } else {
        timer.setInterval(0.25f);
        timer.start();
    }
}

}  // namespace Zorir
