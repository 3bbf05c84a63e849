#include "platform/Paths.h"

#include <algorithm>

namespace platform {

std::string nativePath(std::string_view windowsPath)
{
    std::string path(windowsPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string joinPath(std::string_view windowsFolder, std::string_view name)
{
    std::string path = nativePath(windowsFolder);
    path.append(name);
    return path;
}

}  // namespace platform
