#include "editor/app/menus/MenuWindow.h"

#include "libs/zorir/ComplexGridCellInfo.h"
#include "libs/zorir/ComplexGridLayouter.h"

MenuWindow::MenuWindow(const Zorir::Rectangle& rectangle)
    : Zorir::FrameWindow(rectangle, nullptr, ""), panel_(std::make_unique<Zorir::Panel>(rectangle, this, ""))
{
    loadAppearance(kLookFile, kFrameLook);
}

MenuWindow::~MenuWindow()
{
    setClientWindow(nullptr);
    while (!owned_.empty()) owned_.pop_back();
}

void MenuWindow::setGrid(const Zorir::Vector2& spacing, const std::vector<float>& columns,
                         const std::vector<float>& rows)
{
    auto* layouter = new Zorir::ComplexGridLayouter(spacing);
    layouter->setColumnWidths(columns);
    layouter->setRowHeights(rows);
    panel_->setLayouter(layouter);
}

void MenuWindow::placeInGrid(Zorir::Window* widget, uint32_t column, uint32_t row, uint32_t columnSpan)
{
    Zorir::ComplexGridCellInfo cell;
    cell.column = column;
    cell.row = row;
    cell.columnSpan = columnSpan;
    panel_->addChildWindow(widget, cell);
}

void MenuWindow::onPress(Zorir::BasicButton& button, std::function<void()> handler)
{
    presses_.push_back(std::make_unique<ButtonPress>(button, std::move(handler)));
}

void MenuWindow::finishLayout()
{
    setClientWindow(panel_.get());
}
