// Nodes replicated between two controls over in-process sockets and over
// UDP: the class exchange, announcements, updates, deletions and relevance,
// also under loss and lag; announce data; replication interceptors.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "NodeSupport.h"
#include "platform/UdpSocket.h"
#include "vornet/src/vornet_connection.h"
#include "vornet/src/vornet_control_private.h"
#include "vornet/vornet_replicator_memblock.h"

namespace {

using namespace node_test;

using NodeReplication = NodeFixture;

TEST_F(NodeReplication, ProxiesConvergeAndFollowChanges)
{
    for (int i = 0; i < 20; ++i) addThing().set(0, i);
    const unsigned id = connect();
    EXPECT_EQ(client->find("levelResult")->code, 1u);
    ASSERT_GE(runUntil([&] { return converged(); }), 0) << LogLines::all();
    for (int round = 1; round < 4; ++round) {
        for (size_t i = 0; i < things.size(); ++i) things[i]->set(round, int(i));
        ASSERT_GE(runUntil([&] { return converged(); }), 0) << "round " << round;
    }
    (void)id;
}

TEST_F(NodeReplication, ConvergesUnderLossAndLagWithDeletionsAndRelevance)
{
    for (int i = 0; i < 20; ++i) addThing().set(0, i);
    connect();
    server->VNet_simulateLoss(0, 0.3f);
    client->VNet_simulateLoss(0, 0.3f);
    server->VNet_simulateLag(0, 40);
    client->VNet_simulateLag(0, 40);
    ASSERT_GE(runUntil([&] { return converged(); }), 0) << LogLines::all();
    for (int round = 1; round < 6; ++round) {
        // Changes every few steps while packets are lost and late.
        for (int step = 0; step < 30; ++step) {
            things[size_t(step) % things.size()]->set(round * 100 + step, step);
            runUntil([] { return false; }, 3);
        }
        ASSERT_GE(runUntil([&] { return converged(); }), 0) << "round " << round;
    }
    things.erase(things.begin(), things.begin() + 5);
    ASSERT_GE(runUntil([&] { return converged(); }), 0) << "after deletions";

    const unsigned serverSide = server->find("established")->id;
    const unsigned hidden = things[0]->node.getNetworkID();
    things[0]->node.setConnectionSpecificRelevance(serverSide, 0.0f);
    ASSERT_GE(runUntil([&] { return client->proxies.count(hidden) == 0; }), 0);
    things[0]->set(999, 0);
    things[0]->node.setConnectionSpecificRelevance(serverSide, 0.5f);
    ASSERT_GE(runUntil([&] { return converged(); }), 0) << "after relevance came back";
}

// A client names its connection with its own id, which need not be the
// server's: a second client's connection control node is found all the same,
// and both clients receive every node.
TEST_F(NodeReplication, EveryClientOfAServerReceivesTheNodes)
{
    for (int i = 0; i < 5; ++i) addThing().set(0, i);
    connect();
    NodeControl second;
    ASSERT_TRUE(second.VNet_initSockets(false, 0, kClientPort + 2, 0));
    const auto alsoSecond = [&](auto done) {
        return [&, done] {
            second.step();
            second.pollProxies();
            return done();
        };
    };
    const unsigned id = second.VNet_Connect(transport_test::localPort(kServerPort), nullptr);
    ASSERT_GE(runUntil(alsoSecond([&] { return second.find("result") != nullptr; })), 0);
    ASSERT_TRUE(second.VNet_requestVornMode(id, 1));
    ASSERT_GE(runUntil(alsoSecond([&] { return second.proxies.size() == things.size() && converged(); })), 0)
        << LogLines::all();
    EXPECT_EQ(second.count("closed"), 0);
    for (const auto& thing : things) EXPECT_TRUE(second.proxies.at(thing->node.getNetworkID())->sameAs(*thing));
}

TEST_F(NodeReplication, ADependencyIsAnnouncedBeforeItsDependant)
{
    Thing& dependant = addThing();
    Thing& base = addThing();
    ASSERT_TRUE(dependant.node.dependsOn(&base.node, eVNet_AddDependency));
    EXPECT_FALSE(base.node.dependsOn(&dependant.node, eVNet_AddDependency)) << "a cycle is refused";
    EXPECT_FALSE(dependant.node.dependsOn(&dependant.node, eVNet_AddDependency));
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    ASSERT_EQ(client->announced.size(), 2u);
    EXPECT_EQ(client->announced[0], base.node.getNetworkID());
}

// A packet holds as many node updates and events as its bytes per packet
// allow, not one of each.
TEST_F(NodeReplication, OnePacketCarriesSeveralUpdatesAndEvents)
{
    for (int i = 0; i < 3; ++i) addThing().set(0, i);
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    for (auto& thing : things) thing->flag = !thing->flag;
    for (uint32_t i = 0; i < 3; ++i) ASSERT_TRUE(things[0]->node.sendEvent(eVNet_Unreliable, 0x01, valueStream(i)));
    const auto changed = [&] {
        int count = 0;
        for (auto& thing : things) count += client->proxies.at(thing->node.getNetworkID())->flag == thing->flag;
        return count;
    };
    ASSERT_GE(runUntil([&] { return changed() > 0 || !client->userEvents.empty(); }), 0);
    EXPECT_EQ(changed(), 3);
    EXPECT_EQ(client->userEvents.size(), 3u);
}

// Nothing else is due when the authority hands the node over: the peer
// still learns that it is the owner, and that it no longer is, also when
// packets are lost.
TEST_F(NodeReplication, APeerLearnsItsRoleWithoutOtherChanges)
{
    Thing& thing = addThing();
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    const unsigned serverSide = server->find("established")->id;
    server->VNet_simulateLoss(0, 0.3f);
    client->VNet_simulateLoss(0, 0.3f);
    VNet_Node& proxy = client->proxies.at(thing.node.getNetworkID())->node;
    for (bool owner : {true, false, true}) {
        thing.node.setOwner(serverSide, owner);
        const eVNet_NodeRole role = owner ? eVNet_RoleOwner : eVNet_RoleProxy;
        ASSERT_GE(runUntil([&] { return proxy.getRole() == role; }), 0) << "owner " << owner;
    }
}

// Nodes registered by tag with announce data, which travels without its
// length: only a request handler can read it, so the reader must never go
// on past data that nobody read, or read to a wrong length.
struct AnnounceCase {
    const char* name;
    // The client holds a node of that class and tag before the announcement.
    bool heldBefore;
    // The client's request handler reads the 32-bit announce value.
    bool handlerReads;
    // Empty when the proxy must converge, else the line that ends the
    // connection.
    const char* failure;
};

class TaggedControl : public NodeControl {
public:
    unsigned taggedClass = VNet_registerClass("Tagged", VNET_CLASSFLAG_ANNOUNCEDATA);
    bool handlerReads = true;
    uint32_t announceValue = 0;
    std::unique_ptr<Thing> tagged;

    void onTagNodeRequest(unsigned int id, unsigned int classId, VNet_BitStream* announce, eVNet_NodeRole role,
                          unsigned int tag) override
    {
        RecordingControl::onTagNodeRequest(id, classId, announce, role, tag);
        if (classId != taggedClass || !announce) return;
        if (handlerReads) announceValue = announce->getInt(32);
        tagged = std::make_unique<Thing>();
        tagged->node.registerNodeByTag(classId, tag, role, this);
    }
};

class TaggedNodes : public NodeFixture {
protected:
    std::unique_ptr<NodeControl> makeControl() override { return std::make_unique<TaggedControl>(); }
    TaggedControl& tagged(const std::unique_ptr<NodeControl>& control)
    {
        return static_cast<TaggedControl&>(*control);
    }
};

class AnnounceData : public TaggedNodes, public ::testing::WithParamInterface<AnnounceCase> {};

TEST_P(AnnounceData, IsReadByTheHandlerOrEndsTheConnection)
{
    const AnnounceCase& c = GetParam();
    constexpr unsigned kTag = 77;
    // The handler's value, or zeros that a handler reading nothing leaves
    // where the entry's first marker belongs.
    const uint32_t value = c.handlerReads ? 0xC0FFEEu : 0u;
    Thing original;
    original.set(3, 3);
    auto* announce = new VNet_BitStream(8);
    announce->addInt(value, 32);
    original.node.setAnnounceData(announce);
    ASSERT_TRUE(original.node.registerNodeByTag(tagged(server).taggedClass, kTag, eVNet_RoleAuthority, server.get()));
    // A dynamic node announced in the same packets must come out whole.
    addThing().set(1, 1);
    tagged(client).handlerReads = c.handlerReads;
    Thing held;
    if (c.heldBefore) {
        ASSERT_TRUE(held.node.registerNodeByTag(tagged(client).taggedClass, kTag, eVNet_RoleProxy, client.get()));
    }
    connect();
    if (!*c.failure) {
        ASSERT_GE(runUntil([&] { return converged() && tagged(client).tagged; }), 0) << LogLines::all();
        ASSERT_GE(runUntil([&] { return tagged(client).tagged->sameAs(original); }), 0);
        EXPECT_EQ(tagged(client).announceValue, value);
    } else {
        ASSERT_GE(runUntil([&] { return server->count("closed") == 1; }), 0) << LogLines::all();
        EXPECT_TRUE(LogLines::contains(c.failure)) << LogLines::all();
        EXPECT_FALSE(held.sameAs(original));
    }
    original.node.unregisterNode();
    held.node.unregisterNode();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnnounceData,
    ::testing::Values(AnnounceCase{"readByTheHandler", false, true, ""},
                      AnnounceCase{"heldBefore", true, true, "cannot be passed by for a node that exists here"},
                      AnnounceCase{"handlerReadsNothing", false, false, "read out of step"}),
    [](const auto& info) { return std::string(info.param.name); });

// The client's tagged node stays registered when the server withdraws the
// node and is linked again when the server announces it anew, with the
// same announce data, which nobody reads a second time. A dynamic node
// announced behind it in the same packets still comes out whole.
TEST_F(TaggedNodes, AreAnnouncedAgainWithTheirDataAfterAWithdrawal)
{
    constexpr unsigned kTag = 78;
    Thing original;
    original.set(1, 1);
    auto* announce = new VNet_BitStream(8);
    announce->addInt(0xBEEFu, 32);
    original.node.setAnnounceData(announce);
    ASSERT_TRUE(original.node.registerNodeByTag(tagged(server).taggedClass, kTag, eVNet_RoleAuthority, server.get()));
    connect();
    ASSERT_GE(runUntil([&] { return tagged(client).tagged && tagged(client).tagged->sameAs(original); }), 0)
        << LogLines::all();
    VNet_Node& held = tagged(client).tagged->node;
    for (int round = 2; round < 5; ++round) {
        original.node.setPrivate(true);
        ASSERT_GE(runUntil([&] { return held.getRelevantConnectionCount() == 0; }), 0) << "round " << round;
        addThing().set(round, 0);
        original.set(round, 1);
        original.node.setPrivate(false);
        ASSERT_GE(runUntil([&] { return held.getRelevantConnectionCount() == 1 &&
                                        tagged(client).tagged->sameAs(original) && converged(); }),
                  0)
            << "round " << round << LogLines::all();
    }
    EXPECT_EQ(client->count("tagNode"), 1) << "the node is found, not requested again";
    EXPECT_EQ(tagged(client).announceValue, 0xBEEFu);
    EXPECT_EQ(server->count("closed") + client->count("closed"), 0) << LogLines::all();
    original.node.unregisterNode();
}

// A negative relevance is kept as given: it withdraws nothing, and the
// node's updates follow again once the relevance is positive.
TEST_F(NodeReplication, ANegativeRelevanceWithdrawsNothing)
{
    Thing& thing = addThing();
    thing.set(0, 0);
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    const unsigned serverSide = server->find("established")->id;
    thing.node.setConnectionSpecificRelevance(serverSide, -1.0f);
    runUntil([] { return false; }, 100);
    EXPECT_EQ(client->proxies.count(thing.node.getNetworkID()), 1u) << "withdrawn by a negative relevance";
    thing.node.setConnectionSpecificRelevance(serverSide, 1.0f);
    thing.set(1, 0);
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    EXPECT_EQ(client->announced.size(), 1u) << "never announced anew";
}

// Records what a node's replication interceptor is told and answers as set.
class WatchingInterceptor : public VNet_NodeReplicationInterceptor {
public:
    bool allowUpdates = true;
    bool allowItems = true;
    bool storeUpdates = true;
    bool storeItems = true;
    std::map<std::string, int> calls;
    unsigned lastConnection = 0;
    eVNet_NodeRole lastRole = eVNet_RoleUndefined;
    unsigned replicatorBits = 0;
    unsigned eventBits = 0;
    // Texts seen through the replicator's peek before the node read them.
    std::vector<std::string> peeked;

    void outPreAnnounce(VNet_Node*, unsigned id, eVNet_NodeRole role) override { note("outPreAnnounce", id, role); }
    void outPreDelete(VNet_Node*, unsigned id, eVNet_NodeRole role) override { note("outPreDelete", id, role); }
    bool outPreUpdate(VNet_Node*, unsigned id, eVNet_NodeRole role) override
    {
        note("outPreUpdate", id, role);
        return allowUpdates;
    }
    bool outPreUpdateItem(VNet_Node*, unsigned id, eVNet_NodeRole role, VNet_Replicator*) override
    {
        note("outPreUpdateItem", id, role);
        return allowItems;
    }
    void outUpdated(VNet_Node*, unsigned id, eVNet_NodeRole role, unsigned replicators, unsigned events,
                    unsigned) override
    {
        noteSizes("outUpdated", id, role, replicators, events);
    }
    bool inPreUpdate(VNet_Node*, unsigned id, eVNet_NodeRole role) override
    {
        note("inPreUpdate", id, role);
        return storeUpdates;
    }
    bool inPreUpdateItem(VNet_Node*, unsigned id, eVNet_NodeRole role, VNet_Replicator* replicator,
                         unsigned) override
    {
        note("inPreUpdateItem", id, role);
        const auto* text = static_cast<const char*>(replicator->peekData());
        peeked.emplace_back(text ? text : "");
        return storeItems;
    }
    void inUpdated(VNet_Node*, unsigned id, eVNet_NodeRole role, unsigned replicators, unsigned events,
                   unsigned) override
    {
        noteSizes("inUpdated", id, role, replicators, events);
    }

private:
    void note(const char* call, unsigned id, eVNet_NodeRole role)
    {
        ++calls[call];
        lastConnection = id;
        lastRole = role;
    }
    void noteSizes(const char* call, unsigned id, eVNet_NodeRole role, unsigned replicators, unsigned events)
    {
        note(call, id, role);
        replicatorBits += replicators;
        eventBits += events;
    }
};

class ReplicationInterceptors : public NodeFixture {
protected:
    // Outlive the nodes that point to them.
    WatchingInterceptor sender;
    WatchingInterceptor receiver;
};

// The sender's interceptor hears the announcement, the update sizes and the
// deletion and can hold back a whole update or one marked item; the
// receiver's can refuse a whole update or peek at a marked item and refuse
// it, and the data is then read without being stored.
TEST_F(ReplicationInterceptors, SeeEachStepAndHoldBackOrRefuseWhatTheySay)
{
    things.push_back(std::make_unique<Thing>(VNET_REPFLAG_INTERCEPT));
    Thing& thing = *things.back();
    thing.set(0, 0);
    thing.node.setReplicationInterceptor(&sender);
    ASSERT_TRUE(thing.node.registerNodeDynamic(server->thingClass, server.get()));
    client->proxyTextFlags = VNET_REPFLAG_INTERCEPT;
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    const unsigned serverSide = server->find("established")->id;
    EXPECT_EQ(sender.calls["outPreAnnounce"], 1);
    EXPECT_EQ(sender.lastConnection, serverSide);
    EXPECT_EQ(sender.lastRole, eVNet_RoleProxy);
    EXPECT_GE(sender.calls["outPreUpdateItem"], 1);
    EXPECT_GT(sender.replicatorBits, 0u);
    Thing& proxy = *client->proxies.begin()->second;
    proxy.node.setReplicationInterceptor(&receiver);

    receiver.storeItems = false;
    thing.set(1, 0);
    ASSERT_GE(runUntil([&] { return proxy.flag == thing.flag; }), 0);
    runUntil([] { return false; }, 20);
    EXPECT_STRNE(proxy.text, thing.text) << "a refused item is not stored";
    ASSERT_FALSE(receiver.peeked.empty());
    EXPECT_EQ(receiver.peeked.back(), thing.text);
    EXPECT_EQ(receiver.lastRole, eVNet_RoleAuthority);

    receiver.storeItems = true;
    receiver.storeUpdates = false;
    const int updates = receiver.calls["inUpdated"];
    thing.set(2, 0);
    ASSERT_GE(runUntil([&] { return receiver.calls["inUpdated"] > updates; }), 0);
    EXPECT_FALSE(proxy.sameAs(thing)) << "a refused update is read, not stored";
    receiver.storeUpdates = true;
    thing.set(3, 0);
    ASSERT_GE(runUntil([&] { return converged(); }), 0);

    sender.allowUpdates = false;
    thing.set(4, 0);
    ASSERT_TRUE(thing.node.sendEvent(eVNet_ReliableOrdered, 0x01, valueStream(5)));
    runUntil([] { return false; }, 40);
    EXPECT_FALSE(proxy.sameAs(thing));
    EXPECT_TRUE(client->userEvents.empty()) << "a held-back update carries no events either";
    sender.allowUpdates = true;
    ASSERT_GE(runUntil([&] { return converged() && client->userEvents.size() == 1; }), 0);

    sender.allowItems = false;
    thing.set(5, 0);
    ASSERT_GE(runUntil([&] { return proxy.flag == thing.flag; }), 0);
    runUntil([] { return false; }, 20);
    EXPECT_STRNE(proxy.text, thing.text) << "a held-back item stays behind";
    sender.allowItems = true;
    thing.flag = !thing.flag;
    ASSERT_GE(runUntil([&] { return converged(); }), 0) << "and goes with the next update";

    EXPECT_EQ(sender.calls["outPreDelete"], 0);
    thing.node.setConnectionSpecificRelevance(serverSide, 0.0f);
    ASSERT_GE(runUntil([&] { return client->proxies.empty(); }), 0);
    EXPECT_EQ(sender.calls["outPreDelete"], 1);
    EXPECT_EQ(sender.calls["outPreAnnounce"], 1);
    EXPECT_EQ(sender.calls["inPreUpdate"] + sender.calls["inUpdated"], 0) << "the proxy sends nothing back";
}


// Passes datagrams between a server's port and whoever sends to it on
// 127.0.0.1, noting the size of each the server sends.
class DatagramTap {
public:
    explicit DatagramTap(unsigned short serverPort) : m_server{platform::kLoopbackAddress, serverPort}
    {
        EXPECT_TRUE(m_socket.open() && m_socket.setNonBlocking() && m_socket.bind(platform::kLoopbackAddress, 0));
    }
    unsigned short port() const { return m_socket.localPort(); }
    // Passes on what has arrived.
    void pump()
    {
        unsigned char bytes[2048];
        size_t length = 0;
        platform::Ipv4Endpoint from;
        while (m_socket.receiveFrom(bytes, sizeof bytes, &length, &from) == platform::ReceiveStatus::Received) {
            if (from.port == m_server.port) {
                fromServer.push_back(length);
                if (m_client.port) m_socket.sendTo(bytes, length, m_client);
            } else {
                m_client = from;
                m_socket.sendTo(bytes, length, m_server);
            }
        }
    }

    std::vector<size_t> fromServer;

private:
    platform::UdpSocket m_socket;
    platform::Ipv4Endpoint m_server;
    platform::Ipv4Endpoint m_client;
};

// The same over real UDP on 127.0.0.1 with the real clock, so that the
// socket reader thread carries every packet; through a tap when one is
// set before connecting.
class UdpNodes : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = makeControl();
        client = makeControl();
        serverPort = freePort();
        ASSERT_NE(serverPort, 0);
        ASSERT_TRUE(server->VNet_initSockets(true, serverPort, 0, 0));
        ASSERT_TRUE(client->VNet_initSockets(true, freePort(), 0, 0));
    }
    void TearDown() override
    {
        things.clear();
        client.reset();
        server.reset();
        library.Clear();
    }
    virtual std::unique_ptr<NodeControl> makeControl() { return std::make_unique<NodeControl>(); }
    // Steps both controls every millisecond until the condition holds, for
    // at most the given real time.
    template <typename Condition>
    bool runUntil(Condition done, int limitMs = 20000)
    {
        for (int ms = 0; ms < limitMs; ++ms) {
            if (done()) return true;
            client->step();
            server->step();
            client->pollProxies();
            if (tap) tap->pump();
            Vornet::Sleep(1);
        }
        return done();
    }
    bool converged() const { return proxiesMatch(*client, things); }
    void setAll(int round)
    {
        for (size_t i = 0; i < things.size(); ++i) things[i]->set(round, int(i));
    }
    // Objects in round 0 on the server, and a client connected at level 1
    // whose proxies hold them; the client's connection id.
    unsigned connectWithThings(int count)
    {
        for (int i = 0; i < count; ++i) {
            things.push_back(std::make_unique<Thing>());
            EXPECT_TRUE(things.back()->node.registerNodeDynamic(server->thingClass, server.get()));
        }
        setAll(0);
        const unsigned id = client->VNet_Connect(transport_test::loopback(tap ? tap->port() : serverPort), nullptr);
        EXPECT_TRUE(runUntil([&] { return client->find("result") && server->count("established") == 1; }));
        EXPECT_TRUE(client->VNet_requestVornMode(id, 1));
        EXPECT_TRUE(runUntil([&] { return converged(); })) << LogLines::all();
        return id;
    }

    std::unique_ptr<NodeControl> server;
    std::unique_ptr<NodeControl> client;
    std::vector<std::unique_ptr<Thing>> things;
    unsigned short serverPort = 0;
    std::unique_ptr<DatagramTap> tap;
};

TEST_F(UdpNodes, ProxiesConvergeAndOrderedEventsArriveInOrder)
{
    connectWithThings(20);
    for (uint32_t value = 0; value < 20; ++value)
        ASSERT_TRUE(things[0]->node.sendEvent(eVNet_ReliableOrdered, 0x01, valueStream(value)));
    setAll(1);
    ASSERT_TRUE(runUntil([&] { return converged() && client->userEvents.size() == 20; }));
    for (uint32_t value = 0; value < 20; ++value) EXPECT_EQ(client->userEvents[value].second, value);
}

// With a budget per packet beyond what one datagram holds, the updates
// that come after a nearly full datagram do not fit it and wait for the
// next packet. Those whose previous values are still on the way must
// still go: the last change of each object arrives though nothing changes
// after it.
TEST_F(UdpNodes, UpdatesThatDoNotFitAPacketGoInALaterOneWhileOlderOnesAreOnTheWay)
{
    server->VNet_setUpstreamLimit(200000, 200000);
    const unsigned id = connectWithThings(60);
    client->VNet_requestDownstreamLimit(id, 200, 1024);
    // A round at the new rate, so that it is in force.
    setAll(1);
    ASSERT_TRUE(runUntil([&] { return converged(); }));
    // Every packet now stays on the way for a second: the second round
    // is packed while the first one's packets are all still in flight.
    server->VNet_simulateLag(0, 1000);
    setAll(2);
    runUntil([] { return false; }, 50);
    setAll(3);
    ASSERT_TRUE(runUntil([&] { return converged(); })) << LogLines::all();
}

// Events queued faster than they can go fill packets of the size the client
// asked for; one event larger than that goes alone.
TEST_F(UdpNodes, EventsKeepWithinTheBytesPerPacketTheClientAskedFor)
{
    constexpr unsigned kBudget = 100;
    tap = std::make_unique<DatagramTap>(serverPort);
    server->VNet_setUpstreamLimit(100000, 100000);
    const unsigned clientSide = connectWithThings(1);
    client->VNet_requestDownstreamLimit(clientSide, 100, kBudget);
    auto* connection = VNet_Control_Private::of(server.get())->findConnectionById(server->find("established")->id);
    ASSERT_TRUE(runUntil([&] { return connection->sendRate().bytesPerPacket == int16_t(kBudget); }));
    // A proxy's events go to the server: only the server's node sends here.
    tap->fromServer.clear();
    constexpr uint32_t kSmall = 40;
    for (uint32_t value = 0; value < kSmall; ++value) {
        auto* event = valueStream(value);
        for (int i = 0; i < 4; ++i) event->addInt(value, 32);
        ASSERT_TRUE(things[0]->node.sendEvent(eVNet_ReliableUnordered, 0x01, event));
    }
    auto* large = valueStream(kSmall);
    while (large->getBitCount() < 400 * 8) large->addInt(0xA5A5A5A5u, 32);
    ASSERT_TRUE(things[0]->node.sendEvent(eVNet_ReliableUnordered, 0x01, large));
    ASSERT_TRUE(runUntil([&] { return client->userEvents.size() == kSmall + 1; })) << LogLines::all();
    runUntil([] { return false; }, 100);

    // The datagram framing around the budget's bytes; the checking build
    // tags every item.
#ifdef VORNET_TEST_CHECKING
    constexpr size_t kFraming = 48;
#else
    constexpr size_t kFraming = 16;
#endif
    std::vector<size_t> over;
    for (size_t size : tap->fromServer) {
        if (size > kBudget + kFraming) over.push_back(size);
    }
    // Only the large event's datagram (twice if it was sent again), and
    // nothing else in it.
    ASSERT_FALSE(over.empty());
    for (size_t size : over) {
        EXPECT_GE(size, 400u);
        EXPECT_LE(size, 400u + kFraming) << "sizes over the budget: " << ::testing::PrintToString(over);
    }
}

// An object whose due data is more than a datagram holds: three blocks of
// 400 bytes and three texts of 450 characters, each of which fits one, and
// a block that fits none.
struct LargeThing {
    static constexpr int kParts = 3;
    VNet_Node node;
    unsigned char blocks[kParts][400] = {};
    char texts[kParts][451] = {};
    unsigned char oversized[1200] = {};

    LargeThing()
    {
        node.beginReplicationSetup(2 * kParts + 1);
        for (auto& block : blocks)
            node.addReplicator(new VNet_Replicate_Memblock(block, sizeof block, kPlainFlags, kRules, 0, -1, -1), true);
        for (auto& text : texts) node.addReplicationString(text, sizeof text, kPlainFlags, kRules);
        node.addReplicator(new VNet_Replicate_Memblock(oversized, sizeof oversized, kPlainFlags, kRules, 0, -1, -1),
                           true);
        node.endReplicationSetup();
    }
    void setBlocks(int round)
    {
        for (int part = 0; part < kParts; ++part) std::memset(blocks[part], round * 10 + part + 1, sizeof blocks[part]);
        std::memset(oversized, round + 1, sizeof oversized);
    }
    void setTexts(char letter)
    {
        for (int part = 0; part < kParts; ++part) {
            std::memset(texts[part], letter + part, sizeof texts[part] - 1);
            texts[part][sizeof texts[part] - 1] = '\0';
        }
    }
    // Equal in everything a datagram can carry.
    bool sameAs(const LargeThing& other) const
    {
        return std::memcmp(blocks, other.blocks, sizeof blocks) == 0 &&
               std::memcmp(texts, other.texts, sizeof texts) == 0;
    }
};

// Makes a LargeThing for each one announced, besides the Things.
class LargeControl : public NodeControl {
public:
    const unsigned largeClass = VNet_registerClass("LargeThing", 0);
    std::map<unsigned, std::unique_ptr<LargeThing>> large;

    void onDynamicNodeRequest(unsigned int id, unsigned int classId, VNet_BitStream* announce, eVNet_NodeRole role,
                              unsigned int networkId) override
    {
        if (classId != largeClass) {
            NodeControl::onDynamicNodeRequest(id, classId, announce, role, networkId);
            return;
        }
        auto thing = std::make_unique<LargeThing>();
        if (thing->node.registerRequestedNode(classId, this)) large[networkId] = std::move(thing);
    }
};

class UdpLargeNodes : public UdpNodes {
protected:
    std::unique_ptr<NodeControl> makeControl() override { return std::make_unique<LargeControl>(); }
    LargeControl& largeClient() { return static_cast<LargeControl&>(*client); }
    bool proxyMatches(const LargeThing& thing)
    {
        auto it = largeClient().large.find(thing.node.getNetworkID());
        return it != largeClient().large.end() && it->second->sameAs(thing);
    }
};

// Whatever fits a datagram arrives, the announcement first and the rest in
// the next packets; only the block that fits none stays behind, said once.
TEST_F(UdpLargeNodes, ANodeLargerThanADatagramArrivesInSeveralPackets)
{
    LargeThing thing;
    thing.setBlocks(0);
    thing.setTexts('a');
    ASSERT_TRUE(thing.node.registerNodeDynamic(static_cast<LargeControl&>(*server).largeClass, server.get()));
    const std::string refusal = "replicator 6 of node [" + std::to_string(thing.node.getNetworkID()) +
                                "] (class <LargeThing>) is larger than a packet";
    const auto refusals = [&] {
        const std::string log = LogLines::all();
        int count = 0;
        for (size_t at = log.find(refusal); at != std::string::npos; at = log.find(refusal, at + 1)) ++count;
        return count;
    };
    connectWithThings(0);
    ASSERT_TRUE(runUntil([&] { return proxyMatches(thing) && refusals() == 1; })) << LogLines::all();

    // Three texts that each fit a datagram, changed at once, then the
    // blocks, with packets lost: what was lost goes again, in the packets it
    // fits.
    server->VNet_simulateLoss(0, 0.25f);
    thing.setTexts('k');
    ASSERT_TRUE(runUntil([&] { return proxyMatches(thing); })) << LogLines::all();
    thing.setBlocks(1);
    ASSERT_TRUE(runUntil([&] { return proxyMatches(thing) && refusals() == 2; })) << LogLines::all();
    // Said once for each value it was given, not once a packet.
    runUntil([] { return false; }, 200);
    EXPECT_EQ(refusals(), 2) << LogLines::all();
    EXPECT_EQ(largeClient().large.begin()->second->oversized[0], 0) << "no datagram holds the large block";
    EXPECT_EQ(client->find("closed"), nullptr);
    EXPECT_EQ(server->find("closed"), nullptr);
}

// A block of 900 bytes that changes seldom beside a number that changes at
// every step; and a block of 150 bytes that changes at every step, on a node
// of update priority 10. Behind the busy block the large one does not fit
// a datagram.
struct SeldomBlock {
    VNet_Node node;
    unsigned char block[900] = {};
    int count = 0;
    SeldomBlock()
    {
        node.beginReplicationSetup(2);
        node.addReplicator(new VNet_Replicate_Memblock(block, sizeof block, kPlainFlags, kRules, 0, -1, -1), true);
        node.addReplicationInt(&count, 20, false, kPlainFlags, kRules);
        node.endReplicationSetup();
    }
};

struct BusyBlock {
    VNet_Node node;
    unsigned char block[150] = {};
    BusyBlock()
    {
        node.beginReplicationSetup(1);
        node.addReplicator(new VNet_Replicate_Memblock(block, sizeof block, kPlainFlags, kRules, 0, -1, -1), true);
        node.endReplicationSetup();
    }
};

class RoomControl : public NodeControl {
public:
    const unsigned seldomClass = VNet_registerClass("SeldomBlock", 0);
    const unsigned busyClass = VNet_registerClass("BusyBlock", 0);
    std::map<unsigned, std::unique_ptr<SeldomBlock>> seldom;
    std::map<unsigned, std::unique_ptr<BusyBlock>> busy;

    void onDynamicNodeRequest(unsigned int id, unsigned int classId, VNet_BitStream* announce, eVNet_NodeRole role,
                              unsigned int networkId) override
    {
        if (classId == seldomClass) return keepRequested(seldom, classId, networkId);
        if (classId == busyClass) return keepRequested(busy, classId, networkId);
        NodeControl::onDynamicNodeRequest(id, classId, announce, role, networkId);
    }

};

class UdpRoom : public UdpNodes {
protected:
    std::unique_ptr<NodeControl> makeControl() override { return std::make_unique<RoomControl>(); }
    RoomControl& room(const std::unique_ptr<NodeControl>& control) { return static_cast<RoomControl&>(*control); }
    // Steps both sides once, a millisecond apart, after changing what
    // changes at every step; then whether the condition holds.
    template <typename Change, typename Condition>
    int stepsUntil(Change change, Condition done, int limit)
    {
        for (int step = 1; step <= limit; ++step) {
            change(step);
            if (runUntil([] { return false; }, 1) || done()) return step;
        }
        return -1;
    }
};

template <typename T, size_t N>
bool sameBytes(const T (&a)[N], const T (&b)[N])
{
    return std::memcmp(a, b, sizeof a) == 0;
}

// The large block is kept back for room at first, while the number beside
// it keeps going; it still arrives within a bounded time, and the busier
// node keeps up meanwhile.
TEST_F(UdpRoom, AValueKeptBackForRoomArrivesHoweverBusyItsNodeAndTheNodesBesideIt)
{
    SeldomBlock seldom;
    BusyBlock busy;
    ASSERT_TRUE(seldom.node.registerNodeDynamic(room(server).seldomClass, server.get()));
    ASSERT_TRUE(busy.node.registerNodeDynamic(room(server).busyClass, server.get()));
    busy.node.setUpdatePriority(10);
    server->VNet_setUpstreamLimit(200000, 200000);
    const unsigned clientSide = connectWithThings(0);
    client->VNet_requestDownstreamLimit(clientSide, 60, 1024);
    auto* connection = VNet_Control_Private::of(server.get())->findConnectionById(server->find("established")->id);
    ASSERT_TRUE(runUntil([&] { return connection->sendRate().bytesPerPacket == 1024; }));
    auto& seldomProxies = room(client).seldom;
    auto& busyProxies = room(client).busy;
    const auto proxyOf = [](auto& proxies, const auto& original) {
        auto it = proxies.find(original.node.getNetworkID());
        return it == proxies.end() ? nullptr : it->second.get();
    };
    ASSERT_TRUE(runUntil([&] { return proxyOf(seldomProxies, seldom) && proxyOf(busyProxies, busy); }));

    const auto changeBoth = [&](int step) {
        seldom.count = step;
        std::memset(busy.block, step & 0xFF, sizeof busy.block);
    };
    std::memset(seldom.block, 0x5A, sizeof seldom.block);
    const int arrived = stepsUntil(changeBoth, [&] { return sameBytes(proxyOf(seldomProxies, seldom)->block, seldom.block); },
                                   8000);
    EXPECT_GE(arrived, 1) << LogLines::all();
    EXPECT_LE(arrived, 200);
    // Meanwhile the busier node went on: its proxy holds the value of one
    // of the last steps (a packet goes about every 16 steps at 60 a second).
    const int busyBehind = (arrived - proxyOf(busyProxies, busy)->block[0]) & 0xFF;
    EXPECT_LE(busyBehind, 64);
    // Once the values rest, both nodes catch up.
    EXPECT_TRUE(runUntil([&] {
        return sameBytes(proxyOf(busyProxies, busy)->block, busy.block) && proxyOf(seldomProxies, seldom)->count == seldom.count;
    }, 2000));
    EXPECT_EQ(client->find("closed"), nullptr);
}

// A node whose values change at every step sends an ordered event three
// times the default bytes per packet and a small unordered one behind it:
// the large one goes at the head of a later packet, the small one after it,
// and the values keep coming.
TEST_F(UdpNodes, AnEventLargerThanWhatIsLeftGoesInALaterPacketAndTheOnesBehindItFollow)
{
    connectWithThings(1);
    auto* large = valueStream(1);
    while (large->getBitCount() < 600 * 8) large->addInt(0xA5A5A5A5u, 32);
    ASSERT_TRUE(things[0]->node.sendEvent(eVNet_ReliableOrdered, 0x01, large));
    ASSERT_TRUE(things[0]->node.sendEvent(eVNet_ReliableUnordered, 0x01, valueStream(2)));
    int step = 1;
    for (; step <= 8000 && client->userEvents.size() < 2; ++step) {
        setAll(step);
        runUntil([] { return false; }, 1);
    }
    EXPECT_LE(step, 500) << LogLines::all();
    ASSERT_EQ(client->userEvents.size(), 2u);
    EXPECT_EQ(client->userEvents[0].second, 1u);
    EXPECT_EQ(client->userEvents[1].second, 2u);
    EXPECT_TRUE(runUntil([&] { return converged(); }, 1000));
}

}  // namespace
