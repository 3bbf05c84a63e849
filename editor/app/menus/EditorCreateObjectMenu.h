#pragma once

#include "editor/app/menus/SidePanelMenu.h"

#include <string>

// The create tool's settings: what it builds and how it looks. The tools
// read it at the moment they build; nothing keeps a copy.
class EditorCreateObjectMenu : public SidePanelMenu {
public:
    EditorCreateObjectMenu();

    // The chosen object type: "circle", "rectangle", "polygon",
    // "True Being Spawn" or "Enlighted One Spawn".
    std::string objectTypeText() const;
    // Every image but the spawn markers, for the texture choices.
    void fillTextureLists();
};
