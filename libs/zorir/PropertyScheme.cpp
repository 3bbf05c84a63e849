#include "libs/zorir/PropertyScheme.h"

namespace Zorir {

PropertyScheme::PropertyScheme() = default;
PropertyScheme::~PropertyScheme() = default;

}  // namespace Zorir
