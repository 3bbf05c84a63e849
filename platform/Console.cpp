#include "platform/Console.h"

#include <cstdio>

namespace platform {

void placeConsoleWindow(int, int, int, int) {}

void makeStdoutLineBuffered()
{
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
}

}  // namespace platform
