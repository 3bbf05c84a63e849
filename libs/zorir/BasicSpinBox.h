#pragma once

#include "libs/zorir/EditField.h"
#include "libs/zorir/Slideable.h"
#include "libs/zorir/SpinBoxButton.h"
#include "libs/zorir/Timer.h"

#include <cstdint>
#include <memory>

namespace Zorir {

// What the toolkit's spin box and the editor's live one share: a number
// field with an up and a down arrow button at its right end. A press on an
// arrow steps at once, again after 0.25 s and then every 0.05 s until the
// button is released (or the pointer leaves it). The field's text becomes
// the value on Return, on a release of an arrow and when the box loses the
// focus; a text holding no number leaves the value as it was.
class BasicSpinBox : public Slideable {
public:
    ~BasicSpinBox() override;

    void increment();
    void decrement();
    void stopUp();
    void stopDown();
    void commitText();
    void showValue();

    // Every value set, from the arrows, the typing or the code (a range that
    // moved it included), is shown in the field at once: the field's text is
    // what the next commit or arrow step starts from.
    void setValue(int32_t value) override;

    EditField& editField() const { return *field_; }
    SpinBoxButton& upButton() const { return *up_; }
    SpinBoxButton& downButton() const { return *down_; }
    Timer& upTimer() { return upTimer_; }
    Timer& downTimer() { return downTimer_; }

    Vector2 preferredSize() const override { return {20.0f, 20.0f}; }
    bool process(const Message& message) override;
    Window* windowAt(const Vector2& point) override;
    // The parts count as the box's, so hiding the box takes their focus and
    // capture too.
    bool containsWindow(const Window* window) const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;

protected:
    explicit BasicSpinBox(Window* parent);
    // Called once by the concrete box's constructor with the parts it chose,
    // each made with this box as parent; ends by setting the value.
    void assemble(std::unique_ptr<SpinBoxButton> up, std::unique_ptr<SpinBoxButton> down,
                  std::unique_ptr<EditField> field, int32_t value);

    void onResize() override { arrange(); }
    void onMove() override { arrange(); }
    void onFocusGained() override;
    void onFocusLost() override;

private:
    void arrange();
    void stepAndRepeat(int32_t amount, Timer& timer);
    void stop(Timer& timer);

    std::unique_ptr<SpinBoxButton> up_;
    std::unique_ptr<SpinBoxButton> down_;
    std::unique_ptr<EditField> field_;
    Timer upTimer_{1.0f};
    Timer downTimer_{1.0f};
};

}  // namespace Zorir
