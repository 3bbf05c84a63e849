#pragma once

#include <cstdint>

// What a menu window asks of the menu manager when polled. A button sets
// its menu's code; the manager acts on it at the next tick and writes
// kHandled back.
using MenuAction = uint16_t;

namespace menu_action {

constexpr MenuAction kSelectTool = 0;
constexpr MenuAction kCreateTool = 1;
constexpr MenuAction kUVTool = 2;
constexpr MenuAction kNone = 3;  // a menu's code before any button set it
constexpr MenuAction kShowFileMenu = 15;
constexpr MenuAction kShowEditMenu = 16;
constexpr MenuAction kShowViewMenu = 17;
constexpr MenuAction kHandled = 18;
constexpr MenuAction kShowSaveDialog = 19;
constexpr MenuAction kShowOpenDialog = 20;
constexpr MenuAction kCloseDropDowns = 21;
constexpr MenuAction kHidePanels = 22;
constexpr MenuAction kShowMirrorDialog = 23;

}  // namespace menu_action
