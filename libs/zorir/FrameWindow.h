#pragma once

#include "libs/zorir/FrameWindowDesc.h"
#include "libs/zorir/Window.h"

#include <cstdint>
#include <memory>

namespace Zorir {

class FrameWindowMouseListener;

// A titled, bordered window holding one client window (as a rule a panel)
// that fills the area inside the borders. A left press brings it to the
// front; a draggable frame follows the pointer until the release.
class FrameWindow : public Window {
public:
    FrameWindow(const Rectangle& rectangle, Window* parent, const std::string& title);
    // The client window is not deleted: whoever set it owns it.
    ~FrameWindow() override;

    void setDraggable() { draggable_ = true; }
    bool isDraggable() const { return draggable_; }
    // Stores the client and fits it into the client area.
    void setClientWindow(Window* client);
    Window* clientWindow() const { return client_; }
    // The frame less the border widths of the look in force.
    Rectangle clientRectangle() const;

    Vector2 preferredSize() const override { return {200.0f, 200.0f}; }
    bool process(const Message& message) override;
    Window* windowAt(const Vector2& point) override;
    bool containsWindow(const Window* window) const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;
    virtual void arrangeClientWindow();

    FrameWindowDesc* description() const { return description_.get(); }
    int32_t dragPressCount() const { return dragPressCount_; }

protected:
    void onResize() override { arrangeClientWindow(); }
    void onMove() override { arrangeClientWindow(); }

private:
    friend class FrameWindowMouseListener;

    FrameWindowDesc* descriptionInForce() const;

    std::unique_ptr<FrameWindowMouseListener> mouseListener_;
    Window* client_ = nullptr;
    int32_t dragPressCount_ = 0;
    bool draggable_ = false;
    std::unique_ptr<FrameWindowDesc> description_;
};

}  // namespace Zorir
