#pragma once

#include <cstdint>

// The library's only ways to report. Lines reach the log file and the log
// callback of the library object; without a library object they go nowhere.
namespace Vornet_Private {

enum LogLevel { LogNormal = 0, LogVerbose = 1, LogError = 2, LogWarning = 3 };

void logMessage(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Unprefixed line, written whenever the log level setting is not 0.
void logRaw(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Logs the message as an error and ends the process with exit code 1.
[[noreturn]] void fatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Process-wide log settings, set through the library object.
void setLogLevel(uint8_t level);
void setLogFile(const char* fileName);
void setLogCallback(void (*callback)(const char*));

}  // namespace Vornet_Private
