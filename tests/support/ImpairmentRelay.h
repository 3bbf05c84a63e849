#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "platform/UdpSocket.h"

namespace quillow::test {

// How bad the network is.
struct Impairment {
    double dropProbability = 0.3;
    uint32_t delayMs = 100;
    // Each datagram waits delayMs plus or minus up to this much, so that
    // datagrams sent close together overtake each other. A spread wider
    // than the delay is cut at no wait at all: 2 +/- 100 sends about half
    // the datagrams at once and the rest after up to 102 ms, as a busy
    // radio link does.
    uint32_t jitterMs = 50;
    double duplicateProbability = 0.05;
    // When above 0, the path changes this many milliseconds after the relay
    // opens: from then on datagrams wait steppedDelayMs plus or minus
    // steppedJitterMs, while those already on their way keep their time.
    uint32_t stepAfterMs = 0;
    uint32_t steppedDelayMs = 0;
    uint32_t steppedJitterMs = 0;
};

// Forwards the datagrams of two peers on 127.0.0.1 through one port of its
// own: what comes from peer A's port goes to peer B's and the other way
// round. Each datagram is dropped, or delivered after its delay, sometimes
// twice. The same seed gives the same decisions for the same datagrams.
class ImpairmentRelay {
public:
    struct Counts {
        uint64_t received = 0;
        uint64_t dropped = 0;
        uint64_t duplicated = 0;
        uint64_t delivered = 0;
        uint64_t strangers = 0;  // from neither peer, ignored
    };

    ImpairmentRelay(uint16_t peerA, uint16_t peerB, const Impairment& impairment, uint64_t seed);

    // Opens the relay's port (0: the system picks; see port()).
    bool open(uint16_t port);
    uint16_t port() const { return socket_.localPort(); }
    // Relays until the given number of milliseconds have passed.
    void runFor(uint32_t milliseconds);
    const Counts& counts() const { return counts_; }

private:
    struct Datagram {
        uint16_t toPort;
        std::vector<uint8_t> bytes;
    };

    void receiveAll(uint64_t now);
    void schedule(uint64_t now, uint16_t toPort, const uint8_t* bytes, size_t length);
    void deliverDue(uint64_t now);
    int msUntilNextDue(uint64_t now) const;
    uint64_t delayAt(uint64_t now);

    uint16_t peerA_;
    uint16_t peerB_;
    Impairment impairment_;
    std::mt19937_64 random_;
    platform::UdpSocket socket_;
    uint64_t openedAt_ = 0;
    // By due time; datagrams due at the same moment keep their order.
    std::multimap<uint64_t, Datagram> pending_;
    Counts counts_;
};

}  // namespace quillow::test
