// File transfer between a server's node and its proxy on a client: files of
// every size arrive byte for byte under loss and lag, queued files go one
// after another, refusals and write errors end both sides, and what a peer
// crafts (names, ids, chunks) never writes outside the receiver's folder.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FileTransferSupport.h"
#include "NodeSupport.h"
#include "vornet/src/vornet_file_messages.h"
#include "vornet/src/vornet_node_private.h"

namespace {

using namespace node_test;
using namespace file_test;
using Vornet_Private::NodeConnState;
namespace FileMessages = Vornet_Private::FileMessages;

// A server whose object's node sends files to its proxy on the client, over
// in-process sockets with a stepped clock or over UDP on 127.0.0.1 with the
// real one.
class FileTransfers : public LibraryFixture {
protected:
    void TearDown() override
    {
        EXPECT_FALSE(LogLines::contains("Assertion")) << LogLines::all();
        sender.reset();
        receiver.reset();
        thing.reset();
        client.reset();
        server.reset();
        clock.reset();
        library.Clear();
    }

    void start(bool udp)
    {
        server = std::make_unique<NodeControl>();
        client = std::make_unique<NodeControl>();
        VNet_Address address;
        if (udp) {
            const unsigned short port = freePort();
            ASSERT_TRUE(server->VNet_initSockets(true, port, 0, 0));
            ASSERT_TRUE(client->VNet_initSockets(true, freePort(), 0, 0));
            address = transport_test::loopback(port);
        } else {
            clock = std::make_unique<TestClock>();
            ASSERT_TRUE(server->VNet_initSockets(false, 0, 2, 0));
            ASSERT_TRUE(client->VNet_initSockets(false, 0, 1, 0));
            address = transport_test::localPort(2);
        }
        thing = std::make_unique<Thing>();
        ASSERT_TRUE(thing->node.registerNodeDynamic(server->thingClass, server.get()));
        clientSide = client->VNet_Connect(address, nullptr);
        ASSERT_TRUE(run([&] { return client->find("result") && server->count("established") == 1; }));
        serverSide = server->find("established")->id;
        ASSERT_TRUE(client->VNet_requestVornMode(clientSide, 1));
        ASSERT_TRUE(run([&] { return client->proxies.size() == 1; }));
        sender = std::make_unique<FileEndpoint>(thing->node, outbox.path());
        receiver = std::make_unique<FileEndpoint>(proxy(), inbox.path());
    }

    VNet_Node& proxy() { return client->proxies.begin()->second->node; }

    void impair()
    {
        for (NodeControl* control : {server.get(), client.get()}) {
            control->VNet_simulateLoss(0, 0.2f);
            control->VNet_simulateLag(0, 20);
        }
    }

    // Steps both sides (5 ms apart on the stepped clock, 1 ms on the real
    // one) until the condition holds; false when it never did.
    template <typename Condition>
    bool run(Condition done, int limit = 40000)
    {
        for (int step = 0; step < limit; ++step) {
            if (done()) return true;
            client->step();
            server->step();
            if (sender && pollSender) sender->poll();
            if (receiver) receiver->poll();
            if (clock) {
                clock->advance(5);
            } else {
                Vornet::Sleep(1);
            }
        }
        return done();
    }

    // Writes a file of the given size into the outbox and offers it.
    unsigned offer(const std::string& name, size_t size)
    {
        writeFile(outbox / name, patternBytes(size, unsigned(name.size() * 31 + size)));
        return sender->send(serverSide, outbox / name, name);
    }

    bool ended(const std::string& name)
    {
        const auto done = [&](FileEndpoint& side) {
            return side.has("complete " + name) || side.has("aborted " + name);
        };
        return done(*sender) && done(*receiver);
    }

    void expectArrivedWhole(const std::string& name)
    {
        EXPECT_TRUE(receiver->has("complete " + name)) << name;
        EXPECT_TRUE(sender->has("complete " + name)) << name;
        EXPECT_EQ(readFile(inbox / name), readFile(outbox / name)) << name;
    }

    // The server's record of the client's connection, for messages a
    // hostile peer would write.
    NodeConnState* serverState() { return VNet_Node_Private::of(&thing->node)->linkedState(serverSide); }
    void craft(eVNet_Event kind, VNet_BitStream* payload)
    {
        ASSERT_TRUE(VNet_Node_Private::of(&thing->node)->queueFileMessage(serverState(), kind, payload));
    }

    TempFolder outbox;
    TempFolder inbox;
    std::unique_ptr<TestClock> clock;
    std::unique_ptr<NodeControl> server;
    std::unique_ptr<NodeControl> client;
    std::unique_ptr<Thing> thing;
    std::unique_ptr<FileEndpoint> sender;
    std::unique_ptr<FileEndpoint> receiver;
    unsigned clientSide = 0;
    unsigned serverSide = 0;
    bool pollSender = true;
};

// Log lines so far that contain the text.
int logLinesWith(const std::string& part)
{
    const std::string all = LogLines::all();
    int count = 0;
    for (size_t at = all.find(part); at != std::string::npos; at = all.find(part, at + 1)) ++count;
    return count;
}

// The payloads as any peer writes them from the message table: offer
// (name, size, id), chunk (id, 16-bit length, bytes), end (id).
VNet_BitStream* offerMessage(const std::string& name, uint32_t size, uint32_t id)
{
    auto* stream = new VNet_BitStream(64);
    stream->addString(name.c_str());
    stream->addInt(size, 32);
    stream->addInt(id, 32);
    return stream;
}

// An offer whose name holds a NUL, which no string call writes: the name is
// written with a stand-in byte that is then cleared in the serialised form.
VNet_BitStream* offerWithNul(const std::string& before, const std::string& after, uint32_t id)
{
    VNet_BitStream header(8);
    header.addString("");
    const unsigned nulBit = header.getBitCount() + unsigned(before.size()) * 8;
    VNet_BitStream whole(64);
    FileMessages::writeOffer(whole, (before + "X" + after).c_str(), 0, id, nullptr);
    unsigned short size = whole.getSizeHint();
    std::vector<char> bytes(size);
    EXPECT_TRUE(whole.Serialize(bytes.data(), &size, size));
    const unsigned headerBytes = size - (whole.getBitCount() + 7) / 8;
    for (unsigned bit = nulBit; bit < nulBit + 8; ++bit) bytes[headerBytes + bit / 8] &= char(~(1u << (bit % 8)));
    auto* stream = new VNet_BitStream(64);
    EXPECT_TRUE(stream->Deserialize(bytes.data(), size));
    return stream;
}

VNet_BitStream* chunkMessage(uint32_t id, const std::string& bytes)
{
    auto* stream = new VNet_BitStream(64);
    stream->addInt(id, 32);
    stream->addInt(unsigned(bytes.size()), 16);
    if (!bytes.empty()) stream->addBuffer(const_cast<char*>(bytes.data()), static_cast<unsigned short>(bytes.size()));
    return stream;
}

VNet_BitStream* endMessage(uint32_t id)
{
    auto* stream = new VNet_BitStream(8);
    stream->addInt(id, 32);
    return stream;
}

TEST_F(FileTransfers, EverySizeArrivesByteExactUnderLossAndLag)
{
    start(false);
    // A chunk is what fills a packet's room: measured on a clean line.
    offer("probe.bin", 20000);
    ASSERT_TRUE(run([&] { return ended("probe.bin"); }));
    expectArrivedWhole("probe.bin");
    ASSERT_FALSE(receiver->chunkLengths.empty());
    const size_t chunk = *std::max_element(receiver->chunkLengths.begin(), receiver->chunkLengths.end());
    ASSERT_GT(chunk, 100u);

    impair();
    const struct {
        const char* name;
        size_t size;
    } files[] = {{"empty.bin", 0},           {"one.bin", 1},          {"chunk-less-one.bin", chunk - 1},
                 {"chunk.bin", chunk},       {"chunk-and-one.bin", chunk + 1}, {"hundred-kb.bin", 100 * 1024}};
    for (const auto& file : files) ASSERT_NE(offer(file.name, file.size), 0u) << file.name;
    ASSERT_TRUE(run([&] { return ended("hundred-kb.bin"); }, 200000));
    std::vector<std::string> offers;
    for (const auto& entry : receiver->history) {
        if (entry.rfind("offered ", 0) == 0 && entry != "offered probe.bin") offers.push_back(entry.substr(8));
    }
    std::vector<std::string> expected;
    for (const auto& file : files) {
        expected.push_back(file.name);
        expectArrivedWhole(file.name);
    }
    EXPECT_EQ(offers, expected) << "queued files are offered in the order they were sent";
    // Loss only makes room scarcer: no chunk outgrows a clean packet's.
    EXPECT_LE(*std::max_element(receiver->chunkLengths.begin(), receiver->chunkLengths.end()), chunk);
}

TEST_F(FileTransfers, QueuedFilesGoOneAfterAnotherAndARefusalMovesOn)
{
    start(false);
    receiver->answer = [](const std::string& name) {
        return name == "b.bin" ? FileEndpoint::Answer::Refuse : FileEndpoint::Answer::Accept;
    };
    offer("a.bin", 3000);
    const unsigned refused = offer("b.bin", 3000);
    offer("c.bin", 3000);
    ASSERT_TRUE(run([&] { return ended("c.bin"); }));
    EXPECT_EQ(receiver->history, (std::vector<std::string>{"offered a.bin", "complete a.bin", "offered b.bin",
                                                           "offered c.bin", "complete c.bin"}));
    EXPECT_EQ(sender->history, (std::vector<std::string>{"complete a.bin", "aborted b.bin", "complete c.bin"}));
    expectArrivedWhole("a.bin");
    expectArrivedWhole("c.bin");
    EXPECT_EQ(inbox.names(), (std::vector<std::string>{"a.bin", "c.bin"}));
    // Released once the application took its last event.
    EXPECT_EQ(thing->node.getFileInfo(serverSide, refused).transferId, 0u);
    EXPECT_EQ(proxy().getFileInfo(clientSide, refused).transferId, 0u);
}

TEST_F(FileTransfers, InfoFollowsATransferOnBothSides)
{
    start(false);
    receiver->answer = [](const std::string&) { return FileEndpoint::Answer::Ignore; };
    writeFile(outbox / "info.bin", patternBytes(5000, 3));
    const unsigned id = sender->send(serverSide, outbox / "info.bin", "info.bin", 0.5f, valueStream(4242));
    ASSERT_TRUE(run([&] { return receiver->has("offered info.bin"); }));
    EXPECT_EQ(receiver->offerValues["info.bin"], 4242u) << "the user data comes with the offer";
    const VNet_FileTransInfo& offered = proxy().getFileInfo(clientSide, id);
    EXPECT_EQ(offered.transferId, id);
    EXPECT_EQ(offered.size, 5000u);
    EXPECT_FALSE(offered.outgoing);
    EXPECT_FALSE(offered.running);
    EXPECT_STREQ(offered.path, "info.bin");
    const VNet_FileTransInfo& sending = thing->node.getFileInfo(serverSide, id);
    EXPECT_TRUE(sending.outgoing);
    EXPECT_EQ(sending.path, (outbox / "info.bin").string());

    const std::string target = (inbox / "renamed.bin").string();
    proxy().acceptFile(clientSide, id, target.c_str(), true);
    // A second answer would empty the file being written.
    proxy().acceptFile(clientSide, id, target.c_str(), false);
    ASSERT_TRUE(run([&] { return thing->node.getFileInfo(serverSide, id).running; }));
    ASSERT_TRUE(run([&] { return ended("info.bin"); }));
    EXPECT_EQ(readFile(target), readFile(outbox / "info.bin"));
    EXPECT_EQ(proxy().getFileInfo(clientSide, 999).transferId, 0u);
}

TEST_F(FileTransfers, SendFileRefusesWhatCannotBeSent)
{
    start(false);
    writeFile(outbox / "there.bin", "data");
    const std::string there = (outbox / "there.bin").string();
    const std::string missing = (outbox / "missing.bin").string();
    const struct {
        const char* what;
        const char* path;
        const char* name;
        unsigned connection;
        float share;
    } cases[] = {
        {"unknown connection", there.c_str(), nullptr, 77, 1.0f},
        {"missing file", missing.c_str(), nullptr, 0, 1.0f},
        {"a folder", outbox.path().c_str(), "folder", 0, 1.0f},
        {"no share", there.c_str(), nullptr, 0, 0.0f},
        {"more than the room", there.c_str(), nullptr, 0, 1.5f},
        {"a name with a folder", there.c_str(), "sub/there.bin", 0, 1.0f},
        {"a parent name", there.c_str(), "..", 0, 1.0f},
    };
    for (const auto& c : cases) {
        auto* userData = valueStream(1);
        EXPECT_EQ(thing->node.sendFile(c.path, c.name, c.connection ? c.connection : serverSide, userData, c.share),
                  0u)
            << c.what;
    }
    // Without a name the path's last component is offered.
    ASSERT_NE(thing->node.sendFile(there.c_str(), nullptr, serverSide, nullptr, 1.0f), 0u);
    ASSERT_TRUE(run([&] { return receiver->has("offered there.bin"); }));
}

TEST_F(FileTransfers, AWriteErrorAbortsBothSidesAndRemovesThePartialFile)
{
    start(false);
    offer("big.bin", 40000);
    // Writes past 8 KB fail, as on a full disk.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8192;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ended = run([&] { return this->ended("big.bin"); });
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(receiver->has("aborted big.bin"));
    EXPECT_TRUE(sender->has("aborted big.bin"));
    EXPECT_FALSE(fs::exists(inbox / "big.bin")) << "the partial file is removed";
    EXPECT_TRUE(LogLines::contains("unable to write to file"));
    // The next file goes as usual.
    offer("after.bin", 1000);
    ASSERT_TRUE(run([&] { return this->ended("after.bin"); }));
    expectArrivedWhole("after.bin");
}

TEST_F(FileTransfers, CraftedNamesAreRefusedAndNothingIsWrittenOutsideTheFolder)
{
    start(false);
    // Accepted files go under their offered name into the working folder,
    // an inner folder of the inbox.
    TempFolder root;
    const fs::path inner = root / "inner";
    fs::create_directories(inner);
    const fs::path saved = fs::current_path();
    fs::current_path(inner);
    receiver = std::make_unique<FileEndpoint>(proxy(), fs::path());
    const std::string outside = (root / "outside.bin").string();
    const std::vector<std::string> names = {"", ".", "..", "../up.bin", "a/b", "a\\b", outside};
    uint32_t id = 100;
    for (const std::string& name : names) craft(eVNet_EventFileIncoming, offerMessage(name, 0, id += 2));
    craft(eVNet_EventFileIncoming, offerWithNul("nul", "/../x", id += 2));
    craft(eVNet_EventFileIncoming, offerMessage("plain.bin", 0, id += 2));
    const bool arrived = run([&] { return receiver->has("offered plain.bin"); });
    const auto inside = [&] {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(root.path()))
            found.push_back(fs::relative(entry.path(), root.path()).string());
        std::sort(found.begin(), found.end());
        return found;
    }();
    fs::current_path(saved);
    ASSERT_TRUE(arrived);
    EXPECT_EQ(receiver->history, (std::vector<std::string>{"offered plain.bin"}));
    EXPECT_EQ(inside, (std::vector<std::string>{"inner", "inner/plain.bin"}));
    EXPECT_FALSE(fs::exists(root.path().parent_path() / "up.bin"));
    EXPECT_EQ(logLinesWith("not a plain file name"), int(names.size()) + 1);
}

TEST_F(FileTransfers, StrayChunksAndIdsAreDroppedAndOverrunsAbort)
{
    start(false);
    sender->answer = [](const std::string&) { return FileEndpoint::Answer::Ignore; };
    receiver->answer = [](const std::string& name) {
        return name == "idle.bin" ? FileEndpoint::Answer::Ignore : FileEndpoint::Answer::Accept;
    };
    // The client's own file to the server, left unanswered: its id is one
    // the client sends under.
    writeFile(inbox / "own.bin", "own");
    const unsigned own = proxy().sendFile((inbox / "own.bin").c_str(), nullptr, clientSide, nullptr, 1.0f);
    ASSERT_NE(own, 0u);
    ASSERT_TRUE(run([&] { return sender->has("offered own.bin"); }));

    craft(eVNet_EventFileData, chunkMessage(200, "unknown id"));
    craft(eVNet_EventFileIncoming, offerMessage("idle.bin", 10, 202));
    craft(eVNet_EventFileData, chunkMessage(202, "never accepted"));
    craft(eVNet_EventFileData, chunkMessage(own, "into the client's own file"));
    craft(eVNet_EventFileIncoming, offerMessage("zero-id.bin", 10, 0));
    craft(eVNet_EventFileIncoming, offerMessage("dup.bin", 10, 204));
    craft(eVNet_EventFileIncoming, offerMessage("dup-again.bin", 10, 204));
    craft(eVNet_EventFileIncoming, offerMessage("beyond.bin", 10, 0x10000));
    craft(eVNet_EventFileIncoming, offerMessage("taken.bin", 10, own));
    craft(eVNet_EventFileComplete, endMessage(206));
    craft(eVNet_EventFileIncoming, offerMessage("small.bin", 4, 208));
    ASSERT_TRUE(run([&] { return receiver->has("offered small.bin"); }));
    craft(eVNet_EventFileData, chunkMessage(208, "more than four bytes"));
    ASSERT_TRUE(run([&] { return receiver->has("aborted small.bin"); }));
    run([] { return false; }, 50);

    EXPECT_EQ(receiver->history, (std::vector<std::string>{"offered idle.bin", "offered dup.bin",
                                                           "offered small.bin", "aborted small.bin"}));
    EXPECT_TRUE(receiver->chunkLengths.empty());
    EXPECT_EQ(inbox.names(), (std::vector<std::string>{"dup.bin", "own.bin"}));
    EXPECT_EQ(readFile(inbox / "own.bin"), "own");
}

TEST_F(FileTransfers, APeerNumberingItsTransfersOneByOneIsServed)
{
    start(false);
    // The server's side speaks as a peer that numbers its transfers 1, 2, 3
    // from its table, whatever side of the connection it is on: 1 and 3 are
    // ids of the kind the client, which opened the connection, hands out.
    const std::vector<std::string> bytes = {"first file", "second", "the third file"};
    const auto name = [](uint32_t id) { return "peer" + std::to_string(id) + ".bin"; };
    for (uint32_t id = 1; id <= 3; ++id) {
        craft(eVNet_EventFileIncoming, offerMessage(name(id), uint32_t(bytes[id - 1].size()), id));
    }
    ASSERT_TRUE(run([&] { return receiver->has("offered " + name(3)); }));
    EXPECT_TRUE(receiver->has("offered " + name(1)));
    EXPECT_TRUE(receiver->has("offered " + name(2)));
    // The client's own next file takes an id of its kind that no offer holds.
    writeFile(inbox / "own.bin", "own");
    const unsigned own = proxy().sendFile((inbox / "own.bin").c_str(), nullptr, clientSide, nullptr, 1.0f);
    EXPECT_EQ(own, 5u);

    for (uint32_t id = 1; id <= 3; ++id) {
        craft(eVNet_EventFileData, chunkMessage(id, bytes[id - 1]));
        craft(eVNet_EventFileComplete, endMessage(id));
    }
    ASSERT_TRUE(run([&] { return receiver->has("complete " + name(3)) && sender->has("complete own.bin"); }));
    for (uint32_t id = 1; id <= 3; ++id) {
        EXPECT_TRUE(receiver->has("complete " + name(id))) << id;
        EXPECT_EQ(readFile(inbox / name(id)), bytes[id - 1]) << id;
    }
    EXPECT_EQ(readFile(outbox / "own.bin"), "own");
}

TEST_F(FileTransfers, UnlinkingClosesEveryTransferOnce)
{
    start(false);
    pollSender = false;
    offer("done.bin", 100);
    ASSERT_TRUE(run([&] { return receiver->has("complete done.bin"); }));
    // The sender's end taken but not yet released when the connection goes.
    VNet_BitStream* end = nullptr;
    eVNet_Event kind = eVNet_EventNone;
    ASSERT_TRUE(run([&] {
        if (thing->node.checkEventWaiting()) end = thing->node.getNextEvent(&kind, nullptr, nullptr, nullptr);
        return end != nullptr;
    }));
    EXPECT_EQ(kind, eVNet_EventFileComplete);
    offer("cut.bin", 100 * 1024);
    ASSERT_TRUE(run([&] { return receiver->chunkLengths.size() > 3; }));
    ASSERT_TRUE(fs::exists(inbox / "cut.bin"));
    server->VNet_Disconnect(serverSide, nullptr);
    ASSERT_TRUE(run([&] { return client->find("closed") && server->find("closed"); }));
    while (thing->node.checkEventWaiting()) thing->node.getNextEvent(nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(fs::exists(inbox / "cut.bin")) << "the unfinished file is removed";
    EXPECT_TRUE(fs::exists(inbox / "done.bin"));
    EXPECT_EQ(thing->node.getFileInfo(serverSide, 2).transferId, 0u);
}

TEST_F(FileTransfers, OverRealUdp)
{
    start(true);
    // Room for chunks: 100 packets of up to 1000 bytes a second.
    server->VNet_setUpstreamLimit(100000, 100000);
    client->VNet_requestDownstreamLimit(clientSide, 100, 1000);
    offer("empty.bin", 0);
    offer("udp.bin", 30000);
    ASSERT_TRUE(run([&] { return ended("udp.bin"); }, 20000));
    expectArrivedWhole("empty.bin");
    expectArrivedWhole("udp.bin");
    // Every chunk went in one datagram.
    EXPECT_LT(*std::max_element(receiver->chunkLengths.begin(), receiver->chunkLengths.end()), 1024u);
}

}  // namespace
