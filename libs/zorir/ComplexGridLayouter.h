#pragma once

#include "libs/zorir/BaseLayouter.h"
#include "libs/zorir/ComplexGridCellInfo.h"
#include "libs/zorir/Vector2.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace Zorir {

// Puts each window into one or more cells of a grid. Column widths and row
// heights are given; a 0, and every column or row the lists do not reach,
// shares what is left. Windows without a named cell follow the previous one
// in its row: rows never advance by themselves.
class ComplexGridLayouter : public BaseLayouter {
public:
    explicit ComplexGridLayouter(const Vector2& margin) : margin_(margin) {}

    void setColumnWidths(const std::vector<float>& widths) { columnWidths_ = widths; }
    void setRowHeights(const std::vector<float>& heights) { rowHeights_ = heights; }

    // The information must be a ComplexGridCellInfo (a failed assertion else).
    void addWindow(Window* window, const LayoutInfo& info) override;
    void addWindow(Window* window) override;
    // Removes the window's first entry.
    void removeWindow(Window* window) override;
    void arrange(Panel& panel) override;

    uint32_t numberOfColumns() const { return numberOfColumns_; }
    uint32_t numberOfRows() const { return numberOfRows_; }

    // The sizes the lists resolve to for the available size and the number
    // of columns (or rows) in use.
    static std::vector<float> resolveSizes(const std::vector<float>& sizes, float available, uint32_t inUse);

private:
    struct Entry {
        Window* window;
        ComplexGridCellInfo info;
    };
    struct Cell {
        size_t entry;  // index into the entries
        uint32_t row;
        uint32_t column;
        bool first;
    };
    // Row first, then column: the order in which the cells are placed.
    using CellKey = std::pair<uint32_t, uint32_t>;

    void assignCells();
    void placeWindow(const Cell& cell, const Vector2& origin, const std::vector<float>& widths,
                     const std::vector<float>& heights) const;

    std::vector<Entry> entries_;
    Vector2 margin_;
    std::vector<float> columnWidths_;
    std::vector<float> rowHeights_;
    uint32_t numberOfColumns_ = 0;
    uint32_t numberOfRows_ = 0;
    std::map<CellKey, Cell> cells_;
};

}  // namespace Zorir
