#include "vornet_log_repeats.h"

#include <cstdio>
#include <cstring>

namespace Vornet_Private {

// Lines that differ only in their numbers are one kind: a hostile datagram
// chooses the sizes and types that a message reports.
uint64_t LogRepeats::keyOf(const char* line)
{
    uint64_t key = 14695981039346656037ull;
    bool inNumber = false;
    for (const char* c = line; *c; ++c) {
        const bool digit = *c >= '0' && *c <= '9';
        if (digit && inNumber) continue;
        inNumber = digit;
        key ^= static_cast<unsigned char>(digit ? '#' : *c);
        key *= 1099511628211ull;
    }
    return key;
}

void LogRepeats::summarise(Kind& kind, Writer write)
{
    if (kind.counted == 0) return;
    char summary[kTextSize + 48];
    std::snprintf(summary, sizeof summary, "%s (and %u more like it)", kind.newest, kind.counted);
    kind.counted = 0;
    write(summary);
}

void LogRepeats::expire(uint32_t now, Writer write)
{
    for (Kind& kind : m_kinds) {
        if (!kind.used) continue;
        if (now - kind.lastSummary >= kSummaryMs) {
            summarise(kind, write);
            kind.lastSummary = now;
        }
        if (now - kind.lastSeen >= kSummaryMs) kind.used = false;
    }
}

LogRepeats::Kind& LogRepeats::kindFor(uint64_t key, uint32_t now, Writer write)
{
    Kind* oldest = &m_kinds[0];
    for (Kind& kind : m_kinds) {
        if (kind.used && kind.key == key) return kind;
        if (!kind.used) {
            oldest = &kind;
        } else if (oldest->used && now - kind.lastSeen > now - oldest->lastSeen) {
            oldest = &kind;
        }
    }
    if (oldest->used) summarise(*oldest, write);
    *oldest = Kind{};
    oldest->used = true;
    oldest->key = key;
    oldest->lastSummary = now;
    return *oldest;
}

bool LogRepeats::admit(const char* line, uint32_t now, Writer write)
{
    expire(now, write);
    Kind& kind = kindFor(keyOf(line), now, write);
    kind.lastSeen = now;
    if (++kind.seen <= kLinesBeforeCounting) return true;
    ++kind.counted;
    std::snprintf(kind.newest, sizeof kind.newest, "%s", line);
    return false;
}

void LogRepeats::flush(Writer write)
{
    for (Kind& kind : m_kinds) {
        if (kind.used) summarise(kind, write);
        kind = Kind{};
    }
}

}  // namespace Vornet_Private
