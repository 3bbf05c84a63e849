// Nodes replicated between two controls over in-process sockets: the class
// exchange, announcements, updates, deletions and relevance, also under
// loss and lag.
#include <gtest/gtest.h>

#include "NodeSupport.h"

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

class AnnounceData : public NodeFixture, public ::testing::WithParamInterface<AnnounceCase> {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = std::make_unique<TaggedControl>();
        client = std::make_unique<TaggedControl>();
        ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
        ASSERT_TRUE(client->VNet_initSockets(false, 0, kClientPort, 0));
    }
    TaggedControl& tagged(const std::unique_ptr<NodeControl>& control)
    {
        return static_cast<TaggedControl&>(*control);
    }
};

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

}  // namespace
