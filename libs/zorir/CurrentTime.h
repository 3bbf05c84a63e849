#pragma once

namespace Zorir {

// The toolkit's clock in seconds: the platform's millisecond clock (monotonic,
// counted from process start) times 0.001. Double clicks and timers use it;
// tests replace the platform clock to drive it.
float currentTime();

}  // namespace Zorir
