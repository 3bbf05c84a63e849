#pragma once

#include "libs/zorir/ListControlDesc.h"
#include "libs/zorir/ListWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Zorir {

// A list whose lines are rows of strings, one per column. The columns share
// the width equally until one is given a width of its own; the last column
// always takes what the others leave.
class ListControl : public ListWindow {
public:
    class Row {
    public:
        Row(ListControl& listControl, std::vector<std::string> strings);

        // A failed assertion for a column the control does not have.
        void setText(int32_t aColumn, const std::string& text);
        const std::string& text(int32_t column) const;

        ListControl& listControl_;

    private:
        std::vector<std::string> strings_;
    };

    ListControl(Window* parent, const Rectangle& rectangle, int32_t numberOfColumns = 1);
    ~ListControl() override;

    // Up to one string per column; the columns left out stay empty.
    void addRow(const std::vector<std::string>& strings);
    // Nothing for an index past the end.
    void removeRow(int32_t index);
    // Throws for an index past the end.
    Row& row(int32_t index) const;
    int32_t rowCount() const { return static_cast<int32_t>(rows_.size()); }

    int32_t numberOfColumns() const { return static_cast<int32_t>(columnWidths_.size()); }
    const std::vector<float>& columnWidths() const { return columnWidths_; }
    // From now on the columns keep the widths they are given.
    void setColumnWidth(int32_t column, float width);

    int32_t numberOfLines() const override { return rowCount(); }
    float lineHeight() const override;

    Vector2 preferredSize() const override { return {150.0f, 150.0f}; }
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;

    ListControlDesc* description() const { return description_.get(); }

protected:
    void onResize() override;

private:
    ListControlDesc* descriptionInForce() const;
    void arrangeColumns();

    std::vector<std::unique_ptr<Row>> rows_;
    std::vector<float> columnWidths_;
    bool equalWidths_ = true;
    std::unique_ptr<ListControlDesc> description_;
};

}  // namespace Zorir
