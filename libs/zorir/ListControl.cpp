#include "libs/zorir/ListControl.h"

#include "libs/zorir/LookInForce.h"
#include "libs/zorir/core/AppearanceLoader.h"
#include "libs/zorir/core/StandardException.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Zorir {

ListControl::Row::Row(ListControl& listControl, std::vector<std::string> strings)
    : listControl_(listControl), strings_(std::move(strings))
{
    strings_.resize(static_cast<std::size_t>(listControl_.numberOfColumns()));
}

void ListControl::Row::setText(int32_t aColumn, const std::string& text)
{
    ZORIR_ASSERT(aColumn >= 0 && aColumn < listControl_.numberOfColumns());
    strings_[static_cast<std::size_t>(aColumn)] = text;
}

const std::string& ListControl::Row::text(int32_t column) const
{
    ZORIR_ASSERT(column >= 0 && column < listControl_.numberOfColumns());
    return strings_[static_cast<std::size_t>(column)];
}

ListControl::ListControl(Window* parent, const Rectangle& rectangle, int32_t numberOfColumns)
    : ListWindow(parent, rectangle), columnWidths_(static_cast<std::size_t>(std::max(numberOfColumns, 1)), 0.0f)
{
    setRectangle(rectangle);
}

ListControl::~ListControl() = default;

void ListControl::addRow(const std::vector<std::string>& strings)
{
    ZORIR_ASSERT(strings.size() <= static_cast<std::size_t>(numberOfColumns()));
    rows_.push_back(std::make_unique<Row>(*this, strings));
    linesChanged();
}

void ListControl::removeRow(int32_t index)
{
    if (index < 0 || index >= rowCount()) return;
    rows_.erase(rows_.begin() + index);
    lineRemoved(index);
}

ListControl::Row& ListControl::row(int32_t index) const
{
    if (index < 0 || index >= rowCount()) {
        throw Core::StandardException("Tried to access the row of a ListControl with an invalid index", __FILE__,
                                      __LINE__);
    }
    return *rows_[static_cast<std::size_t>(index)];
}

void ListControl::setColumnWidth(int32_t column, float width)
{
    ZORIR_ASSERT(column >= 0 && column < numberOfColumns());
    equalWidths_ = false;
    columnWidths_[static_cast<std::size_t>(column)] = width;
    arrangeColumns();
}

ListControlDesc* ListControl::descriptionInForce() const
{
    return lookInForce(description_, &PropertyScheme::listControlDesc);
}

float ListControl::lineHeight() const
{
    return lineHeightIn(descriptionInForce());
}

void ListControl::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
    linesChanged();
}

void ListControl::draw()
{
    drawWith(descriptionInForce());
}

void ListControl::onResize()
{
    ListWindow::onResize();
    arrangeColumns();
}

void ListControl::arrangeColumns()
{
    const float width = size().x - 2.0f;
    const std::size_t count = columnWidths_.size();
    if (equalWidths_) {
        const float share = std::floor(width / static_cast<float>(count));
        std::fill(columnWidths_.begin(), columnWidths_.end(), share);
    }
    const float others = std::accumulate(columnWidths_.begin(), columnWidths_.end() - 1, 0.0f);
    columnWidths_.back() = width - others;
}

}  // namespace Zorir
