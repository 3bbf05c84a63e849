// Nodes over the whole of their lives between two controls: objects that
// own their replicators and go away while the peer still sends for them,
// privacy and ownership, unique nodes, synchronisation, replicators sent
// once or from a clean start, delays, and the connections a node lists.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "NodeSupport.h"
#include "vornet/src/vornet_node_private.h"
#include "vornet/vornet_replicator_bool.h"
#include "vornet/vornet_replicator_interpolate.h"
#include "vornet/vornet_replicator_memblock.h"
#include "vornet/vornet_replicator_numeric.h"
#include "vornet/vornet_replicator_string.h"

namespace {

using namespace node_test;

constexpr unsigned char kBothWays = kRules | VNET_RULE_OWNER_TO_AUTHORITY;

// An object that holds its replicators as members, declared after the
// handle: they are destroyed before it, as an application's often are.
struct Owned {
    VNet_Node node;
    bool flag = false;
    char text[24] = {};
    int count = 0;
    VNet_Replicate_Boolp flagReplicator{&flag, kPlainFlags, kBothWays, 0, -1, -1};
    VNet_Replicate_Stringp textReplicator{text, sizeof text, kPlainFlags, kBothWays, 0, -1, -1};
    VNet_Replicate_Numeric<int, 1> countReplicator{&count, 20, kPlainFlags, kBothWays, 0, -1, -1};

    Owned()
    {
        node.beginReplicationSetup(3);
        node.addReplicator(&flagReplicator, false);
        node.addReplicator(&textReplicator, false);
        node.addReplicator(&countReplicator, false);
        node.endReplicationSetup();
    }
    void set(int value)
    {
        flag = value % 2 == 1;
        std::snprintf(text, sizeof text, "value %d", value);
        count = value;
    }
};

class OwnedControl : public NodeControl {
public:
    unsigned ownedClass = VNet_registerClass("Owned", 0);
    std::map<unsigned, std::unique_ptr<Owned>> owned;

    void onDynamicNodeRequest(unsigned int id, unsigned int classId, VNet_BitStream* announce, eVNet_NodeRole role,
                              unsigned int networkId) override
    {
        if (classId != ownedClass) return NodeControl::onDynamicNodeRequest(id, classId, announce, role, networkId);
        auto object = std::make_unique<Owned>();
        if (object->node.registerRequestedNode(classId, this)) owned[networkId] = std::move(object);
    }
};

class ForeignReplicators : public NodeFixture, public ::testing::WithParamInterface<bool> {
protected:
    std::unique_ptr<NodeControl> makeControl() override { return std::make_unique<OwnedControl>(); }
    OwnedControl& owned(const std::unique_ptr<NodeControl>& control) { return static_cast<OwnedControl&>(*control); }
};

// The object goes away on one side while both sides keep changing it and
// packets are late: the data still arriving for it is passed by, the
// objects beside it in the same packets keep converging, and the
// connection stays up.
TEST_P(ForeignReplicators, MayGoWithTheHandleWhileThePeerStillSends)
{
    const bool serverDeletes = GetParam();
    auto original = std::make_unique<Owned>();
    ASSERT_TRUE(original->node.registerNodeDynamic(owned(server).ownedClass, server.get()));
    const unsigned networkId = original->node.getNetworkID();
    Thing& witness = addThing();
    connect();
    const unsigned serverSide = server->find("established")->id;
    original->node.setOwner(serverSide, true);
    auto& proxies = owned(client).owned;
    ASSERT_GE(runUntil([&] { return proxies.count(networkId) && proxies[networkId]->node.getRole() == eVNet_RoleOwner; }),
              0);
    server->VNet_simulateLag(0, 40);
    client->VNet_simulateLag(0, 40);
    for (int value = 1; value < 60; ++value) {
        if (value == 20) {
            if (serverDeletes)
                original.reset();
            else
                proxies.erase(networkId);
        }
        if (original) original->set(value);
        if (proxies.count(networkId)) proxies[networkId]->set(1000 + value);
        witness.set(value, 0);
        runUntil([] { return false; }, 2);
    }
    ASSERT_GE(runUntil([&] { return converged(); }), 0) << LogLines::all();
    witness.set(99, 0);
    ASSERT_GE(runUntil([&] { return converged(); }), 0) << LogLines::all();
    EXPECT_EQ(server->count("closed") + client->count("closed"), 0) << LogLines::all();
    EXPECT_FALSE(LogLines::contains("out of step")) << LogLines::all();
    EXPECT_FALSE(LogLines::contains("extraction")) << LogLines::all();
}

using Skippers = LibraryFixture;

// What stands in for each of the library's replicators once the handle is
// gone reads exactly the bits of the replicator's value, in both builds
// (the checking build's tags included), and nothing of the replicator.
TEST_F(Skippers, ReadExactlyTheBitsOfTheValue)
{
    bool flag = true;
    char text[16] = "twelve chars";
    wchar_t wide[16] = L"wide";
    unsigned char block[5] = {1, 2, 3, 4, 5};
    int count = -77;
    float triple[3] = {1.5f, -2.25f, 3.0f};
    float smooth = 4.5f;
    std::vector<std::unique_ptr<VNet_ReplicatorBasic>> replicators;
    replicators.emplace_back(new VNet_Replicate_Bool(true, kPlainFlags, kRules, 0, -1, -1));
    replicators.emplace_back(new VNet_Replicate_Boolp(&flag, kPlainFlags, kRules, 0, -1, -1));
    replicators.emplace_back(new VNet_Replicate_Stringp(text, sizeof text, kPlainFlags, kRules, 0, -1, -1));
    replicators.emplace_back(new VNet_Replicate_StringWp(wide, 16, kPlainFlags, kRules, 0, -1, -1));
    replicators.emplace_back(new VNet_Replicate_Memblock(block, sizeof block, kPlainFlags, kRules, 0, -1, -1));
    replicators.emplace_back(new VNet_Replicate_Numeric<int, 1>(&count, 11, kPlainFlags, kRules, 0, -1, -1));
    replicators.emplace_back(new VNet_Replicate_Numeric<float, 3>(triple, 9, kPlainFlags, kRules, 0, -1, -1));
    replicators.emplace_back(
        new VNet_Interpolate<float, 1>(&smooth, 12, kPlainFlags, kRules, 1.0f, nullptr, 0, -1, -1, 0.5f));
    for (size_t i = 0; i < replicators.size(); ++i) {
        VNet_BitStream stream;
        replicators[i]->packData(&stream);
        stream.addInt(0x5A5, 12);
        std::unique_ptr<VNet_ReplicatorBasic> skipper(replicators[i]->createSkipper());
        ASSERT_TRUE(skipper) << "replicator " << i;
        replicators[i].reset();
        skipper->unpackData(&stream, false, 0);
        EXPECT_EQ(stream.getInt(12), 0x5A5u) << "replicator " << i;
        EXPECT_EQ(readPosition(&stream), stream.getBitCount()) << "replicator " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, ForeignReplicators, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "server" : "client"); });

}  // namespace
