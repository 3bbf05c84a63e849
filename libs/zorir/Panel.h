#pragma once

#include "libs/zorir/PanelDesc.h"
#include "libs/zorir/Window.h"

#include <list>
#include <memory>

namespace Zorir {

class BaseLayouter;
class LayoutInfo;

// A container: its layouter places the children whenever the panel is
// resized or moved; messages and hit tests reach the children first; it
// draws its background and border behind them. The children are not owned.
class Panel : public Window {
public:
    // Lays its children out left to right in rows until another layouter is set.
    Panel(const Rectangle& rectangle, Window* parent, const std::string& text);
    ~Panel() override;

    Vector2 preferredSize() const override { return {150.0f, 150.0f}; }
    bool process(const Message& message) override;
    Window* windowAt(const Vector2& point) override;
    bool containsWindow(const Window* window) const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;

    // Takes ownership; a null layouter is ignored and the old one kept.
    void setLayouter(BaseLayouter* layouter);
    BaseLayouter& layouter() { return *layouter_; }
    // Placed at the next resize or move.
    void addChildWindow(Window* window, const LayoutInfo& info);
    const std::list<Window*>& children() const { return children_; }
    PanelDesc* description() const { return description_.get(); }

protected:
    void onResize() override;
    void onMove() override;

private:
    std::unique_ptr<BaseLayouter> layouter_;
    std::list<Window*> children_;
    std::unique_ptr<PanelDesc> description_;
};

}  // namespace Zorir
