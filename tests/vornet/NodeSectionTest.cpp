// The replicator section and the event items against bare bit streams, and
// hostile node sections from a scripted peer.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include "BitStringSupport.h"
#include "ControlSupport.h"
#include "vornet/src/vornet_node_private.h"
#include "vornet/vornet_node.h"
#include "vornet/vornet_replicator_bool.h"
#include "vornet/vornet_replicator_memblock.h"

namespace {

using namespace control_test;
using Vornet_Private::NodeConnState;
using bit_strings::bitsOf;

constexpr unsigned char kToProxy = VNET_RULE_AUTHORITY_TO_PROXY;

// A node with three normal bools (a, b, c) and one sparse bool (d), in a
// table of the given capacity: 4 fills it, 6 leaves two empty slots.
struct BoolNode {
    VNet_Node node;
    bool values[4] = {true, false, true, true};

    BoolNode(unsigned short capacity, eVNet_NodeRole role)
    {
        node.beginReplicationSetup(capacity);
        for (int i = 0; i < 3; ++i) node.addReplicationBool(&values[i], 0x01, kToProxy);
        node.addReplicationBool(&values[3], VNET_REPFLAG_SPARSE, kToProxy);
        node.endReplicationSetup();
        priv()->role = role;
    }
    VNet_Node_Private* priv() { return VNet_Node_Private::of(&node); }
};


unsigned readPosition(const VNet_BitStream& stream)
{
    VNet_BitStream::BitPos at;
    stream.saveReadState(at);
    return at.pos * 8u + at.bit;
}

struct SectionCase {
    const char* name;
    unsigned short capacity;
    std::vector<int> dirty;
    bool sparseDirty;
    // Release build: presence, value and trailing bits in slot order.
    const char* golden;
};

// Room that nothing in these sections fills.
const Vornet_Private::EntryRoom kAnyRoom{1u << 20, 1u << 20, true};

class ReplicatorSection : public ::testing::TestWithParam<SectionCase> {};

TEST_P(ReplicatorSection, IsWrittenAsSpecifiedAndReadBackOrSkippedExactly)
{
    const SectionCase& c = GetParam();
    BoolNode source(c.capacity, eVNet_RoleAuthority);
    NodeConnState out;
    out.remoteRole = eVNet_RoleProxy;
    for (int bit : c.dirty) out.dirty.set(bit);
    out.flags = Vornet_Private::StateNormalDirty | (c.sparseDirty ? Vornet_Private::StateSparseDirty : 0);
    VNet_BitStream stream(64);
    Vornet_Private::BitArray sent;
    const bool packed = source.priv()->packReplicators(&out, &stream, kAnyRoom, sent, nullptr);
    EXPECT_EQ(packed, !c.dirty.empty());
    for (int bit : c.dirty) EXPECT_FALSE(out.dirty.get(bit));
#ifndef VORNET_TEST_CHECKING
    EXPECT_EQ(bitsOf(stream), c.golden);
#endif
    const unsigned end = stream.getBitCount();
    stream.addInt(0x5A, 8);
    for (bool store : {true, false}) {
        BoolNode target(c.capacity, eVNet_RoleProxy);
        for (bool& v : target.values) v = !v;
        const bool before[4] = {target.values[0], target.values[1], target.values[2], target.values[3]};
        NodeConnState in;
        in.remoteRole = eVNet_RoleAuthority;
        stream.resetReadState();
        EXPECT_TRUE(target.priv()->unpackReplicators(&in, &stream, store, nullptr, 0));
        EXPECT_EQ(readPosition(stream), end) << (store ? "read" : "skip");
        EXPECT_EQ(stream.getInt(8), 0x5Au);
        for (int i = 0; i < 4; ++i) {
            const int id = i < 3 ? i : c.capacity - 1;
            const bool expected = store && sent.get(id) ? source.values[i] : before[i];
            EXPECT_EQ(target.values[i], expected) << "replicator " << i << (store ? " read" : " skipped");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Masks, ReplicatorSection,
    ::testing::Values(
        // Full table: slot 3 is the sparse bool, written before the
        // continuation bit that closes the section.
        SectionCase{"fullFirstOnly", 4, {0}, false, "1110000"},
        SectionCase{"fullAll", 4, {0, 1, 2, 3}, true, "1111011111111"},
        SectionCase{"fullNone", 4, {}, false, "00000"},
        // Gap: slots 3 and 4 are empty and write nothing, so no
        // continuation bit follows; slot 5 is the sparse bool.
        SectionCase{"gapLastTwo", 6, {2, 5}, true, "00111111"},
        SectionCase{"gapNone", 6, {}, false, "0000"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// A node with three memory blocks: a and c of 8 bytes, b of 40 between them.
struct BlockNode {
    VNet_Node node;
    unsigned char a[8] = {};
    unsigned char b[40] = {};
    unsigned char c[8] = {};

    explicit BlockNode(eVNet_NodeRole role)
    {
        node.beginReplicationSetup(3);
        for (auto [block, size] : {std::pair{a, sizeof a}, std::pair{b, sizeof b}, std::pair{c, sizeof c}})
            node.addReplicator(new VNet_Replicate_Memblock(block, uint16_t(size), 0x01, kToProxy, 0, -1, -1), true);
        node.endReplicationSetup();
        VNet_Node_Private::of(&node)->role = role;
    }
    VNet_Node_Private* priv() { return VNet_Node_Private::of(&node); }
};

using ReplicatorRoom = LibraryFixture;

// Room for a and c with their flags, not for b: b stays due and is not in
// flight; in a lone entry where nothing went before it, it fits no packet
// and is refused.
TEST_F(ReplicatorRoom, WhatDoesNotFitStaysDueAndWhatFitsNoPacketIsRefused)
{
    BlockNode source(eVNet_RoleAuthority);
    std::fill(std::begin(source.a), std::end(source.a), 0xA1);
    std::fill(std::begin(source.b), std::end(source.b), 0xB2);
    std::fill(std::begin(source.c), std::end(source.c), 0xC3);
    NodeConnState out;
    out.remoteRole = eVNet_RoleProxy;
    for (int i = 0; i < 3; ++i) out.dirty.set(i);
    out.flags = Vornet_Private::StateNormalDirty;
    const Vornet_Private::EntryRoom room{250, 250, true};

    VNet_BitStream stream(64);
    Vornet_Private::BitArray sent;
    ASSERT_TRUE(source.priv()->packReplicators(&out, &stream, room, sent, nullptr));
    EXPECT_LE(stream.getBitCount(), room.limitBits);
    EXPECT_TRUE(sent.get(0) && !sent.get(1) && sent.get(2));
    EXPECT_TRUE(!out.dirty.get(0) && out.dirty.get(1) && !out.dirty.get(2));
    EXPECT_TRUE(out.flags & Vornet_Private::StateNormalDirty) << "b is still due";
    ASSERT_EQ(out.inFlight.count(), 1);
    EXPECT_FALSE(out.inFlight.first()->payload->get(1));
    EXPECT_FALSE(LogLines::contains("larger than a packet"));

    BlockNode target(eVNet_RoleProxy);
    NodeConnState in;
    in.remoteRole = eVNet_RoleAuthority;
    stream.resetReadState();
    EXPECT_TRUE(target.priv()->unpackReplicators(&in, &stream, true, nullptr, 0));
    EXPECT_EQ(target.a[0], 0xA1);
    EXPECT_EQ(target.b[0], 0x00);
    EXPECT_EQ(target.c[7], 0xC3);

    VNet_BitStream next(64);
    Vornet_Private::BitArray nextSent;
    EXPECT_FALSE(source.priv()->packReplicators(&out, &next, room, nextSent, nullptr));
    EXPECT_FALSE(out.dirty.get(1));
    EXPECT_FALSE(out.flags & Vornet_Private::StateDirty);
    EXPECT_EQ(out.inFlight.count(), 1);
    EXPECT_TRUE(LogLines::contains("VNet_Node: replicator 1 of node [0] (class <>) is larger than a packet"));
}

// Data from a connection whose role the rules do not allow is read but
// never stored.
TEST(ReplicatorRoles, DataFromAProxyIsNotStoredOnTheAuthority)
{
    BoolNode source(4, eVNet_RoleAuthority);
    NodeConnState out;
    out.remoteRole = eVNet_RoleProxy;
    out.dirty.fill();
    out.flags = Vornet_Private::StateDirty;
    VNet_BitStream stream(64);
    Vornet_Private::BitArray sent;
    ASSERT_TRUE(source.priv()->packReplicators(&out, &stream, kAnyRoom, sent, nullptr));
    BoolNode authority(4, eVNet_RoleAuthority);
    for (bool& v : authority.values) v = !v;
    NodeConnState fromProxy;
    fromProxy.remoteRole = eVNet_RoleProxy;
    EXPECT_TRUE(authority.priv()->unpackReplicators(&fromProxy, &stream, true, nullptr, 0));
    for (int i = 0; i < 4; ++i) EXPECT_NE(authority.values[i], source.values[i]) << i;
    EXPECT_EQ(readPosition(stream), stream.getBitCount());
}

// Outlives the replicators that use it: a replicator's destructor looks at
// its set-up.
VNet_ReplicatorSetup readerSetup(0x01, VNET_RULE_AUTHORITY_TO_PROXY);

// An advanced replicator that reads a fixed number of bits of its data,
// whatever the item holds.
class Reader : public VNet_ReplicatorAdvanced {
public:
    explicit Reader(unsigned bits) : VNet_ReplicatorAdvanced(&readerSetup), m_bits(bits)
    {
        m_flags |= VNET_REPLICATOR_INITIALIZED;
    }
    void* peekData() override { return nullptr; }
    void clearPeekData() override {}
    void Process(eVNet_NodeRole, unsigned) override {}
    void onPreSendData(unsigned, eVNet_NodeRole, unsigned*) override {}
    void onDataReceived(unsigned, eVNet_NodeRole, VNet_BitStream& stream, bool, unsigned) override
    {
        stream.skipBits(m_bits);
        ++received;
    }
    void onDataAcked(unsigned, unsigned, VNet_BitStream*) override {}
    void onDataLost(unsigned, unsigned, VNet_BitStream*) override {}
    void onPacketReceived(unsigned) override {}
    void onConnectionAdded(unsigned, eVNet_NodeRole) override {}
    void onConnectionRemoved(unsigned, eVNet_NodeRole) override {}
    void onLocalRoleChanged(eVNet_NodeRole, eVNet_NodeRole) override {}
    void onRemoteRoleChanged(unsigned, eVNet_NodeRole, eVNet_NodeRole) override {}
    int received = 0;

private:
    unsigned m_bits;
};

// One event list: a replicator item of a 16-bit value for slot 0, then a user
// event holding 77.
void replicatorThenUser(VNet_BitStream& stream)
{
    stream.addBool(true);
    stream.addBool(false);
    stream.addBool(false);
    stream.addBool(true);
    stream.addInt(0, 1);
    VNet_BitStream data(8);
    data.addInt(0xFFFF, 16);
    const unsigned dataBits = data.getBitCount();
    stream.addBool(false);
    stream.addInt(dataBits / 8, 8);
    stream.addInt(dataBits % 8, 3);
    stream.addBitStream(&data);
    stream.addBool(true);
    stream.addBool(false);
    stream.addBool(true);
    VNet_BitStream payload(8);
    payload.addInt(77, 32);
    stream.addBool(false);
    stream.addInt(payload.getBitCount() / 8, 8);
    stream.addInt(payload.getBitCount() % 8, 3);
    stream.addBitStream(&payload);
    stream.addBool(false);
}

class ReplicatorItem : public ::testing::TestWithParam<unsigned> {};

TEST_P(ReplicatorItem, TheNextItemStartsWhereTheDataEndsHoweverMuchTheHandlerReads)
{
    VNet_Node node;
    auto* reader = new Reader(GetParam());
    node.beginReplicationSetup(1);
    node.addReplicator(reader, true);
    node.endReplicationSetup();
    NodeConnState state;
    state.remoteRole = eVNet_RoleAuthority;
    VNet_BitStream stream(64);
    replicatorThenUser(stream);
    EXPECT_TRUE(VNet_Node_Private::of(&node)->readEvents(&state, &stream, 0, nullptr));
    EXPECT_EQ(reader->received, 1);
    ASSERT_TRUE(node.checkEventWaiting());
    eVNet_Event kind = eVNet_EventNone;
    VNet_BitStream* user = node.getNextEvent(&kind, nullptr, nullptr, nullptr);
    EXPECT_EQ(kind, eVNet_EventUser);
    EXPECT_EQ(user->getInt(32), 77u);
}

INSTANTIATE_TEST_SUITE_P(Reads, ReplicatorItem, ::testing::Values(0u, 16u, 40u));

// Event items that do not fit their packet end reading with an error.
TEST(EventItems, ASizeBeyondThePacketOrAnUnknownSlotEndsReading)
{
    VNet_Node node;
    NodeConnState state;
    VNet_BitStream oversize(64);
    oversize.addBool(true);
    oversize.addBool(false);
    oversize.addBool(true);
    oversize.addBool(true);
    oversize.addInt(0xFFFF, 16);
    oversize.addInt(7, 3);
    EXPECT_FALSE(VNet_Node_Private::of(&node)->readEvents(&state, &oversize, 0, nullptr));
    VNet_BitStream noSlot(64);
    replicatorThenUser(noSlot);
    EXPECT_FALSE(VNet_Node_Private::of(&node)->readEvents(&state, &noSlot, 0, nullptr));
    EXPECT_FALSE(node.checkEventWaiting());
}

// ---------------------------------------------------------------------------
// Hostile node sections from a scripted peer

constexpr unsigned short kServerPort = 2;
constexpr unsigned short kPeerPort = 1;

class HostileSections : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = std::make_unique<RecordingControl>();
        ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
        peer = std::make_unique<ScriptedPeer>(kPeerPort, kServerPort);
        classId = server->VNet_registerClass("Thing", 0);
        ASSERT_TRUE(node.registerNodeDynamic(classId, server.get()));
        peer->send(Wire{true, 2, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) { requestBody(s); }}, 8);
        server->step();
        collect();
        send(1, [](VNet_BitStream& s) {
            s.addInt(0, 4);
            s.addBool(false);
            s.addBool(false);
        });
        ASSERT_EQ(server->count("established"), 1);
    }
    void TearDown() override
    {
        peer.reset();
        node.unregisterNode();
        server.reset();
        library.Clear();
    }
    void send(int seq, std::function<void(VNet_BitStream&)> body)
    {
        Wire wire;
        wire.kind = 1;
        wire.seq = seq;
        wire.ackFirst = (serverLast - 7) & 15;
        wire.ackBits = 0xFF;
        wire.body = std::move(body);
        peer->send(wire);
        server->step();
        collect();
    }
    // Reads what the server sent and notes its newest sequence number.
    void collect()
    {
        for (const Wire& wire : peer->drain()) {
            if (wire.sequenced) serverLast = wire.seq;
        }
    }

    TestClock clock;
    std::unique_ptr<RecordingControl> server;
    std::unique_ptr<ScriptedPeer> peer;
    VNet_Node node;
    unsigned classId = 0;
    int serverLast = 0;
};

TEST_F(HostileSections, UnknownDeletionsAreLoggedAndTheConnectionGoesOn)
{
    send(2, [](VNet_BitStream& s) {
        s.addInt(15, 4);
        for (uint32_t id : {0x7FFFu, 3u, 1u}) {
            s.addBool(true);
            s.addInt(id, 15);
        }
        s.addBool(false);
        s.addBool(false);
    });
    EXPECT_TRUE(LogLines::contains("node not found: local id[32767]"));
    EXPECT_EQ(server->count("closed"), 0);
    EXPECT_NE(server->VNet_getPeer(1), nullptr);
}

struct UpdateCase {
    const char* name;
    uint32_t width;
    uint32_t id;
};

class HostileUpdates : public HostileSections, public ::testing::WithParamInterface<UpdateCase> {};

// An update for a node this side does not have, or has but not linked to
// the peer, ends the connection without touching the node.
TEST_P(HostileUpdates, NameANodeNotLinkedAndDisconnect)
{
    const UpdateCase& c = GetParam();
    send(2, [&](VNet_BitStream& s) {
        s.addInt(c.width, 4);
        s.addBool(false);
        s.addBool(true);
        s.addInt(c.id, uint8_t(c.width));
        // Replicator data and a mass of event items that must never be read.
        for (int i = 0; i < 64; ++i) s.addBool(true);
    });
    EXPECT_TRUE(LogLines::contains("node not found[")) << LogLines::all();
    for (int i = 0; i < 400 && server->VNet_getPeer(1); ++i) {
        server->step();
        collect();
        clock.advance(50);
    }
    EXPECT_EQ(node.getRelevantConnectionCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Ids, HostileUpdates,
                         ::testing::Values(UpdateCase{"unknown", 15, 0x7FFF}, UpdateCase{"zero", 0, 0},
                                           UpdateCase{"registeredButUnlinked", 4, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
