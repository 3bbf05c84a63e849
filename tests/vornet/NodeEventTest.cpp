// Node events between two controls under loss: each send mode's promise,
// the window of ordered events in flight, in-order delivery of numbers that
// arrive out of order or twice, and local notices.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "NodeSupport.h"
#include "vornet/src/vornet_control_private.h"
#include "vornet/src/vornet_node_private.h"

namespace {

using namespace node_test;

using NodeEvents = NodeFixture;

constexpr uint32_t kEvents = 100;

struct ModeCase {
    eVNet_SendMode mode;
    const char* name;
};

class NodeEventModes : public NodeFixture, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(NodeEventModes, HundredEventsUnderLossKeepTheModesPromise)
{
    Thing& thing = addThing();
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    const unsigned serverSide = server->find("established")->id;
    server->VNet_simulateLoss(0, 0.3f);
    client->VNet_simulateLoss(0, 0.3f);
    server->VNet_simulateLag(0, 20);
    client->VNet_simulateLag(0, 20);
    VNet_Node_Private* node = VNet_Node_Private::of(&thing.node);
    int mostInFlight = 0;
    for (uint32_t i = 0; i < kEvents; ++i) {
        ASSERT_TRUE(thing.node.sendEvent(GetParam().mode, 0x01, valueStream(i)));
        // One step each: the events spread over many packets, of which the
        // loss takes some.
        runUntil([] { return false; }, 1);
    }
    const auto count = [&] { return client->userEvents.size(); };
    const bool reliable = GetParam().mode != eVNet_Unreliable;
    runUntil([&] {
        const uint16_t mask = node->linkedState(serverSide)->ordersInFlight;
        mostInFlight = std::max(mostInFlight, __builtin_popcount(mask));
        return reliable && count() >= kEvents;
    }, 4000);
    // A while longer: nothing may come twice.
    runUntil([] { return false; }, 400);
    std::vector<uint32_t> values;
    for (const auto& event : client->userEvents) values.push_back(event.second);
    if (GetParam().mode == eVNet_ReliableOrdered) {
        ASSERT_EQ(values.size(), kEvents);
        for (uint32_t i = 0; i < kEvents; ++i) EXPECT_EQ(values[i], i);
        EXPECT_LE(mostInFlight, 8);
        EXPECT_GT(mostInFlight, 1);
        return;
    }
    std::vector<uint32_t> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_TRUE(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) << "an event came twice";
    if (reliable) {
        EXPECT_EQ(sorted.size(), kEvents);
    } else {
        // A hundred packets under 30% loss: some are lost (all arriving has
        // a chance of 0.7^100), and lost unreliable events are not resent.
        EXPECT_LT(sorted.size(), kEvents);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, NodeEventModes,
                         ::testing::Values(ModeCase{eVNet_ReliableOrdered, "Ordered"},
                                           ModeCase{eVNet_ReliableUnordered, "Unordered"},
                                           ModeCase{eVNet_Unreliable, "Unreliable"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Received ordered items: stale and duplicated numbers are dropped, early
// ones wait for their turn.
TEST_F(NodeEvents, OrderedNumbersAreHandedOverOnceAndInOrder)
{
    VNet_Node node;
    VNet_Node_Private* priv = VNet_Node_Private::of(&node);
    Vornet_Private::NodeConnState state;
    state.connectionId = 7;
    const auto item = [](VNet_BitStream& stream, int order, uint32_t value) {
        stream.addBool(true);
        stream.addBool(order >= 0);
        if (order >= 0) stream.addInt(unsigned(order), 4);
        stream.addBool(true);
        VNet_BitStream payload(8);
        payload.addInt(value, 32);
        const unsigned bits = payload.getBitCount();
        stream.addBool(false);
        stream.addInt(bits / 8, 8);
        stream.addInt(bits % 8, 3);
        stream.addBitStream(&payload);
    };
    const struct {
        int order;
        uint32_t value;
    } arrivals[] = {{2, 102}, {0, 100}, {-1, 500}, {0, 100}, {1, 101}, {2, 102}, {15, 115}, {3, 103}};
    for (const auto& arrival : arrivals) {
        VNet_BitStream stream(64);
        item(stream, arrival.order, arrival.value);
        stream.addBool(false);
        ASSERT_TRUE(priv->readEvents(&state, &stream, 0, nullptr));
    }
    std::vector<uint32_t> handed;
    while (node.checkEventWaiting()) handed.push_back(node.getNextEvent(nullptr, nullptr, nullptr, nullptr)->getInt(32));
    EXPECT_EQ(handed, (std::vector<uint32_t>{100, 500, 101, 102, 103}));
}

TEST_F(NodeEvents, InitAndRemovalNoticesAndTheNoRecipientCase)
{
    Thing& thing = addThing();
    thing.node.setEventNotification(true, true);
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    eVNet_Event kind = eVNet_EventNone;
    ASSERT_TRUE(thing.node.checkEventWaiting());
    thing.node.getNextEvent(&kind, nullptr, nullptr, nullptr);
    EXPECT_EQ(kind, eVNet_EventInit);
    // A proxy reaches nobody: the event is freed and the call succeeds.
    Thing& proxy = *client->proxies.begin()->second;
    EXPECT_TRUE(proxy.node.sendEvent(eVNet_ReliableOrdered, 0x07, valueStream(1)));
    EXPECT_FALSE(thing.node.sendEvent(eVNet_SendMode(5), 0x01, valueStream(1)));
    const unsigned serverSide = server->find("established")->id;
    thing.node.setConnectionSpecificRelevance(serverSide, 0.0f);
    server->VNet_Disconnect(serverSide, nullptr);
    ASSERT_GE(runUntil([&] { return client->proxies.empty(); }), 0);
    bool removed = false;
    while (thing.node.checkEventWaiting()) {
        thing.node.getNextEvent(&kind, nullptr, nullptr, nullptr);
        removed = removed || kind == eVNet_EventRemoved;
    }
    EXPECT_TRUE(removed);
}

// An item that does not fit waits for the next packet, and this packet keeps
// no record of it: settling the packet must not touch that event.
TEST_F(NodeEvents, AnItemPastThePacketLimitLeavesNoRecord)
{
    VNet_Node node;
    VNet_Node_Private* priv = VNet_Node_Private::of(&node);
    ASSERT_TRUE(priv->addConnection(7));
    for (uint32_t value : {1u, 2u}) {
        auto* stream = new VNet_BitStream(64);
        for (int i = 0; i < 40; ++i) stream->addInt(value, 32);
        ASSERT_TRUE(node.sendEventDirect(eVNet_ReliableUnordered, stream, 7));
    }
    Vornet_Private::NodeConnState* state = priv->linkedState(7);
    VNet_BitStream packet(64);
    Vornet_Private::NodeRecords records;
    // Room for one item of 1280 bits and its framing, not for two.
    Vornet_Private::EntryRoom room;
    room.limitBits = room.budgetBits = 2400;
    ASSERT_TRUE(priv->writeEvents(state, &packet, room, &records, nullptr));
    ASSERT_EQ(records.events.count(), 1);
    EXPECT_EQ(state->outgoing.count(), 1);
    const Vornet_Private::NodeRecords::Event* written = records.events.first()->payload;
    priv->eventDelivered(7, written->eventId, written->order);
    // The one left waiting still goes out whole.
    VNet_BitStream next(64);
    Vornet_Private::NodeRecords nextRecords;
    ASSERT_TRUE(priv->writeEvents(state, &next, room, &nextRecords, nullptr));
    EXPECT_EQ(nextRecords.events.count(), 1);
    EXPECT_EQ(state->outgoing.count(), 0);
}

// A node whose values change at every step sends an ordered event three
// times the default bytes per packet and a small unordered one behind it:
// the large one goes at the head of a later packet, the small one after it,
// and the values keep coming.
TEST_F(NodeEvents, AnEventLargerThanWhatIsLeftGoesInALaterPacketAndTheOnesBehindItFollow)
{
    Thing& thing = addThing();
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    auto* large = valueStream(1);
    while (large->getBitCount() < 600 * 8) large->addInt(0xA5A5A5A5u, 32);
    ASSERT_TRUE(thing.node.sendEvent(eVNet_ReliableOrdered, 0x01, large));
    ASSERT_TRUE(thing.node.sendEvent(eVNet_ReliableUnordered, 0x01, valueStream(2)));
    int step = 1;
    for (; step <= 8000 && client->userEvents.size() < 2; ++step) {
        thing.set(step, 0);
        runUntil([] { return false; }, 1);
    }
    EXPECT_LE(step, 500) << LogLines::all();
    ASSERT_EQ(client->userEvents.size(), 2u);
    EXPECT_EQ(client->userEvents[0].second, 1u);
    EXPECT_EQ(client->userEvents[1].second, 2u);
    EXPECT_GE(runUntil([&] { return converged(); }, 20), 0);
}

TEST_F(NodeEvents, AnEventTooLargeForAnyPacketIsRefused)
{
    Thing& thing = addThing();
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    const unsigned serverSide = server->find("established")->id;
    auto* huge = new VNet_BitStream(8);
    // Within what a stream can hold, beyond what an in-process packet carries.
    while (huge->getBitCount() < 65480u * 8u) huge->addInt(0xFFFFFFFFu, 32);
    EXPECT_FALSE(thing.node.sendEventDirect(eVNet_ReliableOrdered, huge, serverSide));
    EXPECT_TRUE(thing.node.sendEventDirect(eVNet_ReliableOrdered, valueStream(42), serverSide));
    ASSERT_GE(runUntil([&] { return !client->userEvents.empty(); }), 0);
    EXPECT_EQ(client->userEvents[0].second, 42u);
}


// Records what a node's event interceptor is handed; drops odd user values
// and, as told, the init and removal notices.
class GateInterceptor : public VNet_NodeEventInterceptor {
public:
    bool keepInit = true;
    bool keepRemoved = true;
    std::vector<std::string> kinds;
    std::vector<uint32_t> values;
    unsigned lastConnection = 0;
    eVNet_NodeRole lastRole = eVNet_RoleUndefined;

    bool recUserEvent(VNet_Node*, unsigned id, eVNet_NodeRole role, VNet_BitStream* stream, unsigned) override
    {
        note("user", id, role);
        values.push_back(stream->getInt(32));
        return values.back() % 2 == 0;
    }
    bool recInit(VNet_Node*, unsigned id, eVNet_NodeRole role) override { return note("init", id, role), keepInit; }
    bool recSyncRequest(VNet_Node*, unsigned id, eVNet_NodeRole role) override
    {
        return note("sync", id, role), true;
    }
    bool recRemoved(VNet_Node*, unsigned id, eVNet_NodeRole role) override
    {
        return note("removed", id, role), keepRemoved;
    }
    bool recFileIncoming(VNet_Node*, unsigned id, eVNet_NodeRole role, unsigned, VNet_BitStream*) override
    {
        return note("fileIncoming", id, role), true;
    }
    bool recFileData(VNet_Node*, unsigned id, eVNet_NodeRole role, unsigned) override
    {
        return note("fileData", id, role), true;
    }
    bool recFileAborted(VNet_Node*, unsigned id, eVNet_NodeRole role, unsigned) override
    {
        return note("fileAborted", id, role), true;
    }
    bool recFileComplete(VNet_Node*, unsigned id, eVNet_NodeRole role, unsigned) override
    {
        return note("fileComplete", id, role), true;
    }

private:
    void note(const char* kind, unsigned id, eVNet_NodeRole role)
    {
        kinds.emplace_back(kind);
        lastConnection = id;
        lastRole = role;
    }
};

class EventInterceptors : public NodeFixture {
protected:
    // Outlive the nodes that point to them.
    GateInterceptor authorityGate;
    GateInterceptor proxyGate;
};

// Each handed-over event passes the interceptor first: what it drops never
// reaches the queue, and a user event it read is read again from its start
// by the application.
TEST_F(EventInterceptors, SeeEveryEventFirstAndDropWhatTheyRefuse)
{
    Thing& thing = addThing();
    thing.node.setEventNotification(true, true);
    authorityGate.keepInit = false;
    thing.node.setEventInterceptor(&authorityGate);
    connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    const unsigned serverSide = server->find("established")->id;
    EXPECT_EQ(authorityGate.kinds, std::vector<std::string>{"init"});
    EXPECT_EQ(authorityGate.lastConnection, serverSide);
    EXPECT_EQ(authorityGate.lastRole, eVNet_RoleProxy);
    EXPECT_FALSE(thing.node.checkEventWaiting()) << "the refused init notice is not queued";

    Thing& proxy = *client->proxies.begin()->second;
    proxy.node.setEventInterceptor(&proxyGate);
    for (uint32_t value = 0; value < 6; ++value)
        ASSERT_TRUE(thing.node.sendEvent(eVNet_ReliableOrdered, 0x01, valueStream(value)));
    ASSERT_GE(runUntil([&] { return proxyGate.values.size() == 6; }), 0);
    runUntil([] { return false; }, 4);
    EXPECT_EQ(proxyGate.values, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    std::vector<uint32_t> delivered;
    for (const auto& event : client->userEvents) delivered.push_back(event.second);
    EXPECT_EQ(delivered, (std::vector<uint32_t>{0, 2, 4}));
    EXPECT_EQ(proxyGate.lastRole, eVNet_RoleAuthority);

    // The removal notice dropped: the proxy never hears it, yet it is gone
    // from the connection.
    proxyGate.keepRemoved = false;
    thing.node.setConnectionSpecificRelevance(serverSide, 0.0f);
    ASSERT_GE(runUntil([&] { return proxyGate.kinds.back() == "removed"; }), 0);
    runUntil([] { return false; }, 4);
    EXPECT_EQ(client->proxies.size(), 1u);
    EXPECT_EQ(proxy.node.getRelevantConnectionCount(), 0u);
}

// A node's id is not handed out again while a packet that names it is still
// unsettled: the packet's acknowledgement must not reach the node
// registered next. Here the client's proxy has an event in flight when the
// server deletes it and the application drops it.
TEST_F(NodeEvents, AnIdNamedByAnUnsettledPacketIsNotReused)
{
    addThing();
    const unsigned clientSide = connect();
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    const unsigned serverSide = server->find("established")->id;
    VNet_Control_Private* registry = VNet_Control_Private::of(client.get());
    const auto step = [&] {
        client->step();
        server->step();
        client->pollProxies();
        clock.advance(5);
    };
    // The client's packets arrive late, so the one with the event stays
    // unsettled while the server's deletion comes through.
    client->VNet_simulateLag(0, 100);
    Thing& proxy = *client->proxies.begin()->second;
    const uint32_t heldId = VNet_Node_Private::of(&proxy.node)->localId;
    ASSERT_TRUE(proxy.node.sendEventDirect(eVNet_ReliableUnordered, valueStream(7), clientSide));
    step();
    // Every free id taken, so that a released one would come next.
    std::vector<std::unique_ptr<Thing>> fillers;
    while (registry->nodesById.getUsedCount() < int32_t(registry->nodesById.getSlotCount())) {
        fillers.push_back(std::make_unique<Thing>());
        ASSERT_TRUE(fillers.back()->node.registerNodeDynamic(client->thingClass, client.get()));
    }
    things[0]->node.setConnectionSpecificRelevance(serverSide, 0.0f);
    for (int i = 0; i < 4 && !client->proxies.empty(); ++i) step();
    ASSERT_TRUE(client->proxies.empty());
    EXPECT_EQ(registry->nodeByLocalId(heldId), nullptr);

    // The node registered next: a proxy of a new object, with an event of
    // its own in flight.
    Thing& object = addThing();
    ASSERT_GE(runUntil([&] { return client->proxies.count(object.node.getNetworkID()) == 1; }, 10), 0);
    Thing& next = *client->proxies[object.node.getNetworkID()];
    EXPECT_NE(VNet_Node_Private::of(&next.node)->localId, heldId);
    ASSERT_TRUE(next.node.sendEventDirect(eVNet_ReliableUnordered, valueStream(8), clientSide));
    using Table = Vornet_Private::IdHandler<VNet_Node_Private*>;
    ASSERT_GE(runUntil([&] { return registry->nodesById.getState(heldId) == Table::Free; }, 400), 0)
        << "once the packet settled, the id is free again";
    VNet_Node_Private* later = VNet_Node_Private::of(&next.node);
    ASSERT_NE(later->outgoingEvents, nullptr);
    EXPECT_EQ(later->outgoingEvents->getUsedCount(), 1) << "its event is still its own";
    std::vector<uint32_t> arrived;
    ASSERT_GE(runUntil([&] {
                  while (object.node.checkEventWaiting()) {
                      eVNet_Event kind = eVNet_EventNone;
                      VNet_BitStream* stream = object.node.getNextEvent(&kind, nullptr, nullptr, nullptr);
                      if (kind == eVNet_EventUser) arrived.push_back(stream->getInt(32));
                  }
                  return !arrived.empty();
              }, 400),
              0);
    EXPECT_EQ(arrived, std::vector<uint32_t>{8});
}

}  // namespace
