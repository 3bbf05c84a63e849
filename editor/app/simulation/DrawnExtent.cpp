#include "editor/app/simulation/DrawnExtent.h"

#include "editor/world/GameObject.h"

#include <algorithm>

bool drawnExtent(const GameObject& object, Vec2& low, Vec2& high)
{
    bool any = false;
    for (const auto& drawable : object.drawables) {
        for (const Vec2& p : drawable->points) {
            low = any ? Vec2(std::min(low.x, p.x), std::min(low.y, p.y)) : p;
            high = any ? Vec2(std::max(high.x, p.x), std::max(high.y, p.y)) : p;
            any = true;
        }
    }
    return any;
}
