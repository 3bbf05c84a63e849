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

void EditorToolBarMenu::choose(Zorir::Button* button)
{
    chosen_->toggle();
    chosen_ = button;
}

void EditorToolBarMenu::onSelect()
{
    choose(select_);
    actionCode = menu_action::kSelectTool;
}

void EditorToolBarMenu::onCreate()
{
    choose(create_);
    actionCode = menu_action::kCreateTool;
}

void EditorToolBarMenu::onImage()
{
    choose(image_);
    actionCode = menu_action::kUVTool;
}

void EditorToolBarMenu::onGeo()
{
    choose(geo_);
}
