#pragma once

#include "editor/app/menus/MenuWindow.h"

// The column of tool buttons at the left edge; exactly one is shown chosen.
class EditorToolBarMenu : public MenuWindow {
public:
    static constexpr const char* kButtonLook = "ToolBarbuttonDesc";

    EditorToolBarMenu();

    void onSelect();
    void onCreate();
    void onImage();
    void onGeo();

    Zorir::Button* chosenButton() const { return chosen_; }

private:
    // The previously chosen button goes off (or, pressed again, stays on).
    // False for the repeated press of a button still held, which changes nothing.
    bool choose(Zorir::Button* button);

    Zorir::Button* select_;
    Zorir::Button* create_;
    Zorir::Button* image_;
    Zorir::Button* geo_;
    Zorir::Button* chosen_;
};
