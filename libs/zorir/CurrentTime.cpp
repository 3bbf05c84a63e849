#include "libs/zorir/CurrentTime.h"

#include "platform/Clock.h"

namespace Zorir {

float currentTime()
{
    return static_cast<float>(platform::milliseconds() * 0.001);
}

}  // namespace Zorir
