#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/MouseListener.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/Window.h"
#include "libs/zorir/WindowManager.h"
#include "platform/Clock.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorirtest {

// A plain widget: a filled rectangle of one colour, optionally holding
// children so that hit tests and containment reach into it.
class TestWindow : public Zorir::Window {
public:
    explicit TestWindow(const Zorir::Rectangle& rectangle, Zorir::Window* parent = nullptr)
        : Zorir::Window(parent, "test")
    {
        setRectangle(rectangle);
    }
    ~TestWindow() override { children_.clear(); }

    Zorir::Vector2 preferredSize() const override { return {10.0f, 10.0f}; }
    void loadAppearance(const std::string&, const std::string&) override {}
    void draw() override
    {
        Zorir::setColor(color_);
        const Zorir::Rectangle area = rectangle();
        Zorir::drawRectangle(area.topLeft(), area.bottomRight(), true);
        ++drawCount_;
    }

    Zorir::Window* windowAt(const Zorir::Vector2& point) override
    {
        if (!Window::windowAt(point)) return nullptr;
        for (auto& child : children_) {
            if (Zorir::Window* hit = child->windowAt(point)) return hit;
        }
        return this;
    }
    bool containsWindow(const Zorir::Window* window) const override
    {
        if (Window::containsWindow(window)) return true;
        for (const auto& child : children_) {
            if (child->containsWindow(window)) return true;
        }
        return false;
    }

    TestWindow* addChild(const Zorir::Rectangle& rectangle)
    {
        children_.push_back(std::make_unique<TestWindow>(rectangle, this));
        return children_.back().get();
    }
    void removeChildren() { children_.clear(); }

    Zorir::Color color_{1.0f, 0.0f, 0.0f, 1.0f};
    int drawCount_ = 0;
    int focusGained_ = 0;
    int focusLost_ = 0;
    std::vector<std::string> events_;

protected:
    void onResize() override { events_.push_back("resize"); }
    void onMove() override { events_.push_back("move"); }
    void onFocusGained() override { ++focusGained_; }
    void onFocusLost() override { ++focusLost_; }

private:
    std::vector<std::unique_ptr<TestWindow>> children_;
};

// Records what reaches a window's mouse hooks.
class RecordingMouseListener : public Zorir::MouseListener {
public:
    struct Click {
        uint32_t button;
        uint32_t event;
    };

    bool onClick(const Zorir::MouseClickMessage& message) override
    {
        clicks_.push_back({message.button(), message.event()});
        events_.push_back("click");
        return handles_;
    }
    bool onEnter(const Zorir::MouseMessage&) override
    {
        events_.push_back("enter");
        return handles_;
    }
    bool onLeave(const Zorir::MouseMessage&) override
    {
        events_.push_back("leave");
        return handles_;
    }
    bool onMove(const Zorir::MouseMessage&) override
    {
        events_.push_back("move");
        return handles_;
    }

    bool handles_ = true;
    std::vector<Click> clicks_;
    std::vector<std::string> events_;
};

// The window manager is one per process: each test starts it empty, on a
// clock the test sets.
class ManagerTest {
protected:
    ManagerTest()
    {
        // Each test's clock starts well after the last one's presses.
        static uint32_t start = 0;
        start += 60000;
        now_ = start;
        platform::setMillisecondSource([this] { return now_; });
        manager().removeAllWindows();
        manager().screenResized(256, 256);
    }
    ~ManagerTest()
    {
        manager().removeAllWindows();
        platform::setMillisecondSource({});
    }

    static Zorir::WindowManager& manager() { return Zorir::WindowManager::instance(); }

    uint32_t now_ = 0;
};

}  // namespace zorirtest
