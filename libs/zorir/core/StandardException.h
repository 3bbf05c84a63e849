#pragma once

#include <stdexcept>
#include <string>

namespace Zorir::Core {

// The toolkit's one exception: a failed assertion or a failed start or stop
// of a service. The text names the condition and where it failed.
class StandardException : public std::runtime_error {
public:
    // The text is the message followed by "filename: ", the source file's
    // name and "   line: " with the line number.
    StandardException(const std::string& message, const char* sourceFile, int line);
};

// "Assertion <expression> failed" in the form above.
[[noreturn]] void failAssertion(const char* expression, const char* sourceFile, int line);

}  // namespace Zorir::Core

// Checks a condition the toolkit relies on; throws when it does not hold.
#define ZORIR_ASSERT(expression)                                                 \
    do {                                                                         \
        if (!(expression))                                                       \
            ::Zorir::Core::failAssertion(#expression, __FILE__, __LINE__);       \
    } while (false)
