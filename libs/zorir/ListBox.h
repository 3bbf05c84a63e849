#pragma once

#include "libs/zorir/ListBoxDesc.h"
#include "libs/zorir/ListWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Zorir {

// A list of strings, one per line, in the order they were added.
class ListBox : public ListWindow {
public:
    ListBox(Window* parent, const Rectangle& rectangle);
    ~ListBox() override;

    void addString(const std::string& text);
    // Empty past the end.
    std::string stringAt(int32_t index) const;
    bool contains(const std::string& text) const;
    // Throws for a text that is not in the list: ask contains first.
    int32_t indexOf(const std::string& text) const;
    int32_t count() const { return static_cast<int32_t>(strings_.size()); }

    int32_t numberOfLines() const override { return count(); }
    float lineHeight() const override;

    Vector2 preferredSize() const override { return {150.0f, 150.0f}; }
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;

    ListBoxDesc* description() const { return description_.get(); }

private:
    ListBoxDesc* descriptionInForce() const;

    std::vector<std::string> strings_;
    std::unique_ptr<ListBoxDesc> description_;
};

}  // namespace Zorir
