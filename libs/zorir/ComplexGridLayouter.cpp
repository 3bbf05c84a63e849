#include "libs/zorir/ComplexGridLayouter.h"

#include "libs/zorir/Panel.h"
#include "libs/zorir/core/StandardException.h"

#include <algorithm>

namespace Zorir {

const std::string ComplexGridCellInfo::typeName = "ComplexGridCellInfo";

namespace {

// The sum of sizes[from..from + count), missing entries counting 0.
float span(const std::vector<float>& sizes, uint32_t from, uint32_t count)
{
    float sum = 0.0f;
    for (uint32_t index = from; index < from + count && index < sizes.size(); ++index) sum += sizes[index];
    return sum;
}

}  // namespace

void ComplexGridLayouter::addWindow(Window* window, const LayoutInfo& inf)
{
    ZORIR_ASSERT(inf.type() == "ComplexGridCellInfo");
    entries_.push_back({window, static_cast<const ComplexGridCellInfo&>(inf)});
}

void ComplexGridLayouter::addWindow(Window* window)
{
    entries_.push_back({window, ComplexGridCellInfo()});
}

void ComplexGridLayouter::removeWindow(Window* window)
{
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [window](const Entry& entry) { return entry.window == window; });
    if (found != entries_.end()) entries_.erase(found);
}

void ComplexGridLayouter::assignCells()
{
    cells_.clear();
    numberOfColumns_ = numberOfRows_ = 0;
    uint32_t c = 0, r = 0;
    for (size_t entry = 0; entry < entries_.size(); ++entry) {
        const ComplexGridCellInfo& info = entries_[entry].info;
        if (info.column != ComplexGridCellInfo::automatic) c = info.column;
        if (info.row != ComplexGridCellInfo::automatic) r = info.row;
        while (cells_.count({r, c})) ++c;
        for (uint32_t i = 0; i < info.columnSpan; ++i) {
            for (uint32_t j = 0; j < info.rowSpan; ++j) {
                cells_[{r + j, c + i}] = Cell{entry, r + j, c + i, i == 0 && j == 0};
            }
        }
        c += info.columnSpan;
        numberOfColumns_ = std::max(numberOfColumns_, c);
        numberOfRows_ = std::max(numberOfRows_, r + info.rowSpan);
    }
}

std::vector<float> ComplexGridLayouter::resolveSizes(const std::vector<float>& sizes, float available,
                                                     uint32_t inUse)
{
    std::vector<float> resolved = sizes;
    float sum = 0.0f;
    uint32_t automatic = 0;
    for (float& size : resolved) {
        if (size == 0.0f) {
            ++automatic;
        } else if (sum + size > available) {
            size = available - sum;
            sum = available;
        } else {
            sum += size;
        }
    }
    if (inUse > resolved.size()) automatic += inUse - static_cast<uint32_t>(resolved.size());
    if (automatic == 0) return resolved;
    const float share = sum < available ? (available - sum) / static_cast<float>(automatic) : 0.0f;
    std::replace(resolved.begin(), resolved.end(), 0.0f, share);
    if (resolved.size() < inUse) resolved.resize(inUse, share);
    return resolved;
}

void ComplexGridLayouter::placeWindow(const Cell& cell, const Vector2& origin, const std::vector<float>& widths,
                                      const std::vector<float>& heights) const
{
    const Entry& entry = entries_[cell.entry];
    const ComplexGridCellInfo& info = entry.info;
    const float x = origin.x + span(widths, 0, cell.column) + info.horizontalSpacing;
    const float y = origin.y + span(heights, 0, cell.row) + info.verticalSpacing;
    const float width = span(widths, cell.column, info.columnSpan) - 2 * info.horizontalSpacing;
    const float height = span(heights, cell.row, info.rowSpan) - 2 * info.verticalSpacing;
    Window& window = *entry.window;
    window.setPosition({x, y});
    // A cell smaller than its spacing leaves an empty window, not a negative one.
    window.setSize({std::max(0.0f, width), std::max(0.0f, height)});
}

void ComplexGridLayouter::arrange(Panel& panel)
{
    const Vector2 size = panel.size();
    const float availableWidth = std::max(0.0f, size.x - 2 * margin_.x);
    const float availableHeight = std::max(0.0f, size.y - 2 * margin_.y);
    const Vector2 origin = panel.position() + margin_;
    if (entries_.empty()) return;
    assignCells();
    const std::vector<float> widths = resolveSizes(columnWidths_, availableWidth, numberOfColumns_);
    const std::vector<float> heights = resolveSizes(rowHeights_, availableHeight, numberOfRows_);
    for (const auto& [key, cell] : cells_) {
        if (cell.first) placeWindow(cell, origin, widths, heights);
    }
}

}  // namespace Zorir
