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

}  // namespace
