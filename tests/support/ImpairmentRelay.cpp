#include "tests/support/ImpairmentRelay.h"

#include "platform/Clock.h"

namespace quillow::test {

namespace {

// Longest datagram relayed: more than any peer sends.
constexpr size_t kMaxDatagram = 65536;
// The longest wait for a datagram while nothing is due, so the deadline is
// seen in time.
constexpr int kIdleWaitMs = 50;

uint64_t nowMs()
{
    return platform::microseconds() / 1000;
}

}  // namespace

ImpairmentRelay::ImpairmentRelay(uint16_t peerA, uint16_t peerB, const Impairment& impairment, uint64_t seed)
    : peerA_(peerA), peerB_(peerB), impairment_(impairment), random_(seed)
{
}

bool ImpairmentRelay::open(uint16_t port)
{
    openedAt_ = nowMs();
    return socket_.open() && socket_.setNonBlocking() && socket_.bind(platform::kLoopbackAddress, port);
}

void ImpairmentRelay::runFor(uint32_t milliseconds)
{
    const uint64_t end = nowMs() + milliseconds;
    for (uint64_t now = nowMs(); now < end; now = nowMs()) {
        const int handle = socket_.handle();
        bool ready = false;
        platform::waitReadable(&handle, 1, msUntilNextDue(now), &ready);
        now = nowMs();
        if (ready) receiveAll(now);
        deliverDue(now);
    }
}

void ImpairmentRelay::receiveAll(uint64_t now)
{
    std::vector<uint8_t> buffer(kMaxDatagram);
    for (;;) {
        size_t length = 0;
        platform::Ipv4Endpoint from;
        const platform::ReceiveStatus status = socket_.receiveFrom(buffer.data(), buffer.size(), &length, &from);
        if (status == platform::ReceiveStatus::Empty || status == platform::ReceiveStatus::Failed) return;
        if (status != platform::ReceiveStatus::Received) continue;
        ++counts_.received;
        const bool fromA = from.address == platform::kLoopbackAddress && from.port == peerA_;
        const bool fromB = from.address == platform::kLoopbackAddress && from.port == peerB_;
        if (!fromA && !fromB) {
            ++counts_.strangers;
            continue;
        }
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        if (chance(random_) < impairment_.dropProbability) {
            ++counts_.dropped;
            continue;
        }
        const uint16_t toPort = fromA ? peerB_ : peerA_;
        schedule(now, toPort, buffer.data(), length);
        if (chance(random_) < impairment_.duplicateProbability) {
            ++counts_.duplicated;
            schedule(now, toPort, buffer.data(), length);
        }
    }
}

void ImpairmentRelay::schedule(uint64_t now, uint16_t toPort, const uint8_t* bytes, size_t length)
{
    pending_.emplace(now + delayAt(now), Datagram{toPort, std::vector<uint8_t>(bytes, bytes + length)});
}

// The wait of a datagram taken in now: the path's delay plus or minus its
// spread, never below none.
uint64_t ImpairmentRelay::delayAt(uint64_t now)
{
    const bool stepped = impairment_.stepAfterMs > 0 && now - openedAt_ >= impairment_.stepAfterMs;
    const int64_t base = stepped ? impairment_.steppedDelayMs : impairment_.delayMs;
    const int64_t jitter = stepped ? impairment_.steppedJitterMs : impairment_.jitterMs;
    std::uniform_int_distribution<int64_t> offset(-jitter, jitter);
    const int64_t delay = base + offset(random_);
    return static_cast<uint64_t>(delay > 0 ? delay : 0);
}

void ImpairmentRelay::deliverDue(uint64_t now)
{
    while (!pending_.empty() && pending_.begin()->first <= now) {
        const Datagram& datagram = pending_.begin()->second;
        if (socket_.sendTo(datagram.bytes.data(), datagram.bytes.size(),
                           {platform::kLoopbackAddress, datagram.toPort})) {
            ++counts_.delivered;
        }
        pending_.erase(pending_.begin());
    }
}

int ImpairmentRelay::msUntilNextDue(uint64_t now) const
{
    if (pending_.empty()) return kIdleWaitMs;
    const uint64_t due = pending_.begin()->first;
    return due <= now ? 0 : static_cast<int>(std::min<uint64_t>(due - now, kIdleWaitMs));
}

}  // namespace quillow::test
