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

// A replicator class of the application's that offers no skipper.
class PlainInt : public VNet_ReplicatorBasic {
public:
    explicit PlainInt(int* value)
        : VNet_ReplicatorBasic(new VNet_ReplicatorSetup(kPlainFlags | VNET_REPFLAG_OWNEDSETUP, kRules)),
          m_value(value), m_seen(*value)
    {
        m_flags |= VNET_REPLICATOR_INITIALIZED;
    }
    void* peekData() override { return nullptr; }
    void clearPeekData() override {}
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override
    {
        const bool changed = *m_value != m_seen;
        m_seen = *m_value;
        return changed;
    }
    void packData(VNet_BitStream* stream) override { stream->addInt(unsigned(*m_value), 24); }
    void unpackData(VNet_BitStream* stream, bool store, unsigned) override
    {
        const int value = int(stream->getInt(24));
        if (store) *m_value = value;
    }

private:
    int* m_value;
    int m_seen;
};

struct Plain {
    VNet_Node node;
    int value = 0;
    PlainInt replicator{&value};

    Plain()
    {
        node.beginReplicationSetup(1);
        node.addReplicator(&replicator, false);
        node.endReplicationSetup();
    }
};

// Integers of every timing and sending kind: one sent on change, one from
// a clean start, one only with the announcement, one at most every 100 ms
// and one at least every 500 ms.
struct Counters {
    VNet_Node node;
    int plain = 0;
    int clean = 0;
    int once = 0;
    int slow = 0;
    int kept = 0;

    // The clean start's value is what the receiver is taken to hold.
    explicit Counters(int start = 0) : clean(start)
    {
        node.beginReplicationSetup(5);
        node.addReplicationInt(&plain, 16, true, kPlainFlags, kRules);
        node.addReplicationInt(&clean, 16, true, VNET_REPFLAG_STARTCLEAN, kRules);
        node.addReplicationInt(&once, 16, true, VNET_REPFLAG_ONLYONCE, kRules);
        node.addReplicationInt(&slow, 16, true, kPlainFlags, kRules, 100, -1);
        node.addReplicationInt(&kept, 16, true, kPlainFlags, kRules, -1, 500);
        node.endReplicationSetup();
    }
};

// Makes the objects of its classes when their nodes are announced, and
// keeps them by network id.
class LifeControl : public NodeControl {
public:
    unsigned ownedClass = VNet_registerClass("Owned", 0);
    unsigned countersClass = VNet_registerClass("Counters", 0);
    unsigned soloClass = VNet_registerClass("Solo", 0);
    unsigned plainClass = VNet_registerClass("Plain", 0);
    std::map<unsigned, std::unique_ptr<Owned>> owned;
    std::map<unsigned, std::unique_ptr<Plain>> plain;
    std::map<unsigned, std::unique_ptr<Counters>> counters;

    void onDynamicNodeRequest(unsigned int id, unsigned int classId, VNet_BitStream* announce, eVNet_NodeRole role,
                              unsigned int networkId) override
    {
        if (classId == ownedClass) return keepRequested(owned, classId, networkId);
        if (classId == countersClass) return keepRequested(counters, classId, networkId);
        if (classId == plainClass) return keepRequested(plain, classId, networkId);
        NodeControl::onDynamicNodeRequest(id, classId, announce, role, networkId);
    }

};

class LifeFixture : public NodeFixture {
protected:
    std::unique_ptr<NodeControl> makeControl() override { return std::make_unique<LifeControl>(); }
    LifeControl& life(const std::unique_ptr<NodeControl>& control) { return static_cast<LifeControl&>(*control); }
    unsigned serverSide() const { return server->find("established")->id; }
};

class ForeignReplicators : public LifeFixture, public ::testing::WithParamInterface<bool> {};

// The object goes away on one side while both sides keep changing it and
// packets are late: the data still arriving for it is passed by, the
// objects beside it in the same packets keep converging, and the
// connection stays up.
TEST_P(ForeignReplicators, MayGoWithTheHandleWhileThePeerStillSends)
{
    const bool serverDeletes = GetParam();
    auto original = std::make_unique<Owned>();
    ASSERT_TRUE(original->node.registerNodeDynamic(life(server).ownedClass, server.get()));
    const unsigned networkId = original->node.getNetworkID();
    Thing& witness = addThing();
    connect();
    original->node.setOwner(serverSide(), true);
    auto& proxies = life(client).owned;
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

// Data for a replicator that nothing can pass by, arriving after its
// object went away, ends the reading of that packet's nodes with a clear
// message; the connection goes on and later packets are read whole.
TEST_F(ForeignReplicators, WithoutASkipperEndTheirPacketsNodesButNotTheConnection)
{
    Plain original;
    ASSERT_TRUE(original.node.registerNodeDynamic(life(server).plainClass, server.get()));
    const unsigned networkId = original.node.getNetworkID();
    Thing& witness = addThing();
    connect();
    auto& proxies = life(client).plain;
    ASSERT_GE(runUntil([&] { return proxies.count(networkId) && converged(); }), 0);
    server->VNet_simulateLag(0, 40);
    client->VNet_simulateLag(0, 40);
    original.value = 1;
    runUntil([] { return false; }, 2);
    proxies.erase(networkId);
    for (int value = 2; value < 30; ++value) {
        original.value = value;
        runUntil([] { return false; }, 2);
    }
    EXPECT_TRUE(LogLines::contains("cannot be passed by once its node handle is gone")) << LogLines::all();
    witness.set(5, 0);
    ASSERT_GE(runUntil([&] { return converged(); }), 0) << LogLines::all();
    EXPECT_EQ(server->count("closed") + client->count("closed"), 0) << LogLines::all();
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

// A bool replicator of the application's that writes 20 bits: it inherits
// the library's skipper of one bit, which must not serve it.
class WideBool : public VNet_Replicate_Bool {
public:
    WideBool() : VNet_Replicate_Bool(false, kPlainFlags, kRules, 0, -1, -1) {}
    void packData(VNet_BitStream* stream) override { stream->addInt(getValue() ? 0xFFFFFu : 0u, 20); }
    void unpackData(VNet_BitStream* stream, bool store, unsigned) override
    {
        const bool value = stream->getInt(20) != 0;
        if (store) setValue(value);
    }
};

// What passes WideBool's data by.
class WideBoolSkipper : public VNet_ReplicatorBasic {
public:
    WideBoolSkipper() : VNet_ReplicatorBasic(new VNet_ReplicatorSetup(kPlainFlags | VNET_REPFLAG_OWNEDSETUP, kRules))
    {
        m_flags |= VNET_REPLICATOR_INITIALIZED;
    }
    void* peekData() override { return nullptr; }
    void clearPeekData() override {}
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override { return false; }
    void packData(VNet_BitStream*) override {}
    void unpackData(VNet_BitStream* stream, bool, unsigned) override { stream->getInt(20); }
};

// The same class made passable as the header says: with a skipper of its
// own.
class PassableWideBool : public WideBool {
public:
    VNet_ReplicatorBasic* createSkipper() const override { return new WideBoolSkipper; }
};

// An object of the application's whose one replicator the client deletes
// with the handle (the members go before the handle, as in Owned).
struct Foreign {
    VNet_Node node;
    virtual ~Foreign() = default;
    virtual void set(int value) = 0;
};

struct ForeignPlain : Foreign {
    int value = 0;
    PlainInt replicator{&value};
    ForeignPlain() { add(node, replicator); }
    void set(int v) override { value = v; }
    static void add(VNet_Node& node, VNet_Replicator& replicator)
    {
        node.beginReplicationSetup(1);
        node.addReplicator(&replicator, false);
        node.endReplicationSetup();
    }
};

template <class Bool>
struct ForeignBool : Foreign {
    Bool replicator;
    ForeignBool() { ForeignPlain::add(node, replicator); }
    void set(int v) override { replicator.setValue(v % 2 == 1); }
};

// A number whose set-up the application owns and widens to 24 bits once
// the replicator is added; the set-up goes with the object, right after
// the replicator and before the handle, or stays for good.
struct ForeignNumber : Foreign {
    int value = 0;
    std::unique_ptr<VNet_RSetupNumeric> owned;
    VNet_RSetupNumeric* setup;
    VNet_Replicate_Numeric<int*, 1> replicator;
    explicit ForeignNumber(VNet_RSetupNumeric* kept)
        : owned(kept ? nullptr : new VNet_RSetupNumeric(8, kPlainFlags, kRules, 0, -1, -1)),
          setup(kept ? kept : owned.get()), replicator(&value, setup)
    {
        ForeignPlain::add(node, replicator);
        setup->setRelevantBits(24);
    }
    void set(int v) override { value = v * 100003; }
};

VNet_RSetupNumeric* keptNumberSetup()
{
    static VNet_RSetupNumeric setup(8, kPlainFlags, kRules, 0, -1, -1);
    return &setup;
}

struct ForeignCase {
    const char* name;
    std::unique_ptr<Foreign> (*make)();
    // Nothing can pass its data by: packets with it are refused.
    bool refused;
};

void PrintTo(const ForeignCase& kind, std::ostream* out)
{
    *out << kind.name;
}

const ForeignCase kForeignCases[] = {
    {"PlainWithoutSkipper", [] { return std::unique_ptr<Foreign>(new ForeignPlain); }, true},
    {"BoolSubclassInheritingItsSkipper", [] { return std::unique_ptr<Foreign>(new ForeignBool<WideBool>); }, true},
    {"BoolSubclassWithItsOwnSkipper",
     [] { return std::unique_ptr<Foreign>(new ForeignBool<PassableWideBool>); }, false},
    {"NumberWidenedThroughASetUpThatGoesWithIt",
     [] { return std::unique_ptr<Foreign>(new ForeignNumber(nullptr)); }, false},
    {"NumberWidenedThroughASetUpThatStays",
     [] { return std::unique_ptr<Foreign>(new ForeignNumber(keptNumberSetup())); }, false},
};

// Makes the object of the case for each node of its class.
class ForeignControl : public LifeControl {
public:
    const unsigned foreignClass = VNet_registerClass("Foreign", 0);
    const ForeignCase* kind = nullptr;
    std::map<unsigned, std::unique_ptr<Foreign>> foreign;

    void onDynamicNodeRequest(unsigned int id, unsigned int classId, VNet_BitStream* announce, eVNet_NodeRole role,
                              unsigned int networkId) override
    {
        if (classId != foreignClass) return LifeControl::onDynamicNodeRequest(id, classId, announce, role, networkId);
        auto object = kind->make();
        if (object->node.registerRequestedNode(classId, this)) foreign[networkId] = std::move(object);
    }
};

class ForeignClasses : public LifeFixture, public ::testing::WithParamInterface<ForeignCase> {
protected:
    std::unique_ptr<NodeControl> makeControl() override
    {
        auto control = std::make_unique<ForeignControl>();
        control->kind = &GetParam();
        return control;
    }
    ForeignControl& foreignOf(const std::unique_ptr<NodeControl>& control)
    {
        return static_cast<ForeignControl&>(*control);
    }
};

// The client deletes the object while the server keeps changing it and a
// witness beside it, whose entry comes after the object's in each packet;
// their last change goes in one packet. Every class's data is passed by or
// its packets are refused and come again: the witness ends in step and the
// connection stays up.
TEST_P(ForeignClasses, LeaveTheNodesAfterThemInTheirPacketsReadRight)
{
    ForeignControl& serverSide = foreignOf(server);
    std::unique_ptr<Foreign> original = GetParam().make();
    ASSERT_TRUE(original->node.registerNodeDynamic(serverSide.foreignClass, server.get()));
    original->node.setUpdatePriority(5);
    const unsigned networkId = original->node.getNetworkID();
    Thing& witness = addThing();
    connect();
    auto& proxies = foreignOf(client).foreign;
    ASSERT_GE(runUntil([&] { return proxies.count(networkId) && converged(); }), 0);
    server->VNet_simulateLag(0, 40);
    client->VNet_simulateLag(0, 40);
    for (int value = 1; value <= 30; ++value) {
        if (value == 5) proxies.erase(networkId);
        original->set(value);
        witness.set(value, 0);
        runUntil([] { return false; }, 2);
    }
    ASSERT_GE(runUntil([&] { return converged(); }, 2000), 0) << LogLines::all();
    EXPECT_EQ(server->count("closed") + client->count("closed"), 0) << LogLines::all();
    EXPECT_FALSE(LogLines::contains("out of step")) << LogLines::all();
    EXPECT_FALSE(LogLines::contains("Disconnecting")) << LogLines::all();
    EXPECT_EQ(LogLines::contains("is refused and comes again"), GetParam().refused) << LogLines::all();
}

INSTANTIATE_TEST_SUITE_P(Kinds, ForeignClasses, ::testing::ValuesIn(kForeignCases),
                         [](const auto& info) { return std::string(info.param.name); });

// When an event of the witness, ahead in the same packet, has been handed
// over already, the packet cannot come again: the connection ends, saying
// which class's data could not be passed by, and nothing after it is read.
TEST_F(ForeignReplicators, ThatNothingCanPassByBehindDataTakenEndTheConnectionNamingTheClass)
{
    Plain original;
    ASSERT_TRUE(original.node.registerNodeDynamic(life(server).plainClass, server.get()));
    const unsigned networkId = original.node.getNetworkID();
    Thing& witness = addThing();
    witness.node.setUpdatePriority(50);
    connect();
    auto& proxies = life(client).plain;
    ASSERT_GE(runUntil([&] { return proxies.count(networkId) && converged(); }), 0);
    // The server learns of the deletion long after it has sent both.
    client->VNet_simulateLag(0, 400);
    proxies.erase(networkId);
    original.value = 7;
    ASSERT_TRUE(witness.node.sendEvent(eVNet_ReliableUnordered, 0x01, valueStream(77)));
    ASSERT_GE(runUntil([&] { return server->count("closed") + client->count("closed") == 2; }), 0) << LogLines::all();
    EXPECT_TRUE(LogLines::contains("PlainInt")) << LogLines::all();
    EXPECT_TRUE(LogLines::contains("class <Plain>) cannot be passed by once its node handle is gone"))
        << LogLines::all();
    ASSERT_EQ(client->userEvents.size(), 1u);
    EXPECT_EQ(client->userEvents[0].second, 77u);
}

// A deletion ahead of such data in the same packet does not end the
// connection: read again when the packet comes again, it finds nothing.
TEST_F(ForeignReplicators, ThatNothingCanPassByBehindADeletionRefuseTheirPacket)
{
    Plain original;
    ASSERT_TRUE(original.node.registerNodeDynamic(life(server).plainClass, server.get()));
    const unsigned networkId = original.node.getNetworkID();
    Thing& witness = addThing();
    auto leaving = std::make_unique<Thing>();
    ASSERT_TRUE(leaving->node.registerNodeDynamic(server->thingClass, server.get()));
    const unsigned leavingId = leaving->node.getNetworkID();
    connect();
    auto& proxies = life(client).plain;
    ASSERT_GE(runUntil([&] { return proxies.count(networkId) && client->proxies.count(leavingId); }), 0);
    client->VNet_simulateLag(0, 400);
    proxies.erase(networkId);
    original.value = 7;
    leaving.reset();
    witness.set(3, 0);
    ASSERT_GE(runUntil([&] { return converged() && !client->proxies.count(leavingId); }), 0) << LogLines::all();
    EXPECT_TRUE(LogLines::contains("is refused and comes again")) << LogLines::all();
    EXPECT_EQ(server->count("closed") + client->count("closed"), 0) << LogLines::all();
}

// A class derived from a library replicator gets no skipper from its base,
// which may read other bits than it writes; one of its own serves it.
TEST_F(Skippers, ServeOnlyTheClassThatMakesThem)
{
    bool flag = false;
    unsigned char block[4] = {};
    struct Block : VNet_Replicate_Memblock {
        explicit Block(unsigned char* data) : VNet_Replicate_Memblock(data, 4, kPlainFlags, kRules, 0, -1, -1) {}
    };
    struct Number : VNet_Replicate_Numeric<int, 1> {
        Number() : VNet_Replicate_Numeric<int, 1>(nullptr, 12, kPlainFlags, kRules, 0, -1, -1) {}
    };
    struct Flag : VNet_Replicate_Boolp {
        explicit Flag(bool* data) : VNet_Replicate_Boolp(data, kPlainFlags, kRules, 0, -1, -1) {}
    };
    std::vector<std::unique_ptr<VNet_ReplicatorBasic>> derived;
    derived.emplace_back(new WideBool);
    derived.emplace_back(new Block(block));
    derived.emplace_back(new Number);
    derived.emplace_back(new Flag(&flag));
    for (size_t i = 0; i < derived.size(); ++i) EXPECT_EQ(derived[i]->createSkipper(), nullptr) << "class " << i;
    std::unique_ptr<VNet_ReplicatorBasic> own(PassableWideBool().createSkipper());
    ASSERT_TRUE(own);
    VNet_BitStream stream;
    WideBool().packData(&stream);
    own->unpackData(&stream, false, 0);
    EXPECT_EQ(readPosition(&stream), stream.getBitCount());
}

// A skipper reads its replicator's set-up as it is when data is passed by:
// changed after the skipper was made, and as it last was once it is gone.
TEST_F(Skippers, ReadTheSetUpAsItIsWhenTheyPassDataBy)
{
    int value = 0x123456;
    auto* setup = new VNet_RSetupNumeric(8, kPlainFlags, kRules, 0, -1, -1);
    auto replicator = std::make_unique<VNet_Replicate_Numeric<int*, 1>>(&value, setup);
    std::unique_ptr<VNet_ReplicatorBasic> skipper(replicator->createSkipper());
    ASSERT_TRUE(skipper);
    const auto passesByExactly = [&](unsigned char bits) {
        VNet_BitStream stream;
        replicator->packData(&stream);
        stream.addInt(0x5A5, 12);
        skipper->unpackData(&stream, false, 0);
        return stream.getInt(12) == 0x5A5u && readPosition(&stream) == stream.getBitCount() &&
               setup->getRelevantBits() == bits;
    };
    EXPECT_TRUE(passesByExactly(8));
    setup->setRelevantBits(24);
    EXPECT_TRUE(passesByExactly(24));
    // Written while the set-up still said 24 bits; read once it is gone.
    VNet_BitStream stream;
    replicator->packData(&stream);
    stream.addInt(0x5A5, 12);
    replicator.reset();
    delete setup;
    skipper->unpackData(&stream, false, 0);
    EXPECT_EQ(stream.getInt(12), 0x5A5u);
    EXPECT_EQ(readPosition(&stream), stream.getBitCount());
}

// The connection ids of the sync requests waiting on the node.
std::vector<unsigned> takeSyncRequests(VNet_Node& node)
{
    std::vector<unsigned> ids;
    while (node.checkEventWaiting()) {
        eVNet_Event kind = eVNet_EventNone;
        unsigned id = 0;
        node.getNextEvent(&kind, nullptr, &id, nullptr);
        if (kind == eVNet_EventSyncRequest) ids.push_back(id);
    }
    return ids;
}

using MustSync = LifeFixture;

// Two nodes of sync order 1 are asked first; the node of order 2 is linked
// only when both have answered, the other nodes only when it has, and the
// level is reached then. A failure ends the change with result 3.
TEST_F(MustSync, GroupsAreAskedInOrderAndTheLevelWaitsForEveryAnswer)
{
    Thing& first = addThing();
    Thing& second = addThing();
    Thing& later = addThing();
    Thing& normal = addThing();
    first.node.setMustSync(true, 1);
    second.node.setMustSync(true, 1);
    later.node.setMustSync(true, 2);
    for (size_t i = 0; i < things.size(); ++i) things[i]->set(0, int(i));
    connect(false);
    const unsigned id = serverSide();
    std::vector<unsigned> firstAsked;
    std::vector<unsigned> secondAsked;
    ASSERT_GE(runUntil([&] {
                  for (unsigned asked : takeSyncRequests(first.node)) firstAsked.push_back(asked);
                  for (unsigned asked : takeSyncRequests(second.node)) secondAsked.push_back(asked);
                  return !firstAsked.empty() && !secondAsked.empty();
              }),
              0)
        << LogLines::all();
    EXPECT_EQ(firstAsked, std::vector<unsigned>{id});
    EXPECT_EQ(secondAsked, std::vector<unsigned>{id});
    first.node.setSyncResult(id, true, nullptr);
    runUntil([] { return false; }, 40);
    EXPECT_EQ(later.node.getRelevantConnectionCount(), 0u) << "the next group waits for the whole group";
    EXPECT_EQ(normal.node.getRelevantConnectionCount(), 0u);
    EXPECT_EQ(client->find("levelResult"), nullptr);

    second.node.setSyncResult(id, true, nullptr);
    std::vector<unsigned> laterAsked;
    ASSERT_GE(runUntil([&] {
                  for (unsigned asked : takeSyncRequests(later.node)) laterAsked.push_back(asked);
                  return !laterAsked.empty();
              }),
              0);
    EXPECT_EQ(normal.node.getRelevantConnectionCount(), 0u);
    EXPECT_EQ(client->find("levelResult"), nullptr);
    later.node.setSyncResult(id, true, nullptr);
    ASSERT_GE(runUntil([&] { return client->find("levelResult") && converged(); }), 0) << LogLines::all();
    EXPECT_EQ(client->find("levelResult")->code, 1u) << "result 0 for level 1";
    EXPECT_EQ(client->announced.back(), normal.node.getNetworkID()) << "the normal node comes last";

    // A second level, whose sync fails: the level stays, result 3.
    Thing& guard = addThing();
    guard.node.applyForVornLevel(2);
    guard.node.setMustSync(true, 1);
    ASSERT_TRUE(client->VNet_requestVornMode(client->find("result")->id, 2));
    std::vector<unsigned> guardAsked;
    ASSERT_GE(runUntil([&] {
                  guardAsked = takeSyncRequests(guard.node);
                  return !guardAsked.empty();
              }),
              0);
    guard.node.setSyncResult(id, false, nullptr);
    ASSERT_GE(runUntil([&] { return client->count("levelResult") == 2; }), 0);
    EXPECT_EQ(client->events.back().code, 3001u) << "failure 3 at the current level 1";
    EXPECT_EQ(server->count("closed") + client->count("closed"), 0);
}

using SendOnce = LifeFixture;

// A clean-start value is not sent with the announcement until it has
// changed; an only-once value goes with each announcement and never on a
// change.
TEST_F(SendOnce, CleanStartAndOnlyOnceGoWithTheAnnouncementAsTheirFlagsSay)
{
    Counters original(5);
    original.plain = 1;
    original.once = 7;
    ASSERT_TRUE(original.node.registerNodeDynamic(life(server).countersClass, server.get()));
    const unsigned networkId = original.node.getNetworkID();
    connect();
    auto& proxies = life(client).counters;
    ASSERT_GE(runUntil([&] { return proxies.count(networkId) && proxies[networkId]->plain == 1; }), 0);
    runUntil([] { return false; }, 20);
    Counters& proxy = *proxies[networkId];
    EXPECT_EQ(proxy.once, 7);
    EXPECT_EQ(proxy.clean, 0) << "the clean start is taken to be there";

    original.clean = 6;
    original.once = 8;
    original.plain = 2;
    ASSERT_GE(runUntil([&] { return proxy.plain == 2 && proxy.clean == 6; }), 0);
    runUntil([] { return false; }, 20);
    EXPECT_EQ(proxy.once, 7) << "a change does not send an only-once value";

    // Announced anew: a fresh proxy gets the only-once value as it is now,
    // and the clean start that has changed.
    original.node.setConnectionSpecificRelevance(serverSide(), 0.0f);
    ASSERT_GE(runUntil([&] { return proxy.node.getRelevantConnectionCount() == 0; }), 0);
    original.node.setConnectionSpecificRelevance(serverSide(), 1.0f);
    ASSERT_GE(runUntil([&] { return proxies[networkId].get() != &proxy && proxies[networkId]->plain == 2; }), 0);
    runUntil([] { return false; }, 20);
    EXPECT_EQ(proxies[networkId]->once, 8);
    EXPECT_EQ(proxies[networkId]->clean, 6);
}

using Delays = LifeFixture;

// A value changed every 5 ms with a minimum delay of 100 ms arrives at most
// every 100 ms; a value that never changes, with a maximum delay of 500
// ms, is sent again every 500 ms (seen by overwriting the proxy's copy).
TEST_F(Delays, HoldBackChangesAndResendUnchangedValues)
{
    Counters original;
    ASSERT_TRUE(original.node.registerNodeDynamic(life(server).countersClass, server.get()));
    original.kept = 42;
    connect();
    auto& proxies = life(client).counters;
    const unsigned networkId = original.node.getNetworkID();
    ASSERT_GE(runUntil([&] { return proxies.count(networkId) && proxies[networkId]->kept == 42; }), 0);
    Counters& proxy = *proxies[networkId];
    std::vector<int> slowSeen;
    int resent = 0;
    // Two seconds in 5 ms steps.
    for (int step = 0; step < 400; ++step) {
        original.slow = step + 1;
        runUntil([] { return false; }, 1);
        if (slowSeen.empty() || slowSeen.back() != proxy.slow) slowSeen.push_back(proxy.slow);
        if (proxy.kept == 42) {
            ++resent;
            proxy.kept = -1;
        }
    }
    EXPECT_GE(slowSeen.size(), 10u) << "the changes still go";
    EXPECT_LE(slowSeen.size(), 22u) << "at most one every 100 ms";
    // From the first value that arrived, not the proxy's starting 0.
    for (size_t i = 2; i < slowSeen.size(); ++i)
        EXPECT_GE(slowSeen[i] - slowSeen[i - 1], 19) << "values 100 ms apart, at " << i;
    EXPECT_GE(resent, 3);
    EXPECT_LE(resent, 5);
}

using PrivateNodes = LifeFixture;

// A private node goes only to its owner: made owner, the peer gets it with
// the owner role; no longer owner, it loses it; public again, it gets it
// as a proxy.
TEST_F(PrivateNodes, GoOnlyToTheOwnerUntilTheyArePublic)
{
    Thing& hidden = addThing();
    Thing& open = addThing();
    hidden.set(1, 1);
    open.set(2, 2);
    hidden.node.setPrivate(true);
    EXPECT_TRUE(hidden.node.isPrivate());
    connect();
    const unsigned networkId = hidden.node.getNetworkID();
    ASSERT_GE(runUntil([&] { return client->proxies.count(open.node.getNetworkID()) == 1; }), 0);
    runUntil([] { return false; }, 40);
    EXPECT_EQ(client->proxies.count(networkId), 0u) << "a private node goes to nobody but its owner";

    hidden.node.setOwner(serverSide(), true);
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    EXPECT_EQ(client->proxies[networkId]->node.getRole(), eVNet_RoleOwner);
    hidden.set(3, 1);
    ASSERT_GE(runUntil([&] { return converged(); }), 0);

    hidden.node.setOwner(serverSide(), false);
    ASSERT_GE(runUntil([&] { return client->proxies.count(networkId) == 0; }), 0);

    hidden.node.setPrivate(false);
    hidden.set(4, 1);
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    EXPECT_EQ(client->proxies[networkId]->node.getRole(), eVNet_RoleProxy);
    EXPECT_EQ(server->count("closed") + client->count("closed"), 0);
}

// A unique node is matched with the peer's node of its class, which the
// peer registers itself; without one the connection ends.
struct UniqueCase {
    const char* name;
    bool clientHasOne;
};

class UniqueNodes : public LifeFixture, public ::testing::WithParamInterface<UniqueCase> {};

TEST_P(UniqueNodes, AreMatchedWithThePeersNodeOfTheirClass)
{
    Thing original;
    original.set(6, 6);
    ASSERT_TRUE(original.node.registerNodeUnique(life(server).soloClass, eVNet_RoleAuthority, server.get()));
    Thing mine;
    if (GetParam().clientHasOne) {
        ASSERT_TRUE(mine.node.registerNodeUnique(life(client).soloClass, eVNet_RoleProxy, client.get()));
    }
    connect(false);
    if (GetParam().clientHasOne) {
        ASSERT_GE(runUntil([&] { return mine.sameAs(original); }), 0) << LogLines::all();
        EXPECT_EQ(mine.node.getNetworkID(), original.node.getNetworkID());
        original.set(7, 6);
        ASSERT_GE(runUntil([&] { return mine.sameAs(original); }), 0);
        EXPECT_EQ(server->count("closed") + client->count("closed"), 0);
    } else {
        ASSERT_GE(runUntil([&] { return server->count("closed") == 1; }), 0) << LogLines::all();
        EXPECT_TRUE(LogLines::contains("no instance of unique class <Solo> found")) << LogLines::all();
    }
    original.node.unregisterNode();
    mine.node.unregisterNode();
}

INSTANTIATE_TEST_SUITE_P(Cases, UniqueNodes,
                         ::testing::Values(UniqueCase{"heldByThePeer", true}, UniqueCase{"missing", false}),
                         [](const auto& info) { return std::string(info.param.name); });

using RelevantConnections = LifeFixture;

// An owner named before its connection is linked is a placeholder: counted,
// never listed; linked later, the connection is listed and keeps the
// owner role.
TEST_F(RelevantConnections, ListLinkedConnectionsAndCountPlaceholders)
{
    Thing& thing = addThing();
    unsigned ids[4] = {};
    unsigned count = 99;
    EXPECT_EQ(thing.node.getRelevantConnections(ids, 4, &count), 1);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(thing.node.getRelevantConnections(nullptr, 4, &count), 0);

    const unsigned clientSide = client->VNet_Connect(transport_test::localPort(kServerPort), nullptr);
    ASSERT_GE(runUntil([&] { return client->find("result") && server->count("established") == 1; }), 0);
    const unsigned linked = serverSide();
    thing.node.setOwner(linked, true);
    thing.node.setOwner(linked + 50, true);
    EXPECT_EQ(thing.node.getRelevantConnectionCount(), 2u);
    EXPECT_EQ(thing.node.getRelevantConnections(ids, 4, &count), 1);
    EXPECT_EQ(count, 0u) << "placeholders are not listed";
    EXPECT_EQ(thing.node.getUserData(linked), nullptr);

    ASSERT_TRUE(client->VNet_requestVornMode(clientSide, 1));
    ASSERT_GE(runUntil([&] { return converged(); }), 0);
    EXPECT_EQ(client->proxies.begin()->second->node.getRole(), eVNet_RoleOwner) << "the owner named before";
    EXPECT_EQ(thing.node.getRelevantConnectionCount(), 2u);
    EXPECT_EQ(thing.node.getRelevantConnections(ids, 4, &count), 1);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(ids[0], linked);
    EXPECT_EQ(thing.node.getRelevantConnections(ids, 0, &count), -1) << "more remain than room";
    EXPECT_EQ(count, 0u);
}

}  // namespace
