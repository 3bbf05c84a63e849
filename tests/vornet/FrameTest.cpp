// The library object's frame: levelled log, fatal errors, clock, per-thread
// block and the published private block.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "vornet/src/vornet_clock.h"
#include "vornet/src/vornet_core.h"
#include "vornet/src/vornet_log.h"
#include "vornet/src/vornet_tls.h"
#include "vornet/vornet.h"

namespace {

using namespace Vornet_Private;

std::vector<std::string> captured;

void capture(const char* line)
{
    captured.push_back(line);
}

class LogCapture : public ::testing::Test {
protected:
    void SetUp() override { captured.clear(); }
    void TearDown() override { library.setLogLevel(1); }
    Vornet library{capture};
};

struct FilterCase {
    uint8_t setting;
    int level;
    const char* expected;  // null: dropped
};

TEST_F(LogCapture, LevelsPassTheFilterWithTheirPrefixes)
{
    const FilterCase cases[] = {
        {0, LogNormal, nullptr},        {0, LogVerbose, nullptr},
        {0, LogError, "! ERROR: text"}, {0, LogWarning, "! WARNING: text"},
        {1, LogNormal, "text"},         {1, LogVerbose, nullptr},
        {1, LogError, "! ERROR: text"}, {1, LogWarning, "! WARNING: text"},
        {2, LogNormal, "text"},         {2, LogVerbose, "text"},
        {2, LogError, "! ERROR: text"}, {7, LogWarning, "! WARNING: text"},
    };
    for (const FilterCase& c : cases) {
        captured.clear();
        library.setLogLevel(c.setting);
        logMessage(c.level, "%s", "text");
        SCOPED_TRACE(testing::Message() << "setting " << int(c.setting) << " level " << c.level);
        if (c.expected) {
            ASSERT_EQ(captured.size(), 1u);
            EXPECT_EQ(captured[0], c.expected);
        } else {
            EXPECT_TRUE(captured.empty());
        }
    }
}

TEST_F(LogCapture, RawLinesNeedANonZeroSetting)
{
    library.setLogLevel(0);
    logRaw("raw %d", 1);
    EXPECT_TRUE(captured.empty());
    library.setLogLevel(1);
    logRaw("raw %d", 2);
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0], "raw 2");
}

TEST_F(LogCapture, LongMessagesAreCutToTheBuffer)
{
    const std::string longText(3000, 'x');
    logMessage(LogError, "%s", longText.c_str());
    logRaw("%s", longText.c_str());
    ASSERT_EQ(captured.size(), 2u);
    EXPECT_EQ(captured[0].substr(0, 9), "! ERROR: ");
    EXPECT_LT(captured[0].size(), 1024u);
    EXPECT_GT(captured[0].size(), 1000u);
    EXPECT_LT(captured[1].size(), 4096u);
    EXPECT_GT(captured[1].size(), 2999u);
}

TEST(LogSinks, NoLibraryObjectMeansNoLine)
{
    captured.clear();
    ASSERT_EQ(currentCore(), nullptr);
    logMessage(LogError, "nobody hears this");
    EXPECT_TRUE(captured.empty());
}

TEST(LogSinks, PlainLibraryObjectLogsNowhere)
{
    { Vornet withCallback(capture); }
    captured.clear();
    Vornet library;
    logMessage(LogError, "nowhere");
    EXPECT_TRUE(captured.empty());
}

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(LogSinks, FileIsReplacedAndGetsOneLinePerCall)
{
    // Both builds' tests run at once: each needs a file of its own.
    const std::string name = testing::TempDir() + "vornet_log_test_" + std::to_string(getpid()) + ".txt";
    {
        std::ofstream old(name);
        old << "stale content\n";
    }
    {
        Vornet library(name.c_str());
        logMessage(LogNormal, "first");
        logMessage(LogWarning, "second %d", 2);
        // A line at the buffer's length still ends with its newline.
        logMessage(LogError, "%s", std::string(2000, 'y').c_str());
    }
    const std::string text = readFile(name);
    EXPECT_EQ(text.substr(0, 28), "first\n! WARNING: second 2\n! ");
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    std::remove(name.c_str());
}

TEST(LogSinks, TheFileStaysOpenFromLineToLine)
{
    const std::string name = testing::TempDir() + "vornet_log_open_" + std::to_string(getpid()) + ".txt";
    const std::string moved = name + ".moved";
    {
        Vornet library(name.c_str());
        logMessage(LogNormal, "first");
        ASSERT_EQ(std::rename(name.c_str(), moved.c_str()), 0);
        logMessage(LogNormal, "second");
    }
    EXPECT_EQ(readFile(moved), "first\nsecond\n");
    EXPECT_FALSE(std::ifstream(name).good()) << "nothing opened the name again";
    std::remove(moved.c_str());
}

std::atomic<uint64_t> steppedMicros{1000000};

TEST(LogRepeats, LinesThatDifferOnlyInNumbersAreCountedAndSummedUp)
{
    setClockSource([] { return steppedMicros.load(); });
    captured.clear();
    {
        Vornet library(capture);
        for (int i = 0; i < 100; ++i) logMessage(LogError, "wrong size: %d, expected: %d", i, 16);
        logMessage(LogError, "another line");
        EXPECT_EQ(captured.size(), 11u) << "ten of a kind, then counted";
        steppedMicros += 1000000;
        logMessage(LogError, "another line");
        ASSERT_EQ(captured.size(), 13u);
        EXPECT_EQ(captured[11], "! ERROR: wrong size: 99, expected: 16 (and 90 more like it)");
        EXPECT_EQ(captured[12], "! ERROR: another line");
        // Quiet for a second, the kind is written again.
        logMessage(LogError, "wrong size: %d, expected: %d", 1, 16);
        EXPECT_EQ(captured.size(), 14u);
        for (int i = 0; i < 20; ++i) logMessage(LogError, "wrong size: %d, expected: %d", i, 16);
    }
    // The library's end sums up what was still counted.
    EXPECT_EQ(captured.back(), "! ERROR: wrong size: 19, expected: 16 (and 11 more like it)");
    setClockSource(nullptr);
}

TEST(LogSinks, SecondLibraryObjectKeepsThePointerWhenTheFirstGoes)
{
    auto* first = new Vornet(capture);
    auto* second = new Vornet(capture);
    const Core* published = currentCore();
    delete first;
    EXPECT_EQ(currentCore(), published);
    captured.clear();
    logMessage(LogNormal, "still logging");
    EXPECT_EQ(captured.size(), 1u);
    delete second;
    EXPECT_EQ(currentCore(), nullptr);
}

void printLine(const char* line)
{
    std::fprintf(stderr, "[%s]\n", line);
}

TEST(FatalError, LogsOnceAsErrorAndExitsWithOne)
{
    EXPECT_EXIT(
        {
            Vornet library(printLine);
            fatalError("broken %s", "100% sure");
        },
        testing::ExitedWithCode(1), "\\[! ERROR: broken 100% sure\\]");
}

TEST(FatalError, NullFormatExitsSilently)
{
    EXPECT_EXIT(
        {
            Vornet library(printLine);
            fatalError(nullptr);
        },
        testing::ExitedWithCode(1), "^$");
}

uint64_t fakeMicroseconds = 0;

uint64_t fakeSource()
{
    return fakeMicroseconds;
}

class InjectedClock : public ::testing::Test {
protected:
    void SetUp() override { setClockSource(fakeSource); }
    void TearDown() override { setClockSource(nullptr); }
};

TEST_F(InjectedClock, StartsAtOneAndRoundsToTheNearestMillisecond)
{
    fakeMicroseconds = 123456000;
    EXPECT_EQ(Vornet::getTime(), 1u);
    fakeMicroseconds += 1500000;
    EXPECT_EQ(Vornet::getTime(), 1501u);
    fakeMicroseconds += 499;
    EXPECT_EQ(Vornet::getTime(), 1501u);
    fakeMicroseconds += 1;
    EXPECT_EQ(Vornet::getTime(), 1502u);
}

TEST_F(InjectedClock, WrapsAfterFortyNineDays)
{
    fakeMicroseconds = 0;
    EXPECT_EQ(Vornet::getTime(), 1u);
    fakeMicroseconds = (uint64_t{1} << 32) * 1000 - 1000;
    EXPECT_EQ(Vornet::getTime(), 0u);
    fakeMicroseconds += 5000;
    const uint32_t after = Vornet::getTime();
    EXPECT_EQ(after, 5u);
    EXPECT_EQ(static_cast<uint32_t>(after - 4294967295u), 6u);
}

TEST(PerThreadBlock, CreatedZeroFilledOnlyWhenAskedFor)
{
    bool hadBlockBefore = true;
    bool zeroFilled = false;
    bool sameOnSecondCall = false;
    std::thread worker([&] {
        hadBlockBefore = hasTlsData();
        tlsdat* block = getTlsData();
        ASSERT_NE(block, nullptr);
        zeroFilled = block->peekStream == nullptr && !block->replicator_building &&
                     block->stringBuffer.narrow[0] == 0 && block->textBuffer[255] == 0;
        block->textBuffer[0] = 'x';
        sameOnSecondCall = getTlsData() == block && block->textBuffer[0] == 'x';
    });
    worker.join();
    EXPECT_FALSE(hadBlockBefore);
    EXPECT_TRUE(zeroFilled);
    EXPECT_TRUE(sameOnSecondCall);
}

TEST(PerThreadBlock, EachThreadHasItsOwn)
{
    tlsdat* mine = getTlsData();
    tlsdat* theirs = nullptr;
    std::thread worker([&] { theirs = getTlsData(); });
    worker.join();
    EXPECT_NE(mine, theirs);
}

}  // namespace
