#pragma once

#include <cstdint>
#include <string>

namespace Zorir {

// The toolkit's integer texts, as the number fields show and read them.

// Decimal, with a leading minus sign for negatives and nothing else around.
std::string toString(int32_t number);

// The number at the start of the text, read the way formatted stream input
// reads an int: leading white space skipped, an optional sign, the digits up
// to the first other character. A number beyond the 32-bit range reads as
// the nearest end of it. False, and the value left as it was, when the text
// holds no number there (empty, a lone sign, letters).
bool fromString(const std::string& text, int32_t& value);
// The same with 0 for a text that holds no number.
int32_t fromString(const std::string& text);

}  // namespace Zorir
