// Helpers of the replicator tests over the wire: a server that holds the
// objects with authority and a client that builds a proxy object for every
// node announced to it, connected over in-process sockets (library clock
// stepped by the test) or over real UDP on 127.0.0.1 (real clock).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ControlSupport.h"
#include "vornet/src/vornet_connection.h"
#include "vornet/vornet_node.h"

namespace wire_test {

using namespace control_test;

enum class Link { InProcess, Udp };

inline std::string linkName(const testing::TestParamInfo<Link>& info)
{
    return info.param == Link::InProcess ? "InProcess" : "Udp";
}

// A control that builds an Object, registered as the requested node, for
// each node of its class announced to it.
template <typename Object>
class ObjectControl : public RecordingControl {
public:
    ObjectControl() : objectClass(VNet_registerClass("Object", 0)) {}

    void onDynamicNodeRequest(unsigned int id, unsigned int classId, VNet_BitStream* announce, eVNet_NodeRole role,
                              unsigned int networkId) override
    {
        RecordingControl::onDynamicNodeRequest(id, classId, announce, role, networkId);
        if (classId != objectClass) return;
        auto object = std::make_unique<Object>();
        if (object->node.registerRequestedNode(classId, this)) proxies[networkId] = std::move(object);
    }

    const unsigned objectClass;
    std::map<unsigned, std::unique_ptr<Object>> proxies;
};

template <typename Object>
class WireFixture : public LibraryFixture, public testing::WithParamInterface<Link> {
protected:
    static constexpr unsigned short kServerPort = 2;
    static constexpr unsigned short kClientPort = 1;
    // Library milliseconds per step in process.
    static constexpr uint32_t kStep = 5;
    static constexpr uint32_t kLossSeed = 20261210;

    void SetUp() override
    {
        LibraryFixture::SetUp();
        if (GetParam() == Link::InProcess) {
            clock.emplace();
            // The same simulated losses in every run.
            Vornet_Private::seedLossSimulation(kLossSeed);
        }
        server = std::make_unique<ObjectControl<Object>>();
        client = std::make_unique<ObjectControl<Object>>();
        if (GetParam() == Link::Udp) {
            udpPort = freePort();
            ASSERT_NE(udpPort, 0);
            ASSERT_TRUE(server->VNet_initSockets(true, udpPort, 0, 0));
            ASSERT_TRUE(client->VNet_initSockets(true, freePort(), 0, 0));
        } else {
            ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
            ASSERT_TRUE(client->VNet_initSockets(false, 0, kClientPort, 0));
        }
        lastTime = Vornet::getTime();
    }
    void TearDown() override
    {
        objects.clear();
        client.reset();
        server.reset();
        library.Clear();
        clock.reset();
        Vornet_Private::seedLossSimulation(0);
    }

    Object& addObject()
    {
        objects.push_back(std::make_unique<Object>());
        EXPECT_TRUE(objects.back()->node.registerNodeDynamic(server->objectClass, server.get()));
        return *objects.back();
    }

    // Connects and enters level 1, where the objects live.
    void connect()
    {
        const VNet_Address server = GetParam() == Link::Udp ? transport_test::loopback(udpPort)
                                                             : transport_test::localPort(kServerPort);
        const unsigned id = client->VNet_Connect(server, nullptr);
        ASSERT_TRUE(runUntil([&] { return client->find("result") && this->server->count("established") == 1; }));
        ASSERT_TRUE(client->VNet_requestVornMode(id, 1));
        ASSERT_TRUE(runUntil([&] { return client->find("levelResult") != nullptr; }));
    }

    // The proxy of an object once it has been announced, else null.
    Object* proxyOf(const Object& object)
    {
        auto it = client->proxies.find(object.node.getNetworkID());
        return it == client->proxies.end() ? nullptr : it->second.get();
    }

    // Both controls' input and output, the time moving on (kStep ms in
    // process, one real millisecond or more over UDP), then the replicator
    // step of both with the time that passed.
    void step()
    {
        client->step();
        server->step();
        if (clock) {
            clock->advance(kStep);
        } else {
            Vornet::Sleep(1);
        }
        const uint32_t now = Vornet::getTime();
        client->VNet_processReplicators(now - lastTime);
        server->VNet_processReplicators(now - lastTime);
        elapsed += now - lastTime;
        lastTime = now;
    }

    // Steps until the condition holds; false when it did not within the
    // step limit.
    template <typename Condition>
    bool runUntil(Condition done, int limit = 20000)
    {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            step();
        }
        return done();
    }

    std::optional<TestClock> clock;
    std::unique_ptr<ObjectControl<Object>> server;
    std::unique_ptr<ObjectControl<Object>> client;
    std::vector<std::unique_ptr<Object>> objects;
    unsigned short udpPort = 0;
    uint32_t lastTime = 0;
    // Milliseconds handed to the replicator steps so far.
    uint32_t elapsed = 0;
};

}  // namespace wire_test
