// Helpers of the connection tests: a control that records its callbacks, an
// injectable library clock, and a scripted peer that speaks the packet
// protocol by hand through a raw local socket.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "TransportSupport.h"
#include "platform/UdpSocket.h"
#include "vornet/src/vornet_clock.h"
#include "vornet/src/vornet_packet.h"
#include "vornet/src/vornet_socket.h"
#include "vornet/vornet.h"
#include "vornet/vornet_control.h"

namespace control_test {

using transport_test::LogLines;

// The library clock in tests: moves only when told.
class TestClock {
public:
    TestClock()
    {
        micros() = 1000000;
        Vornet_Private::setClockSource(&source);
    }
    ~TestClock() { Vornet_Private::setClockSource(nullptr); }
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    void advance(uint32_t ms) { micros() += uint64_t(ms) * 1000; }

private:
    static uint64_t source() { return micros().load(); }
    static std::atomic<uint64_t>& micros()
    {
        static std::atomic<uint64_t> value{0};
        return value;
    }
};

// The library object of a test, logging every line into LogLines.
// Fixtures destroy their controls and then Clear() it in TearDown.
class LibraryFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogLines::clear();
        ASSERT_TRUE(library.Init());
        library.setLogLevel(2);
    }

    Vornet library{LogLines::capture};
};

// A UDP port nobody holds right now.
inline unsigned short freePort()
{
    platform::UdpSocket probe;
    if (!probe.open() || !probe.bind(platform::kLoopbackAddress, 0)) return 0;
    return probe.localPort();
}

// What a callback reported.
struct Event {
    std::string name;
    unsigned id = 0;
    unsigned code = 0;
    // The 32-bit value the stream carried first, when it held one.
    bool hasValue = false;
    uint32_t value = 0;
};

// Reads the first 32-bit value a callback's stream holds, if any.
inline void readValue(VNet_BitStream* stream, Event& event)
{
    if (!stream || stream->getBitCount() == 0 || stream->endOfStream()) return;
    VNet_BitStream::BitPos before;
    stream->saveReadState(before);
    const uint32_t value = stream->getInt(32);
    VNet_BitStream::BitPos after;
    stream->saveReadState(after);
    if (before.pos == after.pos && before.bit == after.bit) return;
    event.hasValue = true;
    event.value = value;
}

inline VNet_BitStream* valueStream(uint32_t value)
{
    auto* stream = new VNet_BitStream(8);
    stream->addInt(value, 32);
    return stream;
}

// A control that records every callback and answers requests as told.
class RecordingControl : public VNet_Control {
public:
    bool acceptRequests = true;
    // Written into the reply of an accepted or denied request when not 0.
    uint32_t replyValue = 0;
    bool acceptLevels = true;
    std::vector<Event> events;
    // Payload values of application data, in arrival order.
    std::vector<uint32_t> data;

    void onConnectResult(unsigned int id, unsigned int result, VNet_BitStream* reply) override
    {
        record("result", id, result, reply);
    }
    bool onConnectionRequest(unsigned int id, VNet_BitStream* request, VNet_BitStream* reply) override
    {
        record("request", id, 0, request);
        if (replyValue) reply->addInt(replyValue, 32);
        return acceptRequests;
    }
    void onConnectionEstablished(unsigned int id) override { record("established", id, 0, nullptr); }
    void onConnectionClosed(unsigned int id, unsigned int reason, VNet_BitStream* stream) override
    {
        record("closed", id, reason, stream);
    }
    bool onVornLevelRequest(unsigned int id, unsigned char level, VNet_BitStream*) override
    {
        record("levelRequest", id, level, nullptr);
        return acceptLevels;
    }
    void onVornLevelResult(unsigned int id, unsigned char result, unsigned char level, VNet_BitStream*) override
    {
        record("levelResult", id, result * 1000u + level, nullptr);
    }
    void onDynamicNodeRequest(unsigned int id, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override
    {
        record("dynamicNode", id, 0, nullptr);
    }
    void onTagNodeRequest(unsigned int id, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override
    {
        record("tagNode", id, 0, nullptr);
    }
    void onApplicationData(unsigned int, VNet_BitStream* stream) override { data.push_back(stream->getInt(32)); }
    bool onDiscoverRequest(const VNet_Address&, VNet_BitStream*, VNet_BitStream*) override { return false; }
    void onDiscoverAnswer(const VNet_Address&, VNet_BitStream*) override {}

    void step()
    {
        VNet_processInput(eVNet_NoBlock);
        VNet_processOutput();
    }
    int count(const std::string& name) const
    {
        int n = 0;
        for (const Event& event : events) n += event.name == name;
        return n;
    }
    const Event* find(const std::string& name) const
    {
        for (const Event& event : events) {
            if (event.name == name) return &event;
        }
        return nullptr;
    }

private:
    void record(const char* name, unsigned id, unsigned code, VNet_BitStream* stream)
    {
        Event event{name, id, code};
        readValue(stream, event);
        events.push_back(event);
    }
};

// One packet as the scripted peer reads or writes it.
struct Wire {
    bool sequenced = true;
    int kind = 1;  // PacketKind numbers
    int seq = 0;
    int ackFirst = 8;
    uint8_t ackBits = 0xFF;  // bit i: ackFirst + i
    int hold = 0;            // written for seq 8
    bool ackOnly = false;    // raw packets
    std::function<void(VNet_BitStream&)> body;
};

// Kind codes after the leading bool of a sequenced packet.
inline void writeKindCode(VNet_BitStream& stream, int kind)
{
    static const int runKinds[] = {2, 8, 9, 3, 4, 5, 6};
    if (kind == 1) {
        stream.addBool(true);
        return;
    }
    stream.addBool(false);
    if (kind == 10) {
        stream.addBool(false);
        return;
    }
    stream.addBool(true);
    for (int kindWithZeros : runKinds) {
        if (kindWithZeros == kind) {
            stream.addBool(true);
            return;
        }
        stream.addBool(false);
    }
}

inline int readKindCode(VNet_BitStream& stream)
{
    static const int runKinds[] = {2, 8, 9, 3, 4, 5, 6};
    if (stream.getBool()) return 1;
    if (!stream.getBool()) return 10;
    for (int kind : runKinds) {
        if (stream.getBool()) return kind;
    }
    return 7;
}

// The body of a connection request: marker, version, rates, class-id width.
inline void requestBody(VNet_BitStream& stream, uint32_t version = 3, uint32_t packetsPerSecond = 15,
                        uint32_t bytesPerPacket = 200)
{
    for (char c : std::string("1100101")) stream.addBool(c == '1');
    stream.addInt(version, 16);
    stream.addBool(true);
    stream.addInt(packetsPerSecond, 16);
    stream.addInt(bytesPerPacket, 16);
    stream.addInt(2, 5);
}

// A peer written by hand: a raw local socket on its own port that sends
// hand-built packets to a control and reads what the control sends back.
class ScriptedPeer {
public:
    ScriptedPeer(unsigned short ownPort, unsigned short targetPort)
    {
        m_socket = Vornet::requestSocket(eVNet_AddressLocal, ownPort, false);
        m_socket->setControlIDSize(0);
        m_socket->attachReceiver(0);
        m_target = transport_test::localPort(targetPort);
    }
    ~ScriptedPeer()
    {
        m_socket->detachReceiver(0);
        Vornet::releaseSocket(m_socket);
    }
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    VNet_Socket& socket() { return *m_socket; }

    void send(const Wire& wire, uint32_t flags = 0)
    {
        auto* packet = new VNet_Packet(static_cast<unsigned short>(64));
        packet->setDestination(m_target);
        m_socket->addPacketHeader(packet, 0, 0, flags);
        VNet_BitStream& stream = *packet->getStream();
        stream.addBool(wire.sequenced);
        if (!wire.sequenced) {
            stream.addBool(wire.ackOnly);
            if (wire.ackOnly) writeAcks(stream, wire);
        } else {
            writeKindCode(stream, wire.kind);
            stream.addInt(static_cast<uint32_t>(wire.seq), 4);
            writeAcks(stream, wire);
            if (wire.seq == 8) stream.addInt(static_cast<uint32_t>(wire.hold), 16);
        }
        if (wire.body) wire.body(stream);
        m_socket->sendPacket(packet);
    }

    // Sends bits exactly as given after the socket header.
    void sendBits(const std::function<void(VNet_BitStream&)>& bits)
    {
        auto* packet = new VNet_Packet(static_cast<unsigned short>(64));
        packet->setDestination(m_target);
        m_socket->addPacketHeader(packet, 0, 0, 0);
        bits(*packet->getStream());
        m_socket->sendPacket(packet);
    }

    // The next packet the control sent here, parsed; false when none.
    bool receive(Wire* wire, VNet_BitStream** rest = nullptr)
    {
        VNet_Packet* packet = m_socket->popPacket(0);
        if (!packet) return false;
        VNet_BitStream& stream = *packet->getStream();
        wire->sequenced = stream.getBool();
        if (!wire->sequenced) {
            wire->kind = 0;
            wire->ackOnly = stream.getBool();
            if (wire->ackOnly) readAcks(stream, wire);
        } else {
            wire->kind = readKindCode(stream);
            wire->seq = static_cast<int>(stream.getInt(4));
            readAcks(stream, wire);
            if (wire->seq == 8) wire->hold = static_cast<int>(stream.getInt(16));
        }
        if (rest) *rest = new VNet_BitStream(stream);
        delete packet;
        return true;
    }

    // Drops what is queued; returns the packets of the given kind seen.
    std::vector<Wire> drain()
    {
        std::vector<Wire> seen;
        Wire wire;
        while (receive(&wire)) seen.push_back(wire);
        return seen;
    }

private:
    static void writeAcks(VNet_BitStream& stream, const Wire& wire)
    {
        stream.addInt(static_cast<uint32_t>(wire.ackFirst), 4);
        for (int i = 0; i < 8; ++i) stream.addBool((wire.ackBits >> i) & 1);
    }
    static void readAcks(VNet_BitStream& stream, Wire* wire)
    {
        wire->ackFirst = static_cast<int>(stream.getInt(4));
        wire->ackBits = 0;
        for (int i = 0; i < 8; ++i) {
            if (stream.getBool()) wire->ackBits |= static_cast<uint8_t>(1u << i);
        }
    }

    VNet_Socket* m_socket;
    VNet_Address m_target;
};

}  // namespace control_test
