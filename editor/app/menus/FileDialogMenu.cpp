#include "editor/app/menus/FileDialogMenu.h"

#include "editor/world/MapFile.h"
#include "libs/zorir/EditField.h"
#include "libs/zorir/ListControl.h"
#include "libs/zorir/StaticText.h"
#include "platform/FileSearch.h"

#include <cstdio>

FileDialogMenu::FileDialogMenu(const std::string& title, const std::string& confirmCaption)
    : MenuWindow(Zorir::Rectangle(100, 50, 600, 500))
{
    setGrid(Zorir::Vector2(0.0f, 0.0f), {160.0f, 160.0f, 160.0f}, {32.0f, 350.0f, 32.0f, 32.0f});
    placeInGrid(create<Zorir::StaticText>(title), 0, 0);
    confirm_ = create<Zorir::Button>(confirmCaption);
    placeInGrid(confirm_, 1, 3);
    placeInGrid(createButton("Cancel", &FileDialogMenu::onCancel), 2, 3);
    fileList_ = create<Zorir::ListControl>(Zorir::Rectangle(0, 0, 5, 5), 1);
    placeInGrid(fileList_, 0, 1, 3);
    placeInGrid(create<Zorir::StaticText>("File Name"), 0, 2);
    fileName_ = create<Zorir::EditField>("");
    placeInGrid(fileName_, 1, 2, 2);
    finishLayout();
    refreshFileList();
}

void FileDialogMenu::onCancel()
{
    actionCode = menu_action::kCloseDropDowns;
}

std::string FileDialogMenu::fileName() const
{
    return fileName_->text();
}

MenuAction FileDialogMenu::pollAction()
{
    const int32_t picked = fileList_->selectedIndex();
    if (fileList_->hasFocus() && picked >= 0 && picked < fileList_->rowCount()) {
        fileName_->setText(fileList_->row(picked).text(0));
    }
    return actionCode;
}

void FileDialogMenu::refreshFileList()
{
    while (fileList_->rowCount() > 0) fileList_->removeRow(0);
    fileList_->setSelectedIndex(-1);
    platform::FileSearch search;
    if (!search.first(std::string(kMapsFolder) + "*.xml")) {
        // Says why the list is empty: no map yet (2) or no maps folder (3).
        std::printf("Invalid file handle. Error is %u.\n", search.lastError());
        std::fflush(stdout);
        return;
    }
    do {
        fileList_->addRow({search.name()});
    } while (search.next());
    if (search.lastError() != platform::kNoMoreFiles) {
        std::printf("FindNextFile error. Error is %u.\n", search.lastError());
        std::fflush(stdout);
    }
}
