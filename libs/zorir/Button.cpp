#include "libs/zorir/Button.h"

namespace Zorir {

void Button::draw()
{
    drawLook();
}

}  // namespace Zorir
