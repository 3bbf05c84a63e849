#pragma once

#include "editor/app/menus/MenuAction.h"
#include "editor/app/menus/MenuManager.h"

#include <memory>

class Map_Aabb;

// The editor's menu manager: builds the ten menus, fills them when edit
// mode starts, and each tick acts on the action codes of the shown menus:
// choosing a tool, opening the drop-down menus and the dialogs.
class MapEditorMenu : public MenuManager {
public:
    static constexpr const char* kDefaultFont = "../../Content/Fonts/accid___.ttf";
    static constexpr const char* kSchemeFile = "data/ingameMenus.xml";

    MapEditorMenu();
    ~MapEditorMenu() override;

    void update() override;
    void populateMenus() override;
    GameObject* shownScreenFrame() override;

    // Carries out one menu's code (the manager's poll does this for every
    // shown menu).
    void act(size_t index, MenuAction code);

    uint8_t screenFrameShown = 0;
    std::unique_ptr<Map_Aabb> screenFrame;

private:
    void chooseTool(size_t index, uint16_t tool, size_t panel);
    // The pointer left the menus: typed values not yet confirmed take effect.
    void unfocusPanels();
};
