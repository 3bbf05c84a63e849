#include "editor/app/menus/EditorToolBarMenu.h"

EditorToolBarMenu::EditorToolBarMenu() : MenuWindow(Zorir::Rectangle(10, 100, 65, 585))
{
    setGrid(Zorir::Vector2(2.0f, 2.0f), {90.0f}, {32.0f, 32.0f, 32.0f, 32.0f});
    select_ = createButton("Select", &EditorToolBarMenu::onSelect);
    create_ = createButton("Create", &EditorToolBarMenu::onCreate);
    image_ = createButton("Image", &EditorToolBarMenu::onImage);
    geo_ = createButton("Geo", &EditorToolBarMenu::onGeo);
    uint32_t row = 0;
    for (Zorir::Button* button : {select_, create_, image_, geo_}) {
        button->loadAppearance(kLookFile, kButtonLook);
        button->setToggleButton(true);
        placeInGrid(button, 0, row++);
    }
    select_->toggle();
    chosen_ = select_;
    finishLayout();
}

bool EditorToolBarMenu::choose(Zorir::Button* button)
{
    // A held button pressed again as the pointer comes back over it has
    // already switched: switching again would turn it off.
    if (button->isRepeatingPress()) return false;
    chosen_->toggle();
    chosen_ = button;
    return true;
}

void EditorToolBarMenu::onSelect()
{
    if (choose(select_)) actionCode = menu_action::kSelectTool;
}

void EditorToolBarMenu::onCreate()
{
    if (choose(create_)) actionCode = menu_action::kCreateTool;
}

void EditorToolBarMenu::onImage()
{
    if (choose(image_)) actionCode = menu_action::kUVTool;
}

void EditorToolBarMenu::onGeo()
{
    choose(geo_);
}
