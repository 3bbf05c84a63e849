#include "editor/app/menus/FileDialogMenu.h"

#include "libs/zorir/EditField.h"
#include "libs/zorir/StaticText.h"

FileDialogMenu::FileDialogMenu(const std::string& title, const std::string& confirmCaption)
    : MenuWindow(Zorir::Rectangle(100, 50, 600, 500))
{
    setGrid(Zorir::Vector2(0.0f, 0.0f), {160.0f, 160.0f, 160.0f}, {32.0f, 350.0f, 32.0f, 32.0f});
    placeInGrid(create<Zorir::StaticText>(title), 0, 0);
    confirm_ = create<Zorir::Button>(confirmCaption);
    placeInGrid(confirm_, 1, 3);
    placeInGrid(createButton("Cancel", &FileDialogMenu::onCancel), 2, 3);
    placeInGrid(create<Zorir::StaticText>("File Name"), 0, 2);
    fileName_ = create<Zorir::EditField>("");
    placeInGrid(fileName_, 1, 2, 2);
    finishLayout();
}

void FileDialogMenu::onCancel()
{
    actionCode = menu_action::kCloseDropDowns;
}

std::string FileDialogMenu::fileName() const
{
    return fileName_->text();
}
