// Helpers of the node tests: a server and a client control that make and
// keep replicated objects (Thing) when nodes are announced.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ControlSupport.h"
#include "ThingSupport.h"
#include "vornet/vornet_node.h"

namespace node_test {

using namespace control_test;

// A control that keeps the objects announced to it, by network id, and
// drops them when the node is removed.
class NodeControl : public RecordingControl {
public:
    unsigned thingClass = 0;
    std::map<unsigned, std::unique_ptr<Thing>> proxies;
    // Events of kind 9 received on proxies: (network id, first value).
    std::vector<std::pair<unsigned, uint32_t>> userEvents;
    // Network ids in the order their announcements arrived.
    std::vector<unsigned> announced;
    // Set-up flags of the text of proxies made from now on.
    unsigned char proxyTextFlags = kPlainFlags;

    NodeControl() { thingClass = VNet_registerClass("Thing", 0); }

    void onDynamicNodeRequest(unsigned int id, unsigned int classId, VNet_BitStream* announce, eVNet_NodeRole role,
                              unsigned int networkId) override
    {
        RecordingControl::onDynamicNodeRequest(id, classId, announce, role, networkId);
        if (classId != thingClass) return;
        auto thing = std::make_unique<Thing>(proxyTextFlags);
        announced.push_back(networkId);
        if (thing->node.registerRequestedNode(classId, this)) proxies[networkId] = std::move(thing);
    }

    // Drains every proxy's events; a removed proxy is dropped.
    void pollProxies()
    {
        for (auto it = proxies.begin(); it != proxies.end();) {
            bool removed = false;
            VNet_Node& node = it->second->node;
            while (node.checkEventWaiting()) {
                eVNet_Event kind = eVNet_EventNone;
                VNet_BitStream* stream = node.getNextEvent(&kind, nullptr, nullptr, nullptr);
                if (kind == eVNet_EventRemoved) removed = true;
                if (kind == eVNet_EventUser && stream) userEvents.emplace_back(it->first, stream->getInt(32));
            }
            it = removed ? proxies.erase(it) : std::next(it);
        }
    }

protected:
    // Makes an object of its own kind for a node announced to this side,
    // kept by network id once its node is registered.
    template <typename T>
    void keepRequested(std::map<unsigned, std::unique_ptr<T>>& into, unsigned classId, unsigned networkId)
    {
        auto object = std::make_unique<T>();
        if (object->node.registerRequestedNode(classId, this)) into[networkId] = std::move(object);
    }
};

// Whether the client has a proxy equal to each object, and no other.
inline bool proxiesMatch(const NodeControl& client, const std::vector<std::unique_ptr<Thing>>& things)
{
    if (client.proxies.size() != things.size()) return false;
    for (const auto& thing : things) {
        auto it = client.proxies.find(thing->node.getNetworkID());
        if (it == client.proxies.end() || !it->second->sameAs(*thing)) return false;
    }
    return true;
}

// A server with objects and a client that connects and enters level 1,
// over in-process sockets with the library clock stepped by the test.
class NodeFixture : public LibraryFixture {
protected:
    static constexpr unsigned short kServerPort = 2;
    static constexpr unsigned short kClientPort = 1;
    static constexpr int kStepLimit = 100000;

    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = makeControl();
        client = makeControl();
        ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
        ASSERT_TRUE(client->VNet_initSockets(false, 0, kClientPort, 0));
    }
    virtual std::unique_ptr<NodeControl> makeControl() { return std::make_unique<NodeControl>(); }
    void TearDown() override
    {
        things.clear();
        client.reset();
        server.reset();
        library.Clear();
    }

    Thing& addThing()
    {
        things.push_back(std::make_unique<Thing>());
        EXPECT_TRUE(things.back()->node.registerNodeDynamic(server->thingClass, server.get()));
        return *things.back();
    }

    // Connects and asks for level 1, waiting for the answer unless told
    // not to; the client's connection id.
    unsigned connect(bool awaitLevel = true)
    {
        const unsigned id = client->VNet_Connect(transport_test::localPort(kServerPort), nullptr);
        EXPECT_GE(runUntil([&] { return client->find("result") && server->count("established") == 1; }), 0);
        EXPECT_TRUE(client->VNet_requestVornMode(id, 1));
        if (awaitLevel) {
            EXPECT_GE(runUntil([&] { return client->find("levelResult") != nullptr; }), 0);
        }
        return id;
    }

    // Steps both controls 5 ms apart until the condition holds; the number
    // of milliseconds it took, or -1.
    template <typename Condition>
    int runUntil(Condition done, int limit = kStepLimit)
    {
        for (int step = 0; step < limit; ++step) {
            if (done()) return step * 5;
            client->step();
            server->step();
            client->pollProxies();
            clock.advance(5);
        }
        return -1;
    }

    // Whether every object has a proxy on the client equal to it.
    bool converged() const { return proxiesMatch(*client, things); }

    TestClock clock;
    std::unique_ptr<NodeControl> server;
    std::unique_ptr<NodeControl> client;
    std::vector<std::unique_ptr<Thing>> things;
};

}  // namespace node_test
