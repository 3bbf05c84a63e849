#include "editor/app/menus/TextFieldFocus.h"

// The toolkit has no text-taking widget yet, so nothing can hold typed
// text; this answers for the edit field once the toolkit has one.
bool isTextField(const Zorir::Window*)
{
    return false;
}
