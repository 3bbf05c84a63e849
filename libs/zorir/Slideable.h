#pragma once

#include "libs/zorir/Signal.h"
#include "libs/zorir/Window.h"

#include <cstdint>

namespace Zorir {

// A widget holding an integer inside [minimum, maximum]: spin boxes and
// scroll bars. Each value set is told to the widget itself (a slideable
// message) and to the world (valueChanged).
class Slideable : public Window {
public:
    explicit Slideable(Window* parent);

    Signal1<int>& valueChanged() { return valueChanged_; }
    // Only the scroll bar emits these, for its slider.
    Signal0& sliderPressed() { return sliderPressed_; }
    Signal0& sliderReleased() { return sliderReleased_; }
    Signal1<int>& sliderMoved() { return sliderMoved_; }

    // A value outside the range is stored as the nearer end and told twice,
    // both times with that end.
    virtual void setValue(int32_t value);
    // A failed assertion, changing nothing, unless the maximum stays above
    // the minimum (and the minimum below the maximum).
    void setMaximum(int32_t value);
    void setMinimum(int32_t value);
    // Throws when the maximum is below the minimum.
    int32_t range() const;

    int32_t value() const { return value_; }
    int32_t minimum() const { return minimum_; }
    int32_t maximum() const { return maximum_; }
    int32_t step() const { return step_; }
    void setStep(int32_t step) { step_ = step; }
    int32_t pageStep() const { return pageStep_; }
    void setPageStep(int32_t pageStep) { pageStep_ = pageStep; }

protected:
    // The value moved by a signed amount, without overflowing.
    void stepValue(int64_t amount);

private:
    void storeValue(int32_t value);

    Signal1<int> valueChanged_;
    Signal0 sliderPressed_;
    Signal0 sliderReleased_;
    Signal1<int> sliderMoved_;
    int32_t value_ = 0;
    int32_t maximum_ = 255;
    int32_t minimum_ = 0;
    int32_t step_ = 1;
    int32_t pageStep_ = 64;
};

}  // namespace Zorir
