#include "libs/zorir/core/StandardException.h"

#include "libs/zorir/NumberText.h"

#include <cstring>

namespace Zorir::Core {

namespace {

// Only the file's own name: the build directory says nothing to the reader.
std::string baseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

std::string describe(const std::string& message, const char* sourceFile, int line)
{
    return message + "filename: " + baseName(sourceFile) + "   line: " + toString(line);
}

}  // namespace

StandardException::StandardException(const std::string& message, const char* sourceFile, int line)
    : std::runtime_error(describe(message, sourceFile, line))
{
}

void failAssertion(const char* expression, const char* sourceFile, int line)
{
    throw StandardException(std::string("Assertion <") + expression + "> failed", sourceFile, line);
}

}  // namespace Zorir::Core
