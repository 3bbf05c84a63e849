#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/ScrollBarButton.h"
#include "libs/zorir/ScrollBarDesc.h"
#include "libs/zorir/ScrollBarSlider.h"
#include "libs/zorir/Slideable.h"
#include "libs/zorir/Timer.h"

#include <cstdint>
#include <memory>

namespace Zorir {

class ScrollBarMouseListener;

// A horizontal or vertical slideable: a track with an arrow button at each
// end and a slider whose length shows the page against the range. The
// arrows step (repeating while held), the track pages, the slider drags.
class ScrollBar : public Slideable {
public:
    enum Orientation : int32_t { Horizontal = 0, Vertical = 1 };

    ScrollBar(Window* parent, int32_t orientation, const Vector2& position, float length);
    ~ScrollBar() override;

    bool isVertical() const { return orientation_ == Vertical; }
    int32_t pageSize() const { return pageSize_; }
    void setPageSize(int32_t pageSize);

    void increment();
    void decrement();
    void stopIncrement() { incrementTimer_.stop(); }
    void stopDecrement() { decrementTimer_.stop(); }

    // The look's width: the bar's thickness and its buttons' side.
    float thickness() const;
    // Along the bar: its length less the two buttons.
    float trackLength() const;
    // The page's share of the track, never shorter than the bar is thick
    // nor longer than the track.
    float sliderLength() const;
    // From the bar's start to where the value puts the slider.
    float sliderPosition() const;
    // Track pixels per unit of value; not positive when the slider fills
    // the track.
    float pixelsPerValue() const;
    // Where the bar starts along its length, and the pointer's coordinate there.
    float barStart() const;
    float along(const Vector2& point) const;

    ScrollBarButton& incrementButton() const { return *incrementButton_; }
    ScrollBarButton& decrementButton() const { return *decrementButton_; }
    ScrollBarSlider& slider() const { return *slider_; }
    Timer& incrementTimer() { return incrementTimer_; }
    Timer& decrementTimer() { return decrementTimer_; }
    ScrollBarDesc* description() const { return description_.get(); }

    void setValue(int32_t value) override;

    bool hasFocus() const override;
    Vector2 preferredSize() const override;
    bool process(const Message& message) override;
    bool containsWindow(const Window* window) const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;
    // Puts the slider where the value (and the drag) says.
    void placeSlider();

protected:
    void onResize() override { arrange(); }
    void onMove() override { arrange(); }

private:
    ScrollBarDesc* descriptionInForce() const;
    void arrange();
    void emitSliderPressed() { sliderPressed().emit(); }
    void emitSliderReleased() { sliderReleased().emit(); }

    std::unique_ptr<ScrollBarButton> incrementButton_;
    std::unique_ptr<ScrollBarButton> decrementButton_;
    Timer incrementTimer_{1.0f};
    Timer decrementTimer_{1.0f};
    std::unique_ptr<ScrollBarSlider> slider_;
    std::unique_ptr<ScrollBarMouseListener> mouseListener_;
    int32_t orientation_;
    int32_t pageSize_ = 1;
    std::unique_ptr<ScrollBarDesc> description_;
};

}  // namespace Zorir
