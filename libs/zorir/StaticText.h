#pragma once

#include "libs/zorir/StaticTextDesc.h"
#include "libs/zorir/Window.h"

#include <memory>

namespace Zorir {

// A label showing its window text, word-wrapped and clipped to its rectangle.
class StaticText : public Window {
public:
    StaticText(Window* parent, const std::string& text);
    ~StaticText() override;

    // The text's width and line height plus 4 pixels on every side.
    Vector2 preferredSize() const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;

    StaticTextDesc* description() const { return description_.get(); }

private:
    std::unique_ptr<StaticTextDesc> description_;
};

}  // namespace Zorir
