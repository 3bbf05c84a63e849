#include "libs/zorir/NilImage.h"

namespace Zorir {

NilImage& NilImage::instance()
{
    // Never destroyed: its texture would outlive the OpenGL context otherwise.
    static NilImage* image = new NilImage;
    return *image;
}

}  // namespace Zorir
