#include "libs/zorir/Dock.h"

#include "libs/zorir/Window.h"

namespace Zorir {

Vector2 Dock::anchoredPosition(const Vector2& screenSize) const
{
    const Vector2 size = window_->size();
    return {fromLeft_ ? horizontalDistance_ : screenSize.x - size.x - horizontalDistance_,
            fromTop_ ? verticalDistance_ : screenSize.y - size.y - verticalDistance_};
}

}  // namespace Zorir
