#pragma once

#include "editor/app/menus/MenuWindow.h"

#include <string>

namespace Zorir {
class EditField;
class ListControl;
}

// The layout the Open and Save As dialogs share: a title, the map files of
// the maps folder, a file name and the confirm and cancel buttons.
class FileDialogMenu : public MenuWindow {
public:
    FileDialogMenu(const std::string& title, const std::string& confirmCaption);

    void onCancel();
    // Copies the name of the row picked in the list into the name field
    // while the list holds the focus, so that typing afterwards stays.
    MenuAction pollAction() override;
    // Lists the map files of the maps folder anew, with nothing picked: an
    // index kept from the last listing could name a file that is gone.
    void refreshFileList();

    Zorir::ListControl& fileList() const { return *fileList_; }
    Zorir::EditField& fileNameField() const { return *fileName_; }

protected:
    void onShow() override { refreshFileList(); }
    // The name typed or picked, unchanged.
    std::string fileName() const;
    Zorir::Button* confirmButton() const { return confirm_; }

private:
    Zorir::Button* confirm_;
    Zorir::ListControl* fileList_;
    Zorir::EditField* fileName_;
};
