#pragma once

#include <cstdint>
#include <vector>

// The coordinates at which grid lines of cell size g cross the span (from,
// to): the first cell boundary after from, then every g while below to. When
// that would exceed maxLines, every second (fourth, ...) line is kept
// instead, always including the line through 0.
std::vector<int32_t> gridLineCoordinates(int32_t from, int32_t to, int32_t g, int32_t maxLines);

// The value moved to the nearest cell boundary of size g, a remainder of
// half a cell or more going away from zero.
int32_t snapToCell(int32_t value, int32_t g);
