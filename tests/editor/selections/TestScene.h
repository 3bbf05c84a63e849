#pragma once

#include "editor/app/selections/SelectionList.h"
#include "editor/app/selections/SelectionScene.h"
#include "editor/world/Map_Circle.h"

// The view a selection lives in, without the editor around it: a cursor
// circle of radius 1 that a test moves, a view 400 world units wide, and
// the selection list.
struct TestScene : SelectionScene {
    Circle& cursorCircle() override { return cursor; }
    float viewWidth() const override { return width; }
    SelectionList& selections() override { return list; }

    void pointAt(float x, float y) { cursor.moveTo(Vec2(x, y)); }

    Map_Circle cursor{Vec2(0, 0), 1.0f, 1, 0};
    float width = 400.0f;
    SelectionList list;
};
