#pragma once

class Circle;
class SelectionList;

// What a selection reads of the editing view it lives in: the circle kept at
// the pointer for hit tests, the width of the visible part of the world
// (vertex markers keep their size on screen), and every live selection (a
// box corner edit re-points the other selections of that box). The
// simulation provides it and outlives every selection.
class SelectionScene {
public:
    virtual Circle& cursorCircle() = 0;
    virtual float viewWidth() const = 0;
    virtual SelectionList& selections() = 0;

protected:
    ~SelectionScene() = default;
};
