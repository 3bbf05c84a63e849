// Discovery between controls over real UDP. The broadcast goes to the one
// interface the test names: 127.0.0.1 as its own broadcast address, so the
// request reaches this host alone whatever the network allows. Real
// directed broadcast is tried only where an interface delivers one.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "ControlSupport.h"
#include "platform/NameLookup.h"
#include "platform/UdpSocket.h"
#include "vornet/src/vornet_packet.h"
#include "vornet/src/vornet_socket.h"

namespace {

using namespace control_test;

// What a discovery callback was given.
struct Seen {
    uint32_t ip = 0;
    unsigned short port = 0;
    bool hasValue = false;
    uint32_t value = 0;
};

Seen seen(const VNet_Address& address, VNet_BitStream* stream)
{
    Event event;
    readValue(stream, event);
    return {address.getIP(), address.getPort(), event.hasValue, event.value};
}

// Answers requests unless told otherwise; the reply carries the request's
// value plus replyOffset, or nothing when replyOffset is 0.
class DiscoveryControl : public RecordingControl {
public:
    unsigned short udpPort = 0;
    bool answer = true;
    // A request carrying this value is not answered.
    uint32_t refuseValue = 0;
    uint32_t replyOffset = 0;
    std::vector<Seen> requests;
    std::vector<Seen> answers;

    bool onDiscoverRequest(const VNet_Address& requester, VNet_BitStream* request, VNet_BitStream* reply) override
    {
        requests.push_back(seen(requester, request));
        const Seen last = requests.back();
        if (replyOffset) reply->addInt(last.value + replyOffset, 32);
        return answer && !(last.hasValue && last.value == refuseValue);
    }
    void onDiscoverAnswer(const VNet_Address& answerer, VNet_BitStream* stream) override
    {
        answers.push_back(seen(answerer, stream));
    }
};

class Discovery : public LibraryFixture {
protected:
    void SetUp() override
    {
        platform::replaceLocalInterfaces({{platform::kLoopbackAddress, platform::kLoopbackAddress}});
        LibraryFixture::SetUp();
        discoverPort = freePort();
        ASSERT_NE(discoverPort, 0);
    }
    void TearDown() override
    {
        controls.clear();
        library.Clear();
        platform::replaceLocalInterfaces({});
    }

    DiscoveryControl& addControl(unsigned char idSize = 0, unsigned char id = 0)
    {
        controls.push_back(std::make_unique<DiscoveryControl>());
        DiscoveryControl& control = *controls.back();
        control.udpPort = freePort();
        EXPECT_TRUE(control.VNet_initSockets(true, control.udpPort, 0, idSize));
        if (id) control.VNet_setControlID(id);
        return control;
    }

    // Steps every control each millisecond until the condition holds, for
    // at most ten seconds of real time.
    template <typename Condition>
    bool runUntil(Condition done)
    {
        for (int ms = 0; ms < 10000; ++ms) {
            if (done()) return true;
            for (auto& control : controls) control->step();
            Vornet::Sleep(1);
        }
        return done();
    }

    void stepAll()
    {
        for (auto& control : controls) control->step();
    }

    VNet_Address target(unsigned char controlId = 0) const
    {
        VNet_Address address = transport_test::loopback(discoverPort);
        address.setControlID(controlId);
        return address;
    }

    unsigned short discoverPort = 0;
    std::vector<std::unique_ptr<DiscoveryControl>> controls;
};

struct ExchangeCase {
    const char* name;
    bool withRequest;
    uint32_t replyOffset;
    unsigned char idSize;
    unsigned char id;
    // The answer's value; 0 for none.
    uint32_t answerValue;
};

TEST_F(Discovery, AnswerNamesTheAddressToConnectTo)
{
    const ExchangeCase cases[] = {
        {"bare request, bare answer", false, 0, 0, 0, 0},
        {"request data, reply data", true, 100, 0, 0, 107},
        {"request data, bare answer", true, 0, 0, 0, 0},
        {"bare request, reply data, control ids of 3 bits", false, 100, 3, 5, 100},
    };
    for (const ExchangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        controls.clear();
        DiscoveryControl& server = addControl(c.idSize, c.id);
        DiscoveryControl& client = addControl(c.idSize, c.id);
        server.replyOffset = c.replyOffset;
        ASSERT_TRUE(server.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));
        ASSERT_TRUE(client.VNet_Discover(target(c.id), c.withRequest ? valueStream(7) : nullptr));
        ASSERT_TRUE(runUntil([&] { return !client.answers.empty(); }));

        ASSERT_EQ(server.requests.size(), 1u);
        const Seen& request = server.requests[0];
        EXPECT_EQ(request.ip, platform::kLoopbackAddress);
        EXPECT_EQ(request.port, client.udpPort);
        EXPECT_EQ(request.hasValue, c.withRequest);
        EXPECT_EQ(request.value, c.withRequest ? 7u : 0u);

        const Seen& answer = client.answers[0];
        EXPECT_EQ(answer.ip, platform::kLoopbackAddress);
        EXPECT_EQ(answer.port, server.udpPort);
        EXPECT_NE(answer.port, discoverPort);
        EXPECT_EQ(answer.hasValue, c.answerValue != 0);
        EXPECT_EQ(answer.value, c.answerValue);

        VNet_Address found = transport_test::loopback(answer.port);
        found.setControlID(c.id);
        ASSERT_NE(client.VNet_Connect(found, nullptr), 0u);
        EXPECT_TRUE(runUntil([&] { return server.count("established") == 1; }));
    }
}

// Listeners under ids 1 and 2 share the port; each answers only requests
// from controls with its own id.
TEST_F(Discovery, DisabledListenerIsSilentUntilEnabledAgain)
{
    DiscoveryControl& disabled = addControl(3, 1);
    DiscoveryControl& witness = addControl(3, 2);
    DiscoveryControl& client = addControl(3, 1);
    ASSERT_TRUE(disabled.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));
    // Enabling twice enters the id once: one disable withdraws it.
    ASSERT_TRUE(disabled.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));
    ASSERT_TRUE(witness.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));
    ASSERT_TRUE(disabled.VNet_setDiscoverListener(eVNet_DiscoverDisable, 0));
    ASSERT_TRUE(disabled.VNet_setDiscoverListener(eVNet_DiscoverDisable, 0));

    // The witness's answer to the later request shows the earlier one has
    // been read from the shared socket.
    ASSERT_TRUE(client.VNet_Discover(target(), valueStream(1)));
    client.VNet_setControlID(2);
    ASSERT_TRUE(client.VNet_Discover(target(), valueStream(2)));
    ASSERT_TRUE(runUntil([&] { return client.answers.size() == 1; }));
    stepAll();
    EXPECT_TRUE(disabled.requests.empty());
    EXPECT_EQ(client.answers[0].port, witness.udpPort);

    ASSERT_TRUE(disabled.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));
    client.VNet_setControlID(1);
    ASSERT_TRUE(client.VNet_Discover(target(), valueStream(3)));
    ASSERT_TRUE(runUntil([&] { return client.answers.size() == 2; }));
    stepAll();
    EXPECT_EQ(client.answers[1].port, disabled.udpPort);
    EXPECT_EQ(witness.requests.size(), 1u);
    EXPECT_EQ(disabled.requests.size(), 1u);
}

TEST_F(Discovery, ReleasedListenerStopsAnsweringOnASharedSocket)
{
    // The listener's port is its own UDP port, which its socket keeps open.
    DiscoveryControl& server = addControl();
    DiscoveryControl& client = addControl();
    discoverPort = server.udpPort;
    server.refuseValue = 1;
    server.replyOffset = 100;
    ASSERT_TRUE(server.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));
    ASSERT_TRUE(client.VNet_Discover(target(), valueStream(1)));
    ASSERT_TRUE(client.VNet_Discover(target(), valueStream(2)));
    ASSERT_TRUE(runUntil([&] { return client.answers.size() == 1; }));
    // A refused request is not answered: the one answer is the second's.
    EXPECT_EQ(server.requests.size(), 2u);
    EXPECT_EQ(client.answers[0].value, 102u);

    ASSERT_TRUE(server.VNet_setDiscoverListener(eVNet_DiscoverRelease, 0));
    EXPECT_FALSE(server.VNet_setDiscoverListener(eVNet_DiscoverRelease, 0));
    EXPECT_FALSE(server.VNet_setDiscoverListener(eVNet_DiscoverDisable, 0));
    ASSERT_TRUE(client.VNet_Discover(target(), valueStream(3)));
    // Handled as a datagram from an unknown source, which is no request.
    ASSERT_TRUE(runUntil([&] { return LogLines::contains("incoming packet from unknown source"); }));
    EXPECT_EQ(server.requests.size(), 2u);
    EXPECT_EQ(client.answers.size(), 1u);
}

TEST_F(Discovery, RefusalsNameTheirReason)
{
    DiscoveryControl& bare = *controls.emplace_back(std::make_unique<DiscoveryControl>());
    EXPECT_FALSE(bare.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));
    EXPECT_TRUE(LogLines::contains("VNet_setDiscoverListener(): need initialised UDP socket first, call initSockets()"));
    EXPECT_FALSE(bare.VNet_Discover(target(), valueStream(1)));
    EXPECT_TRUE(LogLines::contains("VNet_Discover(): unable to discover without udp socket"));

    DiscoveryControl& server = addControl();
    EXPECT_FALSE(server.VNet_setDiscoverListener(static_cast<eVNet_DiscoverOpt>(3), discoverPort));
    EXPECT_TRUE(LogLines::contains("VNet_setDiscoverListener(): invalid option"));

    // A port whose socket another control reads with 3-bit ids.
    DiscoveryControl& other = addControl(3, 1);
    EXPECT_FALSE(server.VNet_setDiscoverListener(eVNet_DiscoverEnable, other.udpPort));
    EXPECT_TRUE(LogLines::contains("already uses control id size 3, not 0"));
    EXPECT_FALSE(server.VNet_setDiscoverListener(eVNet_DiscoverDisable, 0));
}

TEST_F(Discovery, RequestWithoutItsDataMarkerIsDropped)
{
    DiscoveryControl& server = addControl();
    DiscoveryControl& client = addControl();
    ASSERT_TRUE(server.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));

    // Sent straight to the port, header only.
    VNet_Socket* raw = Vornet::requestSocket(eVNet_AddressUDP, 0, false);
    ASSERT_NE(raw, nullptr);
    auto* cut = new VNet_Packet(static_cast<unsigned short>(16));
    cut->setDestination(target());
    ASSERT_TRUE(raw->addPacketHeader(cut, 0, 0, VNet_Socket::FlagDiscoverRequest));
    ASSERT_TRUE(raw->sendPacket(cut));
    Vornet::releaseSocket(raw);

    ASSERT_TRUE(client.VNet_Discover(target(), valueStream(4)));
    ASSERT_TRUE(runUntil([&] { return client.answers.size() == 1; }));
    EXPECT_TRUE(LogLines::contains("handleBroadcast(): dropped discovery request without its data marker"));
    ASSERT_EQ(server.requests.size(), 1u);
    EXPECT_EQ(server.requests[0].value, 4u);
}

// ---------------------------------------------------------------------------
// What a failed request leaves behind

// Counted on the test's thread only: the socket reader allocates on its
// own whenever it likes.
std::atomic<long> outstanding{0};
std::atomic<bool> refuseMemory{false};
const std::thread::id countedThread = std::this_thread::get_id();

void* countingAllocate(unsigned int bytes)
{
    if (std::this_thread::get_id() != countedThread) return std::malloc(bytes);
    if (refuseMemory) return nullptr;
    ++outstanding;
    return std::malloc(bytes);
}

void countingFree(void* memory)
{
    if (memory && std::this_thread::get_id() == countedThread) --outstanding;
    std::free(memory);
}

VNet_BitStream* oversizedRequest()
{
    auto* stream = new VNet_BitStream(2048);
    char block[1100] = {};
    stream->addBuffer(block, sizeof block);
    return stream;
}

// The hooks are set while no socket reader runs.
TEST(FailedDiscovery, FreesTheRequestAndThePacket)
{
    Vornet::overrideMemoryHandlers(countingAllocate, countingFree);
    {
        LogLines::clear();
        Vornet library{LogLines::capture};
        ASSERT_TRUE(library.Init());
        DiscoveryControl bare;
        DiscoveryControl client;
        ASSERT_TRUE(client.VNet_initSockets(true, 0, 0, 0));
        const VNet_Address to = transport_test::loopback(freePort());

        long before = outstanding;
        EXPECT_FALSE(bare.VNet_Discover(to, valueStream(1)));
        EXPECT_EQ(outstanding, before);

        before = outstanding;
        EXPECT_FALSE(client.VNet_Discover(to, oversizedRequest()));
        EXPECT_TRUE(LogLines::contains("packet greater than 1024b"));
        EXPECT_EQ(outstanding, before);

        before = outstanding;
        VNet_BitStream* request = valueStream(3);
        refuseMemory = true;
        EXPECT_FALSE(client.VNet_Discover(to, request));
        refuseMemory = false;
        EXPECT_TRUE(LogLines::contains("VNet_Discover(): out of memory"));
        EXPECT_EQ(outstanding, before);
    }
    Vornet::overrideMemoryHandlers(nullptr, nullptr);
}

// ---------------------------------------------------------------------------
// Real directed broadcast, where the machine has an interface that delivers
// one back to this host.

bool deliversBroadcast(const platform::LocalInterface& interface)
{
    platform::UdpSocket listener;
    platform::UdpSocket sender;
    if (!listener.open() || !listener.setNonBlocking() || !listener.bind(platform::kAnyAddress, 0)) return false;
    if (!sender.open() || !sender.setBroadcast() || !sender.bind(interface.address, 0)) return false;
    const char probe = 'p';
    if (!sender.sendTo(&probe, 1, {interface.broadcast, listener.localPort()})) return false;
    for (int ms = 0; ms < 500; ++ms) {
        char buffer[4];
        size_t length = 0;
        platform::Ipv4Endpoint from;
        if (listener.receiveFrom(buffer, sizeof buffer, &length, &from) == platform::ReceiveStatus::Received) {
            return true;
        }
        Vornet::Sleep(1);
    }
    return false;
}

TEST_F(Discovery, DirectedBroadcastOnARealInterface)
{
    platform::replaceLocalInterfaces({});
    const platform::LocalInterface* usable = nullptr;
    const std::vector<platform::LocalInterface> interfaces = platform::localInterfaces();
    for (const platform::LocalInterface& interface : interfaces) {
        if (interface.address != platform::kLoopbackAddress && deliversBroadcast(interface)) {
            usable = &interface;
            break;
        }
    }
    if (!usable) GTEST_SKIP() << "no interface here delivers a directed broadcast";
    platform::replaceLocalInterfaces({*usable});

    DiscoveryControl& server = addControl();
    DiscoveryControl& client = addControl();
    ASSERT_TRUE(server.VNet_setDiscoverListener(eVNet_DiscoverEnable, discoverPort));
    ASSERT_TRUE(client.VNet_Discover(target(), nullptr));
    ASSERT_TRUE(runUntil([&] { return !client.answers.empty(); }));
    EXPECT_EQ(server.requests[0].ip, usable->address);
    EXPECT_EQ(client.answers[0].ip, usable->address);
    EXPECT_EQ(client.answers[0].port, server.udpPort);
}

}  // namespace
