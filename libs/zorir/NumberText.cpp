#include "libs/zorir/NumberText.h"

#include <cctype>
#include <limits>

namespace Zorir {

std::string toString(int32_t number)
{
    return std::to_string(number);
}

bool fromString(const std::string& text, int32_t& value)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    // Accumulated beyond 32 bits so that an overlong number can be cut to the
    // range instead of wrapping.
    const int64_t limit = negative ? -int64_t{std::numeric_limits<int32_t>::min()} : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) magnitude = limit;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

int32_t fromString(const std::string& text)
{
    int32_t value = 0;
    fromString(text, value);
    return value;
}

}  // namespace Zorir
