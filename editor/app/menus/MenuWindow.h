#pragma once

#include "editor/app/menus/ButtonPress.h"
#include "editor/app/menus/MenuAction.h"
#include "libs/zorir/Button.h"
#include "libs/zorir/FrameWindow.h"
#include "libs/zorir/Panel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One of the editor's menus: a frame window without a title whose client
// panel lays its widgets out on a grid. Its buttons either set the action
// code, which the menu manager polls each tick, or call the simulation at
// once. The window owns its widgets and destroys them, newest first, before
// the panel that holds them.
class MenuWindow : public Zorir::FrameWindow {
public:
    // The look every editor menu takes its frame from.
    static constexpr const char* kLookFile = "data/mapeditortoolbar.xml";
    static constexpr const char* kFrameLook = "frameWindowDesc2";

    explicit MenuWindow(const Zorir::Rectangle& rectangle);
    ~MenuWindow() override;

    // Called once by the shell after the editor window exists.
    virtual void place() {}
    // The code for the manager; some menus apply their fields first.
    virtual MenuAction pollAction() { return actionCode; }

    uint8_t shownByManager = 0;
    MenuAction actionCode = menu_action::kNone;
    // The editing widgets (spin boxes, combo boxes, check boxes) in creation
    // order, for those who read or unfocus them; owned by the menu, not here.
    std::vector<Zorir::Window*> widgets;

protected:
    Zorir::Panel& panel() { return *panel_; }
    // A widget of this menu, created inside the panel and owned here.
    template <class W, class... Args>
    W* create(Args&&... args)
    {
        auto widget = std::make_unique<W>(panel_.get(), std::forward<Args>(args)...);
        W* raw = widget.get();
        owned_.push_back(std::move(widget));
        return raw;
    }
    // A button whose press calls handler of this menu.
    template <class Menu>
    Zorir::Button* createButton(const std::string& caption, void (Menu::*handler)())
    {
        Zorir::Button* button = create<Zorir::Button>(caption);
        Menu* menu = static_cast<Menu*>(this);
        onPress(*button, [menu, handler] { (menu->*handler)(); });
        return button;
    }
    // Every menu button acts once per click through this.
    void onPress(Zorir::BasicButton& button, std::function<void()> handler);
    // The grid of the panel (spacing, column widths, row heights), set
    // before any widget is placed in it.
    void setGrid(const Zorir::Vector2& spacing, const std::vector<float>& columns, const std::vector<float>& rows);
    void placeInGrid(Zorir::Window* widget, uint32_t column, uint32_t row, uint32_t columnSpan = 1);
    // Makes the panel the client window once every widget is in its cell.
    void finishLayout();

private:
    std::unique_ptr<Zorir::Panel> panel_;
    std::vector<std::unique_ptr<Zorir::Window>> owned_;
    std::vector<std::unique_ptr<ButtonPress>> presses_;
};
