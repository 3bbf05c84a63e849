#include "editor/app/simulation/GridLines.h"

#include <algorithm>

std::vector<int32_t> gridLineCoordinates(int32_t from, int32_t to, int32_t g, int32_t maxLines)
{
    std::vector<int32_t> lines;
    if (g <= 0 || to <= from) return lines;
    int64_t step = g;
    while ((int64_t{to} - from) / step > std::max(maxLines, 1)) step *= 2;
    const int64_t r = from % step;
    for (int64_t x = r < 0 ? from - r : from + step - r; x < to; x += step) lines.push_back(static_cast<int32_t>(x));
    return lines;
}

int32_t snapToCell(int32_t value, int32_t g)
{
    if (g <= 0) return value;
    const int32_t half = g / 2;
    const int32_t r = value % g;
    if (r > 0) return value - r + (r >= half ? g : 0);
    if (r < 0) return value - r - (-r >= half ? g : 0);
    return value;
}
