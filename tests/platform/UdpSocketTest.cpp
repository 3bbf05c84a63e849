#include "platform/NameLookup.h"
#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using platform::Ipv4Endpoint;
using platform::ReceiveStatus;
using platform::UdpSocket;

// A non-blocking socket bound to a port the system picks on 127.0.0.1.
void openLoopback(UdpSocket& socket)
{
    ASSERT_TRUE(socket.open());
    ASSERT_TRUE(socket.setNonBlocking());
    ASSERT_TRUE(socket.setReuseAddress());
    ASSERT_TRUE(socket.bind(platform::kLoopbackAddress, 0));
    ASSERT_NE(socket.localPort(), 0);
}

bool waitFor(const UdpSocket& socket)
{
    const int handle = socket.handle();
    bool ready = false;
    return platform::waitReadable(&handle, 1, 2000, &ready) == 1 && ready;
}

TEST(UdpSocket, DatagramsCrossTheLoopbackWithTheirSender)
{
    UdpSocket a, b;
    openLoopback(a);
    openLoopback(b);
    const std::string text = "hello over udp";
    ASSERT_TRUE(a.sendTo(text.data(), text.size(), {platform::kLoopbackAddress, b.localPort()}));
    ASSERT_TRUE(waitFor(b));
    char buffer[2048];
    size_t length = 0;
    Ipv4Endpoint from;
    ASSERT_EQ(b.receiveFrom(buffer, sizeof buffer, &length, &from), ReceiveStatus::Received);
    EXPECT_EQ(std::string(buffer, length), text);
    EXPECT_EQ(from.address, platform::kLoopbackAddress);
    EXPECT_EQ(from.port, a.localPort());
    EXPECT_EQ(b.receiveFrom(buffer, sizeof buffer, &length, &from), ReceiveStatus::Empty);
}

TEST(UdpSocket, ALongerDatagramThanTheBufferIsReportedNotCut)
{
    UdpSocket a, b;
    openLoopback(a);
    openLoopback(b);
    const std::string big(3000, 'x');
    const std::string small = "next";
    ASSERT_TRUE(a.sendTo(big.data(), big.size(), {platform::kLoopbackAddress, b.localPort()}));
    ASSERT_TRUE(a.sendTo(small.data(), small.size(), {platform::kLoopbackAddress, b.localPort()}));
    ASSERT_TRUE(waitFor(b));
    char buffer[2048];
    size_t length = 0;
    EXPECT_EQ(b.receiveFrom(buffer, sizeof buffer, &length, nullptr), ReceiveStatus::Truncated);
    ASSERT_EQ(b.receiveFrom(buffer, sizeof buffer, &length, nullptr), ReceiveStatus::Received);
    EXPECT_EQ(std::string(buffer, length), small);
}

TEST(UdpSocket, RefusesTheUnspecifiedAddressAndReportsBindConflicts)
{
    UdpSocket a, b;
    openLoopback(a);
    EXPECT_FALSE(a.sendTo("x", 1, {platform::kAnyAddress, 9}));
    ASSERT_TRUE(b.open());
    // Without address reuse on both sides the port is taken.
    EXPECT_FALSE(b.bind(platform::kLoopbackAddress, a.localPort()));
    EXPECT_NE(b.lastError(), 0);
}

TEST(UdpSocket, WaitTimesOutWithNothingToRead)
{
    UdpSocket a;
    openLoopback(a);
    const int handle = a.handle();
    bool ready = true;
    EXPECT_EQ(platform::waitReadable(&handle, 1, 10, &ready), 0);
    EXPECT_FALSE(ready);
}

TEST(NameLookup, DottedAddressesParseAndFormat)
{
    struct Case {
        const char* text;
        bool ok;
        uint32_t address;
    } cases[] = {
        {"127.0.0.1", true, 0x7F000001},  {"10.1.2.3", true, 0x0A010203},
        {"255.255.255.255", true, 0xFFFFFFFF}, {"0.0.0.0", true, 0},
        {"256.0.0.1", false, 0},          {"localhost", false, 0},
        {"1.2.3", false, 0},              {"", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t address = 0;
        EXPECT_EQ(platform::parseDottedIPv4(c.text, &address), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(address, c.address) << c.text;
            EXPECT_EQ(platform::formatDottedIPv4(address), c.text);
        }
    }
}

TEST(NameLookup, LocalhostResolvesAndLoopbackIsALocalInterface)
{
    uint32_t address = 0;
    ASSERT_TRUE(platform::resolveHostIPv4("localhost", &address));
    EXPECT_EQ(address >> 24, 127u);
    EXPECT_FALSE(platform::resolveHostIPv4("no such host!", &address));
    bool loopback = false;
    for (const platform::LocalInterface& i : platform::localInterfaces()) {
        if (i.address == platform::kLoopbackAddress) loopback = true;
    }
    EXPECT_TRUE(loopback);
    EXPECT_FALSE(platform::localHostName().empty());
}

}  // namespace
