// The library's public frame: allocation hooks, the node handle, the clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include "vornet/vornet.h"
#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_node.h"

namespace {

int hookAllocations = 0;
int hookFrees = 0;
void* lastAllocated = nullptr;
void* lastFreed = nullptr;
int allocationsBeforeFailure = -1;

void* countingAllocate(unsigned int bytes)
{
    if (allocationsBeforeFailure == 0) return nullptr;
    if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
    ++hookAllocations;
    return lastAllocated = std::malloc(bytes);
}

void countingFree(void* memory)
{
    ++hookFrees;
    lastFreed = memory;
    std::free(memory);
}

class AllocationHooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        hookAllocations = hookFrees = 0;
        lastAllocated = lastFreed = nullptr;
        allocationsBeforeFailure = -1;
        Vornet::overrideMemoryHandlers(countingAllocate, countingFree);
    }
    void TearDown() override { Vornet::overrideMemoryHandlers(nullptr, nullptr); }
};

TEST_F(AllocationHooks, NodeWithoutLibraryObjectCostsOneAllocation)
{
    std::optional<VNet_Node> node;
    node.emplace();
    EXPECT_EQ(hookAllocations, 1);
    EXPECT_EQ(hookFrees, 0);
    void* block = lastAllocated;
    node.reset();
    EXPECT_EQ(hookFrees, 1);
    EXPECT_EQ(lastFreed, block);
}

TEST_F(AllocationHooks, HeapNodesAndStreamsComeFromTheHooks)
{
    auto* node = new VNet_Node;
    auto* stream = new VNet_BitStream(32);
    EXPECT_EQ(hookAllocations, 4);  // each object and its private block or buffer
    delete stream;
    delete node;
    EXPECT_EQ(hookFrees, 4);
}

TEST_F(AllocationHooks, ApplicationAllocationsBypassTheHooks)
{
    auto value = std::make_unique<int>(5);
    auto text = std::make_unique<char[]>(100);
    EXPECT_EQ(hookAllocations, 0);
}

TEST_F(AllocationHooks, LibraryObjectAllocatesItsBlockThroughTheHooks)
{
    {
        Vornet library;
        EXPECT_GE(hookAllocations, 1);
    }
    EXPECT_EQ(hookFrees, hookAllocations);
}

TEST_F(AllocationHooks, NullHandlersRestoreTheRuntime)
{
    Vornet::overrideMemoryHandlers(nullptr, nullptr);
    { VNet_Node node; }
    EXPECT_EQ(hookAllocations, 0);
    EXPECT_EQ(hookFrees, 0);
}

TEST_F(AllocationHooks, LibraryObjectWithoutMemoryStaysInert)
{
    allocationsBeforeFailure = 0;
    Vornet library;
    library.setLogLevel(1);
    EXPECT_EQ(hookAllocations, 0);
}

void printLine(const char* line)
{
    std::fprintf(stderr, "%s\n", line);
}

TEST_F(AllocationHooks, NodeWithoutMemoryEndsTheProcess)
{
    EXPECT_EXIT(
        {
            Vornet::overrideMemoryHandlers(countingAllocate, countingFree);
            Vornet library(printLine);
            allocationsBeforeFailure = 0;
            VNet_Node node;
        },
        ::testing::ExitedWithCode(1), "! ERROR: VNet_Node::VNet_Node\\(\\): out of memory");
}

TEST(LibraryClock, CountsMillisecondsForward)
{
    const uint32_t first = Vornet::getTime();
    EXPECT_NE(first, 0u);
    Vornet::Sleep(20);
    const uint32_t later = Vornet::getTime();
    EXPECT_GE(static_cast<uint32_t>(later - first), 19u);
}

}  // namespace
