#pragma once

namespace Zorir {
class Window;
}

// Whether the window takes typed text (an edit field, or the field of a
// spin box).
bool isTextField(const Zorir::Window* window);
