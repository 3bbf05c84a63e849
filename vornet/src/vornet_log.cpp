#include "vornet_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vornet_assert.h"
#include "vornet_clock.h"
#include "vornet_core.h"
#include "vornet_log_repeats.h"
#include "vornet_string.h"

namespace Vornet_Private {

namespace {

STRING logFileName;
// Open from the first line on until the name changes: a line costs no
// opening of the file. Guarded, like the repeat counts, by the log mutex.
FILE* logFile = nullptr;
LogRepeats repeats;
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

// Writes one line to the file and the callback. A file that cannot be
// opened misses the line and is tried again with the next.
void writeToSinks(const char* line)
{
    if (logFileName.getBuffer()) {
        if (!logFile) logFile = std::fopen(logFileName.getBuffer(), "a");
        if (logFile) {
            std::fputs(line, logFile);
            std::fputc('\n', logFile);
            std::fflush(logFile);
        }
    }
    if (auto callback = logCallback.load()) callback(line);
}

// Writes prefix and message as one line, unless the line is one of a run
// that is counted instead. The message is cut so that the newline always
// fits.
void emitLine(const char* prefix, const char* message, char* line, size_t lineSize)
{
    Core* core = currentCore();
    if (!core) return;
    platform::MutexLock lock(core->logMutex);
    // A cut line is still written: its start tells what happened.
    if (std::snprintf(line, lineSize - 1, "%s%s", prefix, message) < 0) return;
    if (repeats.admit(line, clockMilliseconds(), writeToSinks)) writeToSinks(line);
}

// Runs the change under the log mutex while a library object exists; without
// one no other thread logs.
template <typename Change>
void changeSinks(Change change)
{
    Core* core = currentCore();
    if (!core) {
        change();
        return;
    }
    platform::MutexLock lock(core->logMutex);
    change();
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
    changeSinks([fileName] {
        // The counted lines are summed up where they would have gone.
        repeats.flush(writeToSinks);
        if (logFile) std::fclose(logFile);
        logFile = nullptr;
        logFileName.assign(fileName);
    });
}

void setLogCallback(void (*callback)(const char*))
{
    logCallback.store(callback);
}

bool assertionFailed(const char* expression, const char* message, const char* file, int line)
{
    logMessage(LogError, "Assertion %s failed: %s (%s:%d)", expression, message, file, line);
    return false;
}

}  // namespace Vornet_Private
