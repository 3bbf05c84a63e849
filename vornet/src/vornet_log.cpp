#include "vornet_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vornet_assert.h"
#include "vornet_core.h"
#include "vornet_string.h"

namespace Vornet_Private {

namespace {

STRING logFileName;
std::atomic<void (*)(const char*)> logCallback{nullptr};
std::atomic<uint8_t> logLevelSetting{1};

constexpr size_t messageBufferSize = 1024;
constexpr size_t rawBufferSize = 4096;

bool levelPasses(int level)
{
    const uint8_t setting = logLevelSetting.load();
    if (setting == 0) return level >= LogError;
    if (setting == 1) return level != LogVerbose;
    return true;
}

const char* levelPrefix(int level)
{
    if (level == LogError) return "! ERROR: ";
    if (level == LogWarning) return "! WARNING: ";
    return "";
}

// Writes prefix and message as one line to the file and the callback. The
// message is cut so that the newline always fits.
void emitLine(const char* prefix, const char* message, char* line, size_t lineSize)
{
    Core* core = currentCore();
    if (!core) return;
    platform::MutexLock lock(core->logMutex);
    const int written = std::snprintf(line, lineSize - 1, "%s%s", prefix, message);
    const size_t length = written < 0 ? 0 : std::strlen(line);
    if (logFileName.getBuffer()) {
        if (FILE* file = std::fopen(logFileName.getBuffer(), "a")) {
            std::fwrite(line, 1, length, file);
            std::fputc('\n', file);
            std::fclose(file);
        }
    }
    if (auto callback = logCallback.load()) callback(line);
}

bool hasSink()
{
    return logFileName.getBuffer() || logCallback.load();
}

void logFormatted(const char* prefix, const char* format, va_list args, size_t bufferSize)
{
    char message[rawBufferSize];
    char line[rawBufferSize];
    std::vsnprintf(message, bufferSize, format, args);
    emitLine(prefix, message, line, bufferSize);
}

}  // namespace

void logMessage(int level, const char* format, ...)
{
    if (!format || !hasSink() || !levelPasses(level)) return;
    va_list args;
    va_start(args, format);
    logFormatted(levelPrefix(level), format, args, messageBufferSize);
    va_end(args);
}

void logRaw(const char* format, ...)
{
    if (!format || !hasSink() || logLevelSetting.load() == 0) return;
    va_list args;
    va_start(args, format);
    logFormatted("", format, args, rawBufferSize);
    va_end(args);
}

void fatalError(const char* format, ...)
{
    if (format) {
        char message[messageBufferSize];
        va_list args;
        va_start(args, format);
        std::vsnprintf(message, sizeof(message), format, args);
        va_end(args);
        logMessage(LogError, "%s", message);
    }
    std::exit(1);
}

void setLogLevel(uint8_t level)
{
    logLevelSetting.store(level);
}

void setLogFile(const char* fileName)
{
    logFileName.assign(fileName);
}

void setLogCallback(void (*callback)(const char*))
{
    logCallback.store(callback);
}

bool assertionHolds(bool condition, const char* expression, const char* message, const char* file, int line)
{
    if (!condition) logMessage(LogError, "Assertion %s failed: %s (%s:%d)", expression, message, file, line);
    return condition;
}

}  // namespace Vornet_Private
