#pragma once

#include "editor/app/menus/MenuWindow.h"

// A settings panel docked at the right edge of the editor window (the
// create-object panel and the property panel): shown at the right edge,
// first placed near the lower right corner, draggable.
class SidePanelMenu : public MenuWindow {
public:
    explicit SidePanelMenu(const Zorir::Rectangle& rectangle);

    void place() override;

protected:
    void onShow() override;
    void onResize() override;
};
