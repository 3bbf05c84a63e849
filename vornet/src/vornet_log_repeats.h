#pragma once

#include <cstdint>

namespace Vornet_Private {

// Keeps lines that come again and again, differing only in their numbers,
// from filling the log: a peer can provoke a message with every datagram it
// sends. Of each such line the first few are written as they come; the rest
// are counted and summed up once a second while they go on, and once more
// when they stop. Not locked: the log mutex guards it.
class LogRepeats {
public:
    using Writer = void (*)(const char* line);

    // Lines of one kind written before counting starts.
    static constexpr uint32_t kLinesBeforeCounting = 10;
    // How often a summary of the counted lines is written, and how long a
    // kind must stay away before it is forgotten and written again.
    static constexpr uint32_t kSummaryMs = 1000;

    // Whether the line is to be written; writes the summaries that are due
    // first, through the writer.
    bool admit(const char* line, uint32_t now, Writer write);
    // Writes every pending summary and forgets every kind of line.
    void flush(Writer write);

private:
    static constexpr int kKinds = 16;
    static constexpr unsigned kTextSize = 512;

    struct Kind {
        bool used = false;
        uint64_t key = 0;
        uint32_t lastSeen = 0;
        uint32_t lastSummary = 0;
        uint32_t seen = 0;
        uint32_t counted = 0;
        // The newest counted line, as the summary quotes it.
        char newest[kTextSize] = {};
    };

    static uint64_t keyOf(const char* line);
    static void summarise(Kind& kind, Writer write);
    void expire(uint32_t now, Writer write);
    Kind& kindFor(uint64_t key, uint32_t now, Writer write);

    Kind m_kinds[kKinds];
};

}  // namespace Vornet_Private
