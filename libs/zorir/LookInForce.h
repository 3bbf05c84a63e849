#pragma once

#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/WindowManager.h"

#include <memory>

namespace Zorir {

// The look a widget draws with: its own, else its kind's look in the window
// manager's scheme; null when it has none and there is no scheme.
template <class Desc>
Desc* lookInForce(const std::unique_ptr<Desc>& own, Desc& (PropertyScheme::*schemeLook)())
{
    if (own) return own.get();
    PropertyScheme* scheme = WindowManager::instance().propertyScheme();
    return scheme ? &(scheme->*schemeLook)() : nullptr;
}

}  // namespace Zorir
