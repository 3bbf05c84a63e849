#pragma once

#include "editor/app/menus/MenuWindow.h"

#include <string>

namespace Zorir {
class EditField;
}

// The layout the Open and Save As dialogs share: a title, the map files of
// the maps folder, a file name and the confirm and cancel buttons.
class FileDialogMenu : public MenuWindow {
public:
    FileDialogMenu(const std::string& title, const std::string& confirmCaption);

    void onCancel();

protected:
    // The name typed or picked, unchanged.
    std::string fileName() const;
    Zorir::Button* confirmButton() const { return confirm_; }

private:
    Zorir::Button* confirm_;
    Zorir::EditField* fileName_;
};
