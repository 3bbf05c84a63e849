#pragma once

#include "editor/app/menus/MenuWindow.h"
#include "libs/zorir/StaticText.h"

#include <cstdint>
#include <string>
#include <utility>

namespace Zorir {
class CheckBox;
class ComboBox;
}  // namespace Zorir

// A settings panel docked at the right edge of the editor window (the
// create-object panel and the property panel): shown at the right edge,
// first placed near the lower right corner, draggable. Its rows are a label
// beside a value widget, or a check box across both columns.
class SidePanelMenu : public MenuWindow {
public:
    explicit SidePanelMenu(const Zorir::Rectangle& rectangle);

    void place() override;

protected:
    void onShow() override;
    void onResize() override;

    // A label in the first column and its value widget in the second; the
    // widget joins the input widgets.
    template <class W, class... Args>
    W* addRow(uint32_t row, const std::string& label, Args&&... args)
    {
        placeInGrid(create<Zorir::StaticText>(label), 0, row);
        W* widget = create<W>(std::forward<Args>(args)...);
        placeInGrid(widget, 1, row);
        widgets.push_back(widget);
        return widget;
    }
    Zorir::ComboBox* addComboRow(uint32_t row, const std::string& label);
    // Across both columns; joins the input widgets.
    Zorir::CheckBox* addCheckRow(uint32_t row, const std::string& text);
    // Every image but the spawn markers, the first one chosen.
    static void fillTextureChoices(Zorir::ComboBox& texture, Zorir::ComboBox& borderTexture);
};
