// Ordered data under the kernel's own packet loss: the test moves into a
// network namespace of its own with netem on its loopback. A program of its
// own, since the namespace stays with the process. Skipped where the system
// does not allow it.
#include <gtest/gtest.h>

#include <sched.h>

#include <cstdlib>

#include "ControlSupport.h"
#include "platform/UdpSocket.h"

namespace {

using namespace control_test;

bool makeLossyLoopback()
{
    if (unshare(CLONE_NEWNET) != 0) return false;
    return std::system("ip link set lo up >/dev/null 2>&1 && "
                       "tc qdisc add dev lo root netem loss 30% >/dev/null 2>&1") == 0;
}

TEST(UdpKernelLoss, OrderedMessagesSurviveThirtyPercentLoss)
{
    if (!makeLossyLoopback()) GTEST_SKIP() << "no network namespace with netem here";
    Vornet library{LogLines::capture};
    ASSERT_TRUE(library.Init());
    RecordingControl server;
    RecordingControl client;
    const unsigned short port = freePort();
    ASSERT_TRUE(server.VNet_initSockets(true, port, 0, 0));
    ASSERT_TRUE(client.VNet_initSockets(true, freePort(), 0, 0));
    const unsigned id = client.VNet_Connect(transport_test::loopback(port), nullptr);
    auto run = [&](auto done) {
        for (int ms = 0; ms < 60000 && !done(); ++ms) {
            client.step();
            server.step();
            Vornet::Sleep(1);
        }
        return done();
    };
    ASSERT_TRUE(run([&] { return client.find("result") && server.count("established"); }));
    client.VNet_requestDownstreamLimit(id, 500, 512);
    server.VNet_requestDownstreamLimit(1, 500, 512);
    for (uint32_t i = 0; i < 1000; ++i) ASSERT_TRUE(client.VNet_sendData(id, valueStream(i), eVNet_ReliableOrdered));
    ASSERT_TRUE(run([&] { return server.data.size() >= 1000; }));
    for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(server.data[i], i);
    EXPECT_EQ(client.count("closed") + server.count("closed"), 0);
    library.Clear();
}

}  // namespace
