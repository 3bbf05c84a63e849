// The library's private containers: STRING, ARRAY, BitArray, IdHandler,
// IdMap and LIST.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vornet/src/vornet_array.h"
#include "vornet/src/vornet_bitarray.h"
#include "vornet/src/vornet_idhandler.h"
#include "vornet/src/vornet_list.h"
#include "vornet/src/vornet_string.h"
#include "vornet/vornet.h"

namespace {

using namespace Vornet_Private;

std::vector<std::string> logLines;

void captureLog(const char* line)
{
    logLines.push_back(line);
}

void printLine(const char* line)
{
    std::fprintf(stderr, "[%s]\n", line);
}

class WithLog : public testing::Test {
protected:
    void SetUp() override { logLines.clear(); }
    Vornet library{captureLog};
};

std::string text(const STRING& s)
{
    return s.getBuffer() ? s.getBuffer() : "<none>";
}

// --- STRING ---------------------------------------------------------------

TEST(StringBuffer, AssignmentAllocatesExactlyAndReusesLargerBuffers)
{
    STRING s;
    EXPECT_EQ(s.getBuffer(), nullptr);
    s = "";
    EXPECT_EQ(s.getBuffer(), nullptr);
    s = "abc";
    EXPECT_EQ(s.getAllocatedSize(), 4);
    s = "ab";
    EXPECT_EQ(s.getAllocatedSize(), 4);
    EXPECT_EQ(text(s), "ab");
    s = "abcdefg";
    EXPECT_EQ(s.getAllocatedSize(), 8);
    s = nullptr;
    EXPECT_EQ(s.getBuffer(), nullptr);
    EXPECT_EQ(s.getAllocatedSize(), 0);
}

TEST(StringBuffer, MaximumLengthClampsAssignAndAppend)
{
    STRING s;
    s.setMaxLength(4, false);
    s = "abcdef";
    EXPECT_EQ(text(s), "abc");
    s += "xy";
    EXPECT_EQ(text(s), "abc");
    s.appendChar('z');
    EXPECT_EQ(text(s), "abc");
    EXPECT_EQ(s.getAllocatedSize(), 4);
}

TEST(StringBuffer, ZeroSizesWriteNothing)
{
    STRING s("abc");
    char out[4] = {'u', 'u', 'u', 0};
    s.copyTo(out, 0);
    EXPECT_STREQ(out, "uuu");
    s.copyTo(out, 3);
    EXPECT_STREQ(out, "ab");
    s.copyTo(nullptr, 4);
    s.setMaxLength(0, true);
    EXPECT_EQ(s.getBuffer(), nullptr);
    s = "refused";
    EXPECT_EQ(s.getBuffer(), nullptr);
    s.append("refused");
    EXPECT_EQ(s.getBuffer(), nullptr);
}

TEST(StringBuffer, SetMaxLengthWithReallocateCutsTheText)
{
    STRING s("abcdef");
    s.setMaxLength(3, true);
    EXPECT_EQ(s.getAllocatedSize(), 3);
    EXPECT_EQ(text(s), "ab");
    s.setMaxLength(-1, false);
    s += "cdef";
    EXPECT_EQ(text(s), "abcdef");
}

TEST(StringBuffer, AppendingGrowsToExactlyTheNeed)
{
    STRING s("ab");
    s += "cd";
    EXPECT_EQ(s.getAllocatedSize(), 5);
    s += 'e';
    EXPECT_EQ(text(s), "abcde");
    s += s;
    EXPECT_EQ(text(s), "abcdeabcde");
    s.append("xyz", 3);
    EXPECT_EQ(text(s), "abcdeabcdexy");
    STRING c;
    c = 'q';
    EXPECT_EQ(text(c), "q");
    EXPECT_EQ(text(STRING("a") + "b"), "ab");
    EXPECT_EQ(text("a" + STRING("b")), "ab");
    EXPECT_EQ(text(STRING("a") + 'c'), "ac");
    EXPECT_EQ(text(STRING(-42)), "-42");
    EXPECT_EQ(text(STRING("abcdef", 3)), "ab");
}

struct SubstringCase {
    const char* name;
    STRING (*take)(const STRING&);
    const char* expected;
};

TEST(StringBuffer, Substrings)
{
    const SubstringCase cases[] = {
        {"right 1", [](const STRING& s) { return s.getRight(1); }, "bc"},
        {"right past buffer", [](const STRING& s) { return s.getRight(4); }, "<none>"},
        {"left 5", [](const STRING& s) { return s.getLeft(5); }, "abc"},
        {"left 2", [](const STRING& s) { return s.getLeft(2); }, "ab"},
        {"left 0", [](const STRING& s) { return s.getLeft(0); }, "<none>"},
        {"mid 1 1", [](const STRING& s) { return s.getMid(1, 1); }, "b"},
        {"mid 1 9", [](const STRING& s) { return s.getMid(1, 9); }, "bc"},
    };
    const STRING abc("abc");
    for (const SubstringCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text(c.take(abc)), c.expected);
    }
}

TEST(StringBuffer, ComparisonsNeedBuffers)
{
    STRING empty, other, abc("abc"), abd("abd");
    EXPECT_FALSE(empty == other);
    EXPECT_FALSE(empty == "");
    EXPECT_TRUE(abc == "abc");
    EXPECT_TRUE(abc == STRING("abc"));
    EXPECT_TRUE(abc < abd);
    EXPECT_TRUE(abd > abc);
    EXPECT_FALSE(empty < abc);
    EXPECT_EQ(abc.find('c'), 2);
    EXPECT_EQ(abc.find('x'), -1);
    EXPECT_EQ(empty.find('a'), -1);
    STRING mixed("MiXed1");
    mixed.toUpper();
    EXPECT_EQ(text(mixed), "MIXED1");
    mixed.toLower();
    EXPECT_EQ(text(mixed), "mixed1");
}

TEST(StringBuffer, IndexingGrowsWithoutMaximum)
{
    STRING s("abc");
    s[10] = 'z';
    EXPECT_EQ(s.getAllocatedSize(), 11);
    for (int i = 4; i < 10; ++i) EXPECT_EQ(s[i], 0);
    EXPECT_EQ(text(s), "abc");
}

TEST(StringBuffer, ShiftLeftMovesTowardTheStart)
{
    STRING s("abcdef");
    s.shiftLeft(2, 2);
    EXPECT_EQ(text(s), "cdef");
    STRING t("abcdef");
    t.shiftLeft(0, 3);  // starts at index 3 so the target is the buffer's start
    EXPECT_EQ(text(t), "def");
    EXPECT_EQ(t[t.getAllocatedSize() - 1], 0);
}

TEST(StringBuffer, FormatKeepsAtMost2047Characters)
{
    STRING s;
    s.format("%s-%d", "n", 7);
    EXPECT_EQ(text(s), "n-7");
    s.format("%s", std::string(3000, 'k').c_str());
    EXPECT_EQ(s.getLength(), 2047);
    s.format(nullptr);
    EXPECT_EQ(s.getLength(), 2047);
}

struct FatalCase {
    const char* name;
    void (*misuse)();
    const char* message;
};

template <size_t N>
void expectEachEndsTheProcess(const FatalCase (&cases)[N])
{
    for (const FatalCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(
            {
                Vornet library(printLine);
                c.misuse();
            },
            testing::ExitedWithCode(1), c.message);
    }
}

TEST(StringBufferDeath, MisuseEndsTheProcess)
{
    const FatalCase cases[] = {
        {"index past maximum",
         [] {
             STRING s("abc");
             s.setMaxLength(4, false);
             s[4] = 'x';
         },
         "\\[! ERROR: !ERROR: STRING::operator\\[\\]: out of boundary read at 4\\[\"abc\"\\]\\]"},
        {"negative left", [] { STRING("abc").getLeft(-1); }, "STRING::getLeft\\(-1\\): invalid argument"},
        {"negative right", [] { STRING("abc").getRight(-2); }, "STRING::getRight\\(-2\\): invalid argument"},
        {"negative mid", [] { STRING("abc").getMid(1, -1); }, "STRING::getMid\\(1, -1\\): invalid argument"},
        {"shift outside", [] { STRING("abc").shiftLeft(4, 1); },
         "!ERROR: STRING\\(\"abc\"\\)::shiftLeft\\(4, 1\\): invalid access"},
    };
    expectEachEndsTheProcess(cases);
}

// --- ARRAY and BitArray -----------------------------------------------------

TEST(Array, PutFirstFreeDoublesWhenFull)
{
    ARRAY<int> a;
    a.setSize(4);
    a.fill(7);
    EXPECT_EQ(a.putFirstFree(9, 0), 4);
    ASSERT_EQ(a.getCount(), 8);
    EXPECT_EQ(a[4], 9);
    for (int i = 5; i < 8; ++i) EXPECT_EQ(a[i], 0);
    EXPECT_EQ(a[3], 7);
    EXPECT_EQ(a.putFirstFree(5, 0), 5);

    ARRAY<int> none;
    EXPECT_EQ(none.putFirstFree(3, 0), 0);
    EXPECT_EQ(none.getCount(), 1);
}

TEST(Array, ResizeKeepsTheFront)
{
    ARRAY<int> a;
    a.setSize(3);
    a[0] = 1;
    a[2] = 3;
    a.resize(2);
    EXPECT_EQ(a.getCount(), 2);
    EXPECT_EQ(a[0], 1);
    a.resize(5);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[4], 0);
}

TEST(ArrayDeath, BadIndicesAndSizesEndTheProcess)
{
    const FatalCase cases[] = {
        {"index -1",
         [] {
             ARRAY<int> a;
             a.setSize(3);
             a[-1] = 0;
         },
         "\\[! ERROR: !ERROR: ARRAY::operator\\[\\]: out of boundary access at -1/2\\]"},
        {"index count",
         [] {
             ARRAY<int> a;
             a.setSize(3);
             a[3] = 0;
         },
         "out of boundary access at 3/2"},
        {"no storage", [] { ARRAY<int>()[0] = 1; }, "ARRAY::operator\\[\\]: array not allocated"},
        {"size 0", [] { ARRAY<int>().setSize(0); }, "ARRAY::setSize\\(0\\): invalid size"},
        {"resize -2", [] { ARRAY<int>().resize(-2); }, "ARRAY::resize\\(-2\\): invalid size"},
    };
    expectEachEndsTheProcess(cases);
}

TEST_F(WithLog, BitArrayWarnsAboutBitsOutside)
{
    BitArray bits;
    bits.set(31);
    bits.set(32);
    EXPECT_EQ(bits.word(0), 0x80000000u);
    EXPECT_EQ(bits.word(1), 1u);
    EXPECT_TRUE(bits.get(32));
    EXPECT_FALSE(bits.get(33));
    bits.set(512);
    EXPECT_FALSE(bits.get(600));
    EXPECT_EQ(logLines,
              (std::vector<std::string>{"!WARNING: BitArray::set(512): invalid bit",
                                        "!WARNING: BitArray::get(600): invalid bit"}));
    bits.clear();
    EXPECT_FALSE(bits.get(31));
}

// --- IdHandler and IdMap ----------------------------------------------------

TEST(IdHandlerTable, HandsOutTheOldestFreeIdAndGrowsByThirtyTwo)
{
    IdHandler<void*> ids;
    EXPECT_EQ(ids.reserveNext(), 0);
    EXPECT_EQ(ids.reserveNext(), 1);
    EXPECT_EQ(ids.reserveNext(), 2);
    ids.remove(1);
    std::vector<int> order;
    for (int i = 0; i < 15 + 32; ++i) order.push_back(ids.reserveNext());
    std::vector<int> expected;
    for (int id = 3; id <= 15; ++id) expected.push_back(id);
    expected.push_back(1);
    for (int id = 16; id <= 48; ++id) expected.push_back(id);
    expected.resize(order.size());
    EXPECT_EQ(order, expected);
    EXPECT_EQ(ids.getSlotCount(), 48u + 32u);
}

TEST(IdHandlerTable, ReservingHighIdsGrowsAsNeeded)
{
    IdHandler<int> small;
    EXPECT_EQ(small.reserve(20), 20);
    EXPECT_EQ(small.getSlotCount(), 48u);
    IdHandler<int> large;
    EXPECT_EQ(large.reserve(100), 100);
    EXPECT_EQ(large.getSlotCount(), 101u);
    // The reserved id left the free queue: the next ids skip it.
    for (int id = 0; id < 100; ++id) EXPECT_EQ(large.reserveNext(), id);
    EXPECT_EQ(large.reserveNext(), 101);
}

TEST(IdHandlerTable, SetGetIterate)
{
    IdHandler<int> ids;
    for (int i = 0; i < 5; ++i) ids.reserveNext();
    ids.set(1, 11);
    ids.set(3, 33);
    EXPECT_EQ(ids.get(3), 33);
    EXPECT_EQ(ids.get(2), 0);  // reserved, not used
    EXPECT_EQ(ids.get(1000), 0);
    uint32_t it = 0;
    EXPECT_EQ(ids.first(it), 11);
    EXPECT_EQ(it, 1u);
    EXPECT_EQ(ids.next(it), 33);
    EXPECT_EQ(ids.next(it), 0);
    EXPECT_EQ(ids.getUsedCount(), 5);
    ids.reserve(3);  // a used slot is released first, then reserved again
    EXPECT_EQ(ids.get(3), 0);
    EXPECT_EQ(ids.getUsedCount(), 5);
}

TEST(IdHandlerTable, FindsStrings)
{
    STRING alpha("alpha"), beta("beta");
    IdHandler<STRING*> names;
    names.reserve(0);
    names.set(names.reserveNext(), &alpha);
    names.set(names.reserveNext(), &beta);
    EXPECT_EQ(names.findString(STRING("beta")), 2u);
    EXPECT_EQ(names.findString(STRING("gamma")), 0u);
}

TEST_F(WithLog, IdHandlerWarnsAboutMisuse)
{
    IdHandler<int> ids;
    ids.set(5, 1);
    ids.remove(5);
    EXPECT_EQ(ids.get(5), 0);
    EXPECT_EQ(logLines, (std::vector<std::string>{"! WARNING: IdHandler: id not reserved: 5",
                                                  "! WARNING: IdHandler: tried to remove unused: 5"}));
}

TEST(IdMapTable, MapsBothWaysAndNeverUsesZero)
{
    IdMap map;
    map.set(3, 40);
    EXPECT_EQ(map.forward(3), 40u);
    EXPECT_EQ(map.backward(40), 3u);
    map.remove(3);
    EXPECT_EQ(map.forward(3), 0u);
    EXPECT_EQ(map.backward(40), 0u);
}

// --- LIST -------------------------------------------------------------------

std::vector<int> contents(const LIST<int>& list)
{
    std::vector<int> values;
    for (auto* node = list.first(); node; node = node->next) values.push_back(node->payload);
    return values;
}

TEST(LinkedList, InsertionsKeepOrderAndEnds)
{
    LIST<int> list;
    auto* two = list.append(2);
    EXPECT_EQ(list.cursor(), two);
    list.prepend(1);
    list.append(4);
    list.insertAfter(two, 3);
    EXPECT_EQ(list.cursor(), two);
    list.insertBefore(list.first(), 0);
    list.insertAfter(list.last(), 5);
    EXPECT_EQ(contents(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(list.first()->payload, 0);
    EXPECT_EQ(list.last()->payload, 5);
    EXPECT_EQ(list.last()->prev->payload, 4);
    EXPECT_EQ(list.count(), 6);
}

TEST(LinkedList, RemovingTheCursorMovesItToTheSuccessor)
{
    LIST<int> list;
    for (int i = 0; i < 4; ++i) list.append(i);
    auto* second = list.first()->next;
    list.setCursor(second);
    auto* successor = list.remove(second);
    EXPECT_EQ(successor->payload, 2);
    EXPECT_EQ(list.cursor(), successor);
    // Removing another node leaves the cursor alone.
    EXPECT_EQ(list.remove(list.first())->payload, 2);
    EXPECT_EQ(list.cursor(), successor);
    EXPECT_EQ(list.removeValue(3), nullptr);
    EXPECT_EQ(list.removeValue(9), nullptr);
    EXPECT_EQ(contents(list), (std::vector<int>{2}));
    EXPECT_EQ(list.remove(list.first()), nullptr);
    EXPECT_EQ(list.first(), nullptr);
    EXPECT_EQ(list.last(), nullptr);
    EXPECT_EQ(list.cursor(), nullptr);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.remove(nullptr), nullptr);
}

unsigned listAllocations = 0;

void* countListAllocation(unsigned int bytes)
{
    ++listAllocations;
    return std::malloc(bytes);
}

// A queue that fills and drains, as the packet and data queues do, takes
// its nodes from the ones it gave back: only the first fill allocates, and
// a node that comes back carries nothing of its last element.
TEST(LinkedList, QueueInSteadyStateReusesItsNodes)
{
    Vornet::overrideMemoryHandlers(countListAllocation, nullptr);
    listAllocations = 0;
    {
        LIST<int> list;
        for (int round = 0; round < 50; ++round) {
            for (int i = 0; i < 4; ++i) list.append(round * 10 + i);
            EXPECT_EQ(contents(list), (std::vector<int>{round * 10, round * 10 + 1, round * 10 + 2, round * 10 + 3}));
            while (list.first()) list.remove(list.first());
        }
        list.append(7);
        list.clear();
        EXPECT_EQ(list.prepend(8)->next, nullptr);
        EXPECT_EQ(contents(list), (std::vector<int>{8}));
    }
    Vornet::overrideMemoryHandlers(nullptr, nullptr);
    EXPECT_EQ(listAllocations, 4u);
}

TEST(LinkedList, ScanThatRemovesAsItGoes)
{
    LIST<int> list;
    for (int i = 0; i < 6; ++i) list.append(i);
    list.setCursor(list.first());
    while (auto* node = list.cursor()) {
        if (node->payload % 2) {
            list.remove(node);
        } else {
            list.setCursor(node->next);
        }
    }
    EXPECT_EQ(contents(list), (std::vector<int>{0, 2, 4}));
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.first(), nullptr);
}

}  // namespace
