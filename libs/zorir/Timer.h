#pragma once

#include "libs/zorir/Signal.h"

namespace Zorir {

// An interval timer polled by the window manager at the start of each drawing
// pass, on the toolkit's seconds clock. It emits at most once per pass, and
// the next period counts from the moment it was found expired.
class Timer {
public:
    explicit Timer(float interval);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    virtual ~Timer();

    float interval() const { return interval_; }
    // Takes effect at the next check, also while running.
    void setInterval(float seconds) { interval_ = seconds; }

    // Starting a running timer does not restart its period.
    void start();
    void stop();
    bool isRunning() const { return running_; }

    // True (and a new period begins) when the interval has run out.
    bool hasExpired();

    Signal0& expired() { return expired_; }

private:
    Signal0 expired_;
    float interval_;
    bool running_ = false;
    float start_ = 0.0f;
};

}  // namespace Zorir
