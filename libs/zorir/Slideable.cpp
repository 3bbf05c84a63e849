#include "libs/zorir/Slideable.h"

#include "libs/zorir/Message.h"
#include "libs/zorir/core/StandardException.h"

#include <algorithm>
#include <limits>

namespace Zorir {

Slideable::Slideable(Window* parent) : Window(parent, "")
{
    storeValue(0);
}

void Slideable::setValue(int32_t value)
{
    storeValue(value);
}

void Slideable::storeValue(int32_t value)
{
    value_ = value;
    if (value < minimum_) {
        storeValue(minimum_);
    } else if (value > maximum_) {
        storeValue(maximum_);
    }
    process(SlideableMessage(value_));
    valueChanged_.emit(value_);
}

void Slideable::stepValue(int64_t amount)
{
    const int64_t moved = std::clamp<int64_t>(int64_t{value_} + amount, std::numeric_limits<int32_t>::min(),
                                              std::numeric_limits<int32_t>::max());
    setValue(static_cast<int32_t>(moved));
}

void Slideable::setMaximum(int32_t aValue)
{
    ZORIR_ASSERT(aValue > minimum());
    maximum_ = aValue;
    if (value_ > maximum_) setValue(aValue);
}

void Slideable::setMinimum(int32_t aValue)
{
    ZORIR_ASSERT(aValue < maximum());
    minimum_ = aValue;
    if (value_ < minimum_) setValue(aValue);
}

int32_t Slideable::range() const
{
    if (maximum_ < minimum_) throw Core::StandardException("Slideable range is invalid", __FILE__, __LINE__);
    return maximum_ - minimum_;
}

}  // namespace Zorir
