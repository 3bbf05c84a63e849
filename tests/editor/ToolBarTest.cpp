// The tool bar pressed through the window manager, as the mouse presses it.
#include "editor/app/menus/EditorToolBarMenu.h"
#include "libs/zorir/Panel.h"
#include "libs/zorir/WindowManager.h"
#include "tests/editor/EditorFixture.h"

#include <string>
#include <vector>

namespace {

using quillow::test::EditorFixture;

class ToolBar : public EditorFixture {
protected:
    EditorToolBarMenu& bar() { return *dynamic_cast<EditorToolBarMenu*>(menus->menu(kToolBarMenu)); }
    std::vector<Zorir::Button*> buttons()
    {
        return {button("Select"), button("Create"), button("Image"), button("Geo")};
    }
    Zorir::Button* button(const std::string& caption)
    {
        for (Zorir::Window* child : dynamic_cast<Zorir::Panel*>(bar().clientWindow())->children()) {
            auto* found = dynamic_cast<Zorir::Button*>(child);
            if (found && found->text() == caption) return found;
        }
        return nullptr;
    }
    static Zorir::Vector2 centreOf(Zorir::Window* window)
    {
        return window->rectangle().center();
    }
    void press(const std::string& caption)
    {
        const Zorir::Vector2 at = centreOf(button(caption));
        Zorir::WindowManager& manager = Zorir::WindowManager::instance();
        manager.onMouseMove(static_cast<int>(at.x), static_cast<int>(at.y));
        manager.onLeftButtonDown(static_cast<int>(at.x), static_cast<int>(at.y));
    }
    void release(const std::string& caption)
    {
        const Zorir::Vector2 at = centreOf(button(caption));
        Zorir::WindowManager::instance().onLeftButtonUp(static_cast<int>(at.x), static_cast<int>(at.y));
    }
    std::vector<std::string> buttonsOn()
    {
        std::vector<std::string> on;
        for (Zorir::Button* b : buttons()) {
            if (b->isToggledOn()) on.push_back(b->text());
        }
        return on;
    }
};

TEST_F(ToolBar, StartsWithSelectOnAndNoPendingCode)
{
    EXPECT_EQ(buttonsOn(), std::vector<std::string>{"Select"});
    EXPECT_EQ(bar().actionCode, menu_action::kNone);
}

struct PressCase {
    const char* caption;
    MenuAction code;  // kNone: the code stays as it was
};

TEST_F(ToolBar, EveryPressLeavesExactlyThePressedButtonOn)
{
    const std::vector<PressCase> presses{{"Select", menu_action::kSelectTool},
                                         {"Create", menu_action::kCreateTool},
                                         {"Create", menu_action::kCreateTool},
                                         {"Geo", menu_action::kNone},
                                         {"Image", menu_action::kUVTool}};
    for (const PressCase& p : presses) {
        bar().actionCode = menu_action::kNone;
        press(p.caption);
        release(p.caption);
        EXPECT_EQ(buttonsOn(), std::vector<std::string>{p.caption}) << p.caption;
        EXPECT_EQ(bar().actionCode, p.code) << p.caption;
    }
}

TEST_F(ToolBar, ButtonHeldWhileThePointerLeavesAndComesBackSwitchesOnce)
{
    press("Create");
    const Zorir::Vector2 away = centreOf(button("Image"));
    Zorir::WindowManager& manager = Zorir::WindowManager::instance();
    manager.onMouseMove(static_cast<int>(away.x), static_cast<int>(away.y));
    const Zorir::Vector2 back = centreOf(button("Create"));
    manager.onMouseMove(static_cast<int>(back.x), static_cast<int>(back.y));
    release("Create");
    EXPECT_EQ(buttonsOn(), std::vector<std::string>{"Create"});
    EXPECT_EQ(bar().actionCode, menu_action::kCreateTool);
}

}  // namespace
