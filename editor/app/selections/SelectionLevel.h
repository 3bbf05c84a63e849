#pragma once

#include "editor/app/selections/Selection.h"

// The two tools that pick and drag share their logic; the level says which
// selections a tool works on: whole objects and their vertices (the select
// tool) or drawables and their vertices (the image tool).
enum class SelectionLevel { Object, Image };

inline bool isAtLevel(const Selection& selection, SelectionLevel level)
{
    return selection.objectLevel() == (level == SelectionLevel::Object);
}
