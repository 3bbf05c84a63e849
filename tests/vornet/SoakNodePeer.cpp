// The far side of the two-process node soak: a control on a UDP port that
// accepts one connection and owns THINGS replicated objects. Once they are
// linked to the connection it changes all of them every 100 ms, round 1 to
// ROUNDS, and thing 0's node offers one file of FILE_BYTES pattern bytes
// (seed FILE_SEED) under the name "soak.bin". It exits 0 once the file has
// gone out whole, the last round is set and the client has closed the
// connection; 1 when the transfer aborts, the connection ends otherwise or
// SECONDS pass first. It says what it saw.
//   vornet_soak_node_peer PORT THINGS ROUNDS FILE_BYTES FILE_SEED SECONDS
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "FileTransferSupport.h"
#include "ThingSupport.h"
#include "vornet/vornet.h"
#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_control.h"

namespace {

using file_test::FileEndpoint;
using node_test::Thing;

constexpr uint32_t kRoundMs = 100;
constexpr const char* kFileName = "soak.bin";

struct Settings {
    unsigned short port = 0;
    int things = 0;
    int rounds = 0;
    size_t fileBytes = 0;
    uint32_t fileSeed = 0;
    uint32_t seconds = 0;
};

// Accepts every connection and level and notes how the connection went.
class Server : public VNet_Control {
public:
    unsigned connection() const { return connection_; }
    // The reason the connection closed, or -1 while it stands.
    int closeReason() const { return closeReason_; }

    void onConnectResult(unsigned int, unsigned int, VNet_BitStream*) override {}
    bool onConnectionRequest(unsigned int, VNet_BitStream*, VNet_BitStream*) override { return true; }
    void onConnectionEstablished(unsigned int id) override
    {
        std::printf("connection %u established\n", id);
        connection_ = id;
    }
    void onConnectionClosed(unsigned int, unsigned int reason, VNet_BitStream*) override
    {
        std::printf("connection closed, reason %u\n", reason);
        closeReason_ = int(reason);
    }
    bool onVornLevelRequest(unsigned int, unsigned char, VNet_BitStream*) override { return true; }
    void onVornLevelResult(unsigned int, unsigned char, unsigned char, VNet_BitStream*) override {}
    void onDynamicNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onTagNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onApplicationData(unsigned int, VNet_BitStream*) override {}
    bool onDiscoverRequest(const VNet_Address&, VNet_BitStream*, VNet_BitStream*) override { return false; }
    void onDiscoverAnswer(const VNet_Address&, VNet_BitStream*) override {}

private:
    unsigned connection_ = 0;
    int closeReason_ = -1;
};

// The objects, their rounds and the file, driven by the step of the loop.
class Run {
public:
    Run(const Settings& settings, Server& server) : settings_(settings), server_(server)
    {
        const unsigned thingClass = server.VNet_registerClass("Thing", 0);
        for (int i = 0; i < settings.things; ++i) {
            things_.push_back(std::make_unique<Thing>());
            things_.back()->set(0, i);
            if (!things_.back()->node.registerNodeDynamic(thingClass, &server)) registered_ = false;
        }
        file_test::writeFile(outbox_ / kFileName, file_test::patternBytes(settings.fileBytes, settings.fileSeed));
        sender_ = std::make_unique<FileEndpoint>(things_.front()->node, outbox_.path());
    }

    bool registered() const { return registered_; }
    bool sent() const { return sender_->has(std::string("complete ") + kFileName); }
    bool aborted() const { return sender_->has(std::string("aborted ") + kFileName); }
    int round() const { return round_; }

    void step(uint32_t now)
    {
        sender_->poll();
        if (!linked()) return;
        if (transfer_ == 0) transfer_ = sender_->send(server_.connection(), outbox_ / kFileName, kFileName);
        if (round_ < settings_.rounds && now >= nextRoundAt_) {
            ++round_;
            for (int i = 0; i < settings_.things; ++i) things_[size_t(i)]->set(round_, i);
            nextRoundAt_ = now + kRoundMs;
        }
    }

private:
    bool linked() const { return server_.connection() != 0 && things_.front()->node.getRelevantConnectionCount() > 0; }

    Settings settings_;
    Server& server_;
    file_test::TempFolder outbox_;
    std::vector<std::unique_ptr<Thing>> things_;
    std::unique_ptr<FileEndpoint> sender_;
    bool registered_ = true;
    unsigned transfer_ = 0;
    int round_ = 0;
    uint32_t nextRoundAt_ = 0;
};

bool parse(int argc, char** argv, Settings* settings)
{
    if (argc != 7) return false;
    settings->port = static_cast<unsigned short>(std::strtoul(argv[1], nullptr, 10));
    settings->things = std::atoi(argv[2]);
    settings->rounds = std::atoi(argv[3]);
    settings->fileBytes = std::strtoul(argv[4], nullptr, 10);
    settings->fileSeed = static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 10));
    settings->seconds = static_cast<uint32_t>(std::strtoul(argv[6], nullptr, 10));
    return settings->port != 0 && settings->things > 0 && settings->rounds > 0 && settings->seconds > 0;
}

// Steps the run until it is over; whether it went as it should.
bool serve(const Settings& settings, Server& server)
{
    Run run(settings, server);
    if (!run.registered()) {
        std::printf("cannot register the objects\n");
        return false;
    }
    const uint32_t deadline = Vornet::getTime() + settings.seconds * 1000;
    // The client closes once it holds the last round and the whole file.
    while (!run.aborted() && server.closeReason() < 0 && Vornet::getTime() < deadline) {
        server.VNet_processInput(eVNet_NoBlock);
        run.step(Vornet::getTime());
        server.VNet_processOutput();
        Vornet::Sleep(1);
    }
    const bool done = run.sent() && run.round() == settings.rounds;
    const bool closedByClient = server.closeReason() == int(eVNet_CloseDisconnected);
    std::printf("file %s, round %d of %d, connection %s\n",
                run.sent() ? "sent whole" : (run.aborted() ? "aborted" : "not sent"), run.round(), settings.rounds,
                closedByClient ? "closed by the client" : "not closed by the client");
    return done && closedByClient;
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!parse(argc, argv, &settings)) {
        std::fprintf(stderr, "usage: %s PORT THINGS ROUNDS FILE_BYTES FILE_SEED SECONDS\n", argv[0]);
        return 2;
    }
    // Errors and warnings go with what the peer says, for a failed run.
    Vornet library([](const char* line) { std::printf("vornet: %s\n", line); });
    if (!library.Init()) return 1;
    library.setLogLevel(0);
    bool ok = false;
    {
        Server server;
        server.VNet_setUpstreamLimit(100000, 100000);
        if (server.VNet_initSockets(true, settings.port, 0, 0)) {
            ok = serve(settings, server);
        } else {
            std::printf("cannot open UDP port %u\n", unsigned(settings.port));
        }
    }
    library.Clear();
    return ok ? 0 : 1;
}
