// The impairment relay as a program of its own:
//   impairment_relay PEER_A_PORT PEER_B_PORT [RELAY_PORT [SEED [SECONDS]]]
// relays between two peers on 127.0.0.1, dropping 30% of their datagrams,
// delaying the rest by 100 ms give or take 50 (which reorders them) and
// sending 5% twice. It prints its port and seed first, so that a failed run
// can be repeated with the same seed, and ends by itself after SECONDS
// (default 300), or when sent SIGTERM, with a line of counts.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "tests/support/ImpairmentRelay.h"

namespace {

// Checked between short slices of relaying, so that the counts are still
// printed when the test that started the relay ends it.
volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

unsigned long argumentOr(int argc, char** argv, int index, unsigned long fallback)
{
    return index < argc ? std::strtoul(argv[index], nullptr, 10) : fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PEER_A_PORT PEER_B_PORT [RELAY_PORT [SEED [SECONDS]]]\n", argv[0]);
        return 2;
    }
    const auto peerA = static_cast<uint16_t>(argumentOr(argc, argv, 1, 0));
    const auto peerB = static_cast<uint16_t>(argumentOr(argc, argv, 2, 0));
    const auto port = static_cast<uint16_t>(argumentOr(argc, argv, 3, 0));
    const uint64_t seed = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : std::random_device{}();
    const auto seconds = static_cast<uint32_t>(argumentOr(argc, argv, 5, 300));

    std::signal(SIGTERM, requestStop);
    quillow::test::ImpairmentRelay relay(peerA, peerB, quillow::test::Impairment{}, seed);
    if (!relay.open(port)) {
        std::fprintf(stderr, "impairment relay: cannot open 127.0.0.1:%u\n", unsigned(port));
        return 1;
    }
    std::printf("impairment relay: 127.0.0.1:%u between ports %u and %u, seed %llu\n", unsigned(relay.port()),
                unsigned(peerA), unsigned(peerB), static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    constexpr uint32_t kSliceMs = 100;
    for (uint32_t left = seconds * 1000; left > 0 && !stopRequested;) {
        const uint32_t slice = std::min(left, kSliceMs);
        relay.runFor(slice);
        left -= slice;
    }
    const auto& counts = relay.counts();
    std::printf("impairment relay: received %llu, dropped %llu, duplicated %llu, delivered %llu, strangers %llu\n",
                static_cast<unsigned long long>(counts.received), static_cast<unsigned long long>(counts.dropped),
                static_cast<unsigned long long>(counts.duplicated), static_cast<unsigned long long>(counts.delivered),
                static_cast<unsigned long long>(counts.strangers));
    return 0;
}
