#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RectangleDesc.h"
#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/SolidSurfaceDesc.h"

#include <memory>

namespace Zorir {

// The background and border most widget looks start with until a file says
// otherwise: translucent grey, outlined.
inline std::unique_ptr<RenderDesc> defaultBackground()
{
    return std::make_unique<SolidSurfaceDesc>(Color(0.35f, 0.35f, 0.35f, 0.5f));
}

inline std::unique_ptr<RenderDesc> defaultBorder()
{
    return std::make_unique<RectangleDesc>(RectangleDesc::Normal);
}

}  // namespace Zorir
