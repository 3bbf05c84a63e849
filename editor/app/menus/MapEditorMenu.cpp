#include "editor/app/menus/MapEditorMenu.h"

#include "editor/app/menus/EditorCreateObjectMenu.h"
#include "editor/app/menus/EditorEditMenu.h"
#include "editor/app/menus/EditorEditorMenu.h"
#include "editor/app/menus/EditorFileMenu.h"
#include "editor/app/menus/EditorMirrorMenu.h"
#include "editor/app/menus/EditorOpenMenu.h"
#include "editor/app/menus/EditorSaveMenu.h"
#include "editor/app/menus/EditorToolBarMenu.h"
#include "editor/app/menus/EditorTopMenu.h"
#include "editor/app/menus/EditorViewMenu.h"
#include "editor/app/menus/MenuWindow.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/shell/Modifiers.h"
#include "editor/app/simulation/FrameBoxComponent.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/TextureManager.h"
#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/WindowManager.h"

#include <algorithm>
#include <iostream>

namespace {

uint32_t textureOf(const char* name)
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

}  // namespace

MapEditorMenu::MapEditorMenu()
{
    Zorir::WindowManager& manager = Zorir::WindowManager::instance();
    manager.initialize(kDefaultFont, isShiftDown, isAltDown, isCtrlDown);
    manager.propertyScheme()->load(kSchemeFile);
    menus.push_back(std::make_unique<EditorToolBarMenu>());
    menus.push_back(std::make_unique<EditorCreateObjectMenu>());
    menus.push_back(std::make_unique<EditorTopMenu>());
    menus.push_back(std::make_unique<EditorFileMenu>());
    menus.push_back(std::make_unique<EditorEditMenu>());
    menus.push_back(std::make_unique<EditorViewMenu>());
    menus.push_back(std::make_unique<EditorSaveMenu>());
    menus.push_back(std::make_unique<EditorOpenMenu>());
    menus.push_back(std::make_unique<EditorEditorMenu>());
    menus.push_back(std::make_unique<EditorMirrorMenu>());
    for (auto& window : menus) manager.addWindow(window.get());
    showAll(false);
    showAll(true);
    showMenu(kToolBarMenu, true);
    showMenu(kTopMenu, true);
    for (size_t index : {kFileMenu, kEditMenu, kViewMenu}) showMenu(index, false);
    screenFrameShown = 1;
    mouseOverMenu = 0;
}

MapEditorMenu::~MapEditorMenu() = default;

void MapEditorMenu::populateMenus()
{
    if (auto* panel = dynamic_cast<EditorCreateObjectMenu*>(menu(kCreateObjectMenu))) panel->fillTextureLists();
    if (auto* panel = dynamic_cast<EditorEditorMenu*>(menu(kPropertyMenu))) panel->fillTextureLists();
    AppState* app = AppState::current();
    screenFrame = std::make_unique<Map_Aabb>(Vec2(0, 0), 1280.0f, 1280.0f / app->aspect, 1,
                                             textureOf("lightgreypixel"), textureOf("hedge3"), 50.0f, kUvTile);
    std::cout << "drawables size " << screenFrame->drawables.size() << std::endl;
    // Only the border shows: the fill would hide the map. A bordered box
    // holds its border first, so the fill is found as the drawable without
    // a border size rather than by its place; the frame component then
    // keeps the border, now the first drawable, as thick at every zoom.
    auto& drawables = screenFrame->drawables;
    drawables.erase(std::remove_if(drawables.begin(), drawables.end(),
                                   [](const auto& drawable) { return drawable->borderSize == 0.0f; }),
                    drawables.end());
    screenFrame->components.push_back(std::make_unique<FrameBoxComponent>(screenFrame.get(), app->camera.get()));
}

GameObject* MapEditorMenu::shownScreenFrame()
{
    return screenFrameShown ? screenFrame.get() : nullptr;
}

void MapEditorMenu::update()
{
    AppState* app = AppState::current();
    // Where a press landed is judged by the menus it was made on: a press
    // that opens a dialog has hidden its drop-down by the time the codes
    // are acted on, and is no click on the map for that.
    const bool pressedOnMap = app->leftDown && !app->prevLeftDown && !isOverMenu(app->mouseX, app->mouseY);
    for (size_t i = 0; i < menus.size(); ++i) {
        if (menus[i]->shownByManager) act(i, menus[i]->pollAction());
    }
    mouseOverMenu = isOverMenu(app->mouseX, app->mouseY) ? 1 : 0;
    if (!mouseOverMenu) unfocusPanels();
    // A click on the map closes the drop-down menus and dialogs.
    if (pressedOnMap) hideForDialog();
    if (screenFrame) {
        for (auto& component : screenFrame->components) component->update();
    }
}

void MapEditorMenu::act(size_t index, MenuAction code)
{
    using namespace menu_action;
    MenuWindow& window = *menus[index];
    switch (code) {
    case kSelectTool: chooseTool(index, 0, kPropertyMenu); break;
    case kCreateTool: chooseTool(index, 1, kCreateObjectMenu); break;
    case kUVTool: chooseTool(index, 2, kPropertyMenu); break;
    case kShowFileMenu:
    case kShowEditMenu:
    case kShowViewMenu:
        hideForDialog();
        showMenu(kFileMenu + (code - kShowFileMenu), true);
        break;
    case kShowSaveDialog:
    case kShowOpenDialog:
        hideForDialog();
        window.actionCode = kHandled;
        showMenu(code == kShowSaveDialog ? kSaveMenu : kOpenMenu, true);
        break;
    case kCloseDropDowns:
        std::cout << "HIDE TOP" << std::endl;
        hideForDialog();
        window.actionCode = kHandled;
        break;
    case kHidePanels:
        showMenu(kCreateObjectMenu, false);
        showMenu(kPropertyMenu, false);
        break;
    case kShowMirrorDialog:
        std::cout << "SHOW MIRROR" << std::endl;
        hideForDialog();
        window.actionCode = kHandled;
        showMenu(kMirrorMenu, true);
        break;
    default:
        break;
    }
}

void MapEditorMenu::chooseTool(size_t index, uint16_t tool, size_t panel)
{
    hideForDialog();
    showMenu(kCreateObjectMenu, false);
    showMenu(kPropertyMenu, false);
    showMenu(panel, true);
    AppState::current()->currentTool = tool;
    menus[index]->actionCode = menu_action::kHandled;
}

void MapEditorMenu::unfocusPanels()
{
    Zorir::WindowManager& manager = Zorir::WindowManager::instance();
    Zorir::Window* focus = manager.focusWindow();
    if (!focus) return;
    for (size_t index : {kCreateObjectMenu, kPropertyMenu}) {
        // Through the window manager, so the field also stops taking keys.
        if (menus[index]->containsWindow(focus)) manager.setFocus(nullptr);
    }
}
