#include "libs/zorir/Image.h"

#include "libs/zorir/Renderer.h"

namespace Zorir {

Image::~Image()
{
    if (handle_ != 0) deleteTexture(handle_);
}

}  // namespace Zorir
