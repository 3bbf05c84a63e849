// The far side of the two-process soak: a control on a UDP port that
// accepts one connection and expects messages 0, 1, 2, ... each once and in
// order. After the last it listens two seconds more, so a late duplicate is
// caught too, then says what it saw and exits 0 only if all was well.
//   vornet_soak_peer PORT MESSAGES SECONDS
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "vornet/vornet.h"
#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_control.h"

namespace {

constexpr uint32_t kQuietTailMs = 2000;

class Receiver : public VNet_Control {
public:
    explicit Receiver(uint32_t expected) : expected_(expected) {}

    uint32_t received() const { return next_; }
    bool failed() const { return failed_; }
    bool closed() const { return closed_; }

    void onConnectResult(unsigned int, unsigned int, VNet_BitStream*) override {}
    bool onConnectionRequest(unsigned int, VNet_BitStream*, VNet_BitStream*) override { return true; }
    void onConnectionEstablished(unsigned int id) override
    {
        // Room for the whole run in flight at once, as the sender asks too.
        VNet_requestDownstreamLimit(id, 500, 512);
    }
    void onConnectionClosed(unsigned int, unsigned int reason, VNet_BitStream*) override
    {
        std::printf("connection closed, reason %u\n", reason);
        closed_ = true;
    }
    bool onVornLevelRequest(unsigned int, unsigned char, VNet_BitStream*) override { return true; }
    void onVornLevelResult(unsigned int, unsigned char, unsigned char, VNet_BitStream*) override {}
    void onDynamicNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onTagNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onApplicationData(unsigned int, VNet_BitStream* stream) override
    {
        const uint32_t value = stream->getInt(32);
        if (value != next_ || next_ >= expected_) {
            std::printf("message %u arrived when %u was next\n", value, next_);
            failed_ = true;
            return;
        }
        ++next_;
    }
    bool onDiscoverRequest(const VNet_Address&, VNet_BitStream*, VNet_BitStream*) override { return false; }
    void onDiscoverAnswer(const VNet_Address&, VNet_BitStream*) override {}

private:
    uint32_t expected_;
    uint32_t next_ = 0;
    bool failed_ = false;
    bool closed_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PORT MESSAGES SECONDS\n", argv[0]);
        return 2;
    }
    const auto port = static_cast<unsigned short>(std::strtoul(argv[1], nullptr, 10));
    const auto messages = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    const uint32_t deadline = Vornet::getTime() + static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) * 1000;

    Vornet library;
    if (!library.Init()) return 1;
    int status = 1;
    {
        Receiver receiver(messages);
        if (!receiver.VNet_initSockets(true, port, 0, 0)) {
            std::printf("cannot open UDP port %u\n", unsigned(port));
            return 1;
        }
        uint32_t quietUntil = 0;
        while (!receiver.failed() && !receiver.closed() && Vornet::getTime() < deadline) {
            if (quietUntil == 0 && receiver.received() == messages) quietUntil = Vornet::getTime() + kQuietTailMs;
            if (quietUntil != 0 && Vornet::getTime() >= quietUntil) break;
            receiver.VNet_processInput(eVNet_NoBlock);
            receiver.VNet_processOutput();
            Vornet::Sleep(1);
        }
        const bool whole = receiver.received() == messages && !receiver.failed() && !receiver.closed();
        std::printf("received %u of %u messages%s\n", receiver.received(), messages,
                    whole ? ", each once and in order" : "");
        status = whole ? 0 : 1;
    }
    library.Clear();
    return status;
}
