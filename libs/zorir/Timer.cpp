#include "libs/zorir/Timer.h"

#include "libs/zorir/CurrentTime.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/StandardException.h"

namespace Zorir {

Timer::Timer(float interval) : interval_(interval) {}

Timer::~Timer()
{
    stop();
}

void Timer::start()
{
    ZORIR_ASSERT(interval() > 0);
    if (running_) return;
    running_ = true;
    start_ = currentTime();
    WindowManager::instance().addTimer(this);
}

void Timer::stop()
{
    if (!running_) return;
    running_ = false;
    WindowManager::instance().removeTimer(this);
}

bool Timer::hasExpired()
{
    if (!running_) return false;
    const float now = currentTime();
    if (!(start_ + interval_ < now)) return false;
    start_ = now;
    return true;
}

}  // namespace Zorir
