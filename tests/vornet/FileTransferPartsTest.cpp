// The parts of file transfer that stand apart from the node: the message
// payloads, the names a peer may offer, one transfer's file on either side
// and a connection's table of transfers.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "vornet/src/vornet_file_messages.h"
#include "vornet/src/vornet_file_transfer.h"
#include "vornet/src/vornet_file_transfers.h"
#include "vornet/vornet.h"

namespace {

using namespace Vornet_Private;
namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Messages

// The first bits of a stream, as a payload cut short would arrive.
std::unique_ptr<VNet_BitStream> cut(VNet_BitStream& whole, unsigned bits)
{
    whole.resetReadState();
    std::unique_ptr<VNet_BitStream> part(whole.getBitStream(bits));
    whole.resetReadState();
    return part;
}

TEST(FileMessages, OfferLeavesTheStreamAtTheTransferId)
{
    VNet_BitStream userData;
    userData.addInt(77, 8);
    VNet_BitStream offer;
    FileMessages::writeOffer(offer, "report.pdf", 123456, 9, &userData);

    char name[FileMessages::kMaxNameBytes + 1];
    bool plain = false;
    uint32_t size = 0;
    uint32_t id = 0;
    ASSERT_TRUE(FileMessages::readOffer(offer, name, &plain, &size, &id));
    EXPECT_STREQ(name, "report.pdf");
    EXPECT_TRUE(plain);
    EXPECT_EQ(size, 123456u);
    EXPECT_EQ(id, 9u);
    EXPECT_EQ(offer.getInt(32), 9u);
    EXPECT_EQ(offer.getInt(8), 77u);
}

TEST(FileMessages, ChunkAnswerAndEndRoundTrip)
{
    const char bytes[] = "\x00\x01\xFFpayload";
    VNet_BitStream chunk;
    FileMessages::writeChunk(chunk, 3, bytes, sizeof bytes);
    uint32_t id = 0;
    unsigned length = 0;
    std::string read(FileMessages::kMaxChunkBytes, '\0');
    ASSERT_TRUE(FileMessages::readChunk(chunk, &id, read.data(), &length));
    EXPECT_EQ(id, 3u);
    EXPECT_EQ(read.substr(0, length), std::string(bytes, sizeof bytes));

    VNet_BitStream empty;
    FileMessages::writeChunk(empty, 4, nullptr, 0);
    ASSERT_TRUE(FileMessages::readChunk(empty, &id, read.data(), &length));
    EXPECT_EQ(length, 0u);

    for (bool accepted : {true, false}) {
        VNet_BitStream answer;
        FileMessages::writeAnswer(answer, 5, accepted);
        bool readAccepted = !accepted;
        ASSERT_TRUE(FileMessages::readAnswer(answer, &id, &readAccepted));
        EXPECT_EQ(id, 5u);
        EXPECT_EQ(readAccepted, accepted);
    }

    VNet_BitStream end;
    FileMessages::writeEnd(end, 6);
    ASSERT_TRUE(FileMessages::readEnd(end, &id));
    EXPECT_EQ(id, 6u);

    // Peeking reads the id at the front from wherever the stream stands.
    VNet_BitStream::BitPos before;
    end.saveReadState(before);
    id = 0;
    ASSERT_TRUE(FileMessages::peekTransferId(end, &id));
    EXPECT_EQ(id, 6u);
    VNet_BitStream::BitPos after;
    end.saveReadState(after);
    EXPECT_EQ(after.pos * 8 + after.bit, before.pos * 8 + before.bit);
}

TEST(FileMessages, EveryPayloadCutShortIsRefused)
{
    VNet_BitStream offer;
    FileMessages::writeOffer(offer, "name", 10, 1, nullptr);
    VNet_BitStream chunk;
    const char bytes[3] = {1, 2, 3};
    FileMessages::writeChunk(chunk, 1, bytes, 3);
    VNet_BitStream answer;
    FileMessages::writeAnswer(answer, 1, true);
    VNet_BitStream end;
    FileMessages::writeEnd(end, 1);

    char name[FileMessages::kMaxNameBytes + 1];
    std::string buffer(FileMessages::kMaxChunkBytes, '\0');
    uint32_t id = 0;
    uint32_t size = 0;
    unsigned length = 0;
    bool flag = false;
    for (unsigned bits = 0; bits < offer.getBitCount(); ++bits) {
        auto part = cut(offer, bits);
        bool plain = true;
        const bool read = FileMessages::readOffer(*part, name, &plain, &size, &id);
        EXPECT_FALSE(read && plain) << bits;
    }
    for (unsigned bits = 0; bits < chunk.getBitCount(); ++bits) {
        EXPECT_FALSE(FileMessages::readChunk(*cut(chunk, bits), &id, buffer.data(), &length)) << bits;
    }
    for (unsigned bits = 0; bits < answer.getBitCount(); ++bits) {
        EXPECT_FALSE(FileMessages::readAnswer(*cut(answer, bits), &id, &flag)) << bits;
    }
    for (unsigned bits = 0; bits < end.getBitCount(); ++bits) {
        EXPECT_FALSE(FileMessages::readEnd(*cut(end, bits), &id)) << bits;
    }
}

// ---------------------------------------------------------------------------
// Names

TEST(FileNames, OnlyPlainNamesReachTheFolder)
{
    struct Case {
        std::string name;
        bool plain;
    };
    const Case cases[] = {
        {"report.pdf", true}, {".hidden", true}, {"...", true}, {"a..b", true}, {"with space", true},
        {"", false}, {".", false}, {"..", false}, {"../escape", false}, {"sub/name", false},
        {"/etc/passwd", false}, {"..\\escape", false}, {"C:\\name", false}, {std::string("ok\0/../x", 8), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isPlainFileName(c.name.c_str(), static_cast<unsigned>(c.name.size())), c.plain) << c.name;
    }
}

TEST(FileNames, OfferedNameIsThePathsLastComponent)
{
    EXPECT_STREQ(finalPathComponent("/home/user/files/data.bin"), "data.bin");
    EXPECT_STREQ(finalPathComponent("folder\\data.bin"), "data.bin");
    EXPECT_STREQ(finalPathComponent("data.bin"), "data.bin");
    EXPECT_STREQ(finalPathComponent("folder/"), "");
}

// ---------------------------------------------------------------------------
// One transfer's file

class TransferFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("vornet-transfer-parts-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        previous = fs::current_path();
        fs::current_path(folder);
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(folder);
    }

    static void put(const std::string& name, const std::string& text)
    {
        std::ofstream(name, std::ios::binary) << text;
    }
    static std::string contents(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // A receiving record offered the name and size, accepted.
    static std::unique_ptr<NodeFileTransfer> receiving(const char* name, uint32_t size, const char* path = nullptr)
    {
        auto transfer = std::make_unique<NodeFileTransfer>(2, 1, false, 0);
        transfer->setOffer(name, size);
        EXPECT_TRUE(transfer->openTarget(path));
        transfer->accept();
        return transfer;
    }

    fs::path folder;
    fs::path previous;
};

TEST_F(TransferFiles, SenderReadsThePiecesInOrder)
{
    put("source.bin", "0123456789");
    NodeFileTransfer transfer(1, 1, true, 0);
    ASSERT_EQ(transfer.openSource((folder / "source.bin").c_str(), nullptr, 0.5f, nullptr),
              NodeFileTransfer::Source::Ready);
    EXPECT_STREQ(transfer.name(), "source.bin");
    EXPECT_EQ(transfer.size(), 10u);

    std::string sent;
    char buffer[4];
    unsigned length = 0;
    NodeFileTransfer::Piece piece = NodeFileTransfer::Piece::Moved;
    while (piece == NodeFileTransfer::Piece::Moved) {
        piece = transfer.readPiece(buffer, sizeof buffer, &length, 0);
        sent.append(buffer, length);
    }
    EXPECT_EQ(piece, NodeFileTransfer::Piece::Complete);
    EXPECT_EQ(sent, "0123456789");
    EXPECT_EQ(transfer.info().transferred, 10u);
}

TEST_F(TransferFiles, ChunkIsTheShareOfTheRoomWithinWhatIsLeft)
{
    put("big.bin", std::string(100000, 'x'));
    NodeFileTransfer half(1, 1, true, 0);
    ASSERT_EQ(half.openSource("big.bin", nullptr, 0.5f, nullptr), NodeFileTransfer::Source::Ready);
    EXPECT_EQ(half.chunkFor(600), 300u);
    EXPECT_EQ(half.chunkFor(1), 0u);
    EXPECT_EQ(half.chunkFor(0), 0u);
    NodeFileTransfer whole(1, 1, true, 0);
    ASSERT_EQ(whole.openSource("big.bin", nullptr, 1.0f, nullptr), NodeFileTransfer::Source::Ready);
    EXPECT_EQ(whole.chunkFor(200000), FileMessages::kMaxChunkBytes);
    std::vector<char> buffer(99990);
    unsigned length = 0;
    ASSERT_EQ(whole.readPiece(buffer.data(), 99990, &length, 0), NodeFileTransfer::Piece::Moved);
    EXPECT_EQ(whole.chunkFor(600), 10u);
}

TEST_F(TransferFiles, SenderFailsWhereTheFileShrank)
{
    put("source.bin", "0123456789");
    NodeFileTransfer transfer(1, 1, true, 0);
    ASSERT_EQ(transfer.openSource("source.bin", "name", 1.0f, nullptr), NodeFileTransfer::Source::Ready);
    char buffer[4];
    unsigned length = 0;
    ASSERT_EQ(transfer.readPiece(buffer, sizeof buffer, &length, 0), NodeFileTransfer::Piece::Moved);
    fs::resize_file("source.bin", 6);
    EXPECT_EQ(transfer.readPiece(buffer, sizeof buffer, &length, 0), NodeFileTransfer::Piece::Failed);
    EXPECT_EQ(length, 0u);
}

TEST_F(TransferFiles, SourcesThatCannotBeSent)
{
    put("source.bin", "0123456789");
    for (float share : {0.0f, -0.5f, 1.5f, std::nanf("")}) {
        NodeFileTransfer transfer(1, 1, true, 0);
        EXPECT_EQ(transfer.openSource("source.bin", nullptr, share, nullptr), NodeFileTransfer::Source::BadShare)
            << share;
    }
    fs::create_directories("folder");
    NodeFileTransfer missing(1, 1, true, 0);
    EXPECT_EQ(missing.openSource("missing.bin", nullptr, 1.0f, nullptr), NodeFileTransfer::Source::NoSize);
    NodeFileTransfer directory(1, 1, true, 0);
    EXPECT_EQ(directory.openSource("folder", nullptr, 1.0f, nullptr), NodeFileTransfer::Source::NotOpened);
}

TEST_F(TransferFiles, ReceiverWritesTheWholeFileAndKeepsIt)
{
    auto transfer = receiving("target.bin", 6);
    EXPECT_EQ(transfer->writePiece("abc", 3, 0), NodeFileTransfer::Piece::Moved);
    EXPECT_EQ(transfer->writePiece("def", 3, 0), NodeFileTransfer::Piece::Complete);
    EXPECT_EQ(transfer->stage(), NodeFileTransfer::Stage::Complete);
    // An abort that comes after the last byte leaves the whole file.
    transfer->end();
    transfer.reset();
    EXPECT_EQ(contents("target.bin"), "abcdef");
}

TEST_F(TransferFiles, ReceiverDeletesWhatNeverBecameWhole)
{
    auto transfer = receiving("target.bin", 6);
    EXPECT_EQ(transfer->writePiece("abcd", 4, 0), NodeFileTransfer::Piece::Moved);
    // Bytes beyond the offered size fail and write nothing.
    EXPECT_EQ(transfer->writePiece("efg", 3, 0), NodeFileTransfer::Piece::Failed);
    EXPECT_EQ(contents("target.bin"), "abcd");
    transfer->end();
    EXPECT_FALSE(fs::exists("target.bin"));
    // A file of the same name made since is not the transfer's to delete.
    put("target.bin", "someone else's");
    transfer->end();
    transfer.reset();
    EXPECT_EQ(contents("target.bin"), "someone else's");

    auto unlinked = receiving("other.bin", 6);
    unlinked->writePiece("ab", 2, 0);
    unlinked.reset();
    EXPECT_FALSE(fs::exists("other.bin"));
}

TEST_F(TransferFiles, ReceiverWritesWhereTheApplicationSays)
{
    fs::create_directories("chosen");
    auto transfer = receiving("offered.bin", 2, "chosen/kept.bin");
    EXPECT_EQ(transfer->writePiece("ok", 2, 0), NodeFileTransfer::Piece::Complete);
    EXPECT_STREQ(transfer->info().path, "chosen/kept.bin");
    EXPECT_EQ(contents("chosen/kept.bin"), "ok");
    EXPECT_FALSE(fs::exists("offered.bin"));
}

TEST_F(TransferFiles, AnOfferedNameIsNeverFollowedThroughALink)
{
    put("outside.txt", "keep");
    fs::create_symlink(folder / "outside.txt", "target.bin");
    NodeFileTransfer transfer(2, 1, false, 0);
    transfer.setOffer("target.bin", 4);
    EXPECT_FALSE(transfer.openTarget(nullptr));
    transfer.end();
    EXPECT_EQ(contents("outside.txt"), "keep");
    EXPECT_TRUE(fs::is_symlink("target.bin"));
}

TEST_F(TransferFiles, RateIsWhatMovedInAWindowOfASecond)
{
    auto transfer = receiving("target.bin", 100);
    transfer->writePiece("0123456789", 10, 500);
    EXPECT_EQ(transfer->info().rate, 0u);
    transfer->writePiece("0123456789", 10, 1001);
    EXPECT_EQ(transfer->info().rate, 20u);
    transfer->writePiece("0123456789", 10, 1500);
    EXPECT_EQ(transfer->info().rate, 20u);
}

// ---------------------------------------------------------------------------
// A connection's table

TEST(FileTransferTable, EachSideNumbersWithItsOwnParity)
{
    FileTransfers opener(true);
    FileTransfers acceptor(false);
    EXPECT_EQ(opener.nextOwnId(), 1u);
    EXPECT_EQ(acceptor.nextOwnId(), 2u);
    ASSERT_TRUE(opener.add(new NodeFileTransfer(1, 1, true, 0)));
    ASSERT_TRUE(opener.add(new NodeFileTransfer(3, 1, true, 0)));
    EXPECT_EQ(opener.nextOwnId(), 5u);
    opener.release(1);
    opener.release(1);
    // Not given out again straight away: the peer may still hold it.
    EXPECT_EQ(opener.nextOwnId(), 5u);

    ASSERT_EQ(opener.checkOfferId(2), FileTransfers::OfferId::Usable);
    ASSERT_TRUE(opener.add(new NodeFileTransfer(2, 1, false, 0)));
    EXPECT_FALSE(opener.find(2)->isOutgoing());
    EXPECT_TRUE(opener.find(3)->isOutgoing());

    // A peer may number its offers with this side's kind of id too; the
    // next own id passes over them.
    ASSERT_EQ(opener.checkOfferId(5), FileTransfers::OfferId::Usable);
    ASSERT_TRUE(opener.add(new NodeFileTransfer(5, 1, false, 0)));
    EXPECT_FALSE(opener.find(5)->isOutgoing());
    EXPECT_EQ(opener.nextOwnId(), 7u);
    opener.release(5);
    EXPECT_EQ(opener.find(5), nullptr);
    EXPECT_TRUE(opener.find(3)->isOutgoing());
}

TEST(FileTransferTable, OfferIdsAPeerMayNotUse)
{
    FileTransfers table(false);
    ASSERT_TRUE(table.add(new NodeFileTransfer(3, 1, false, 0)));
    const struct {
        uint32_t id;
        FileTransfers::OfferId check;
    } cases[] = {
        {1, FileTransfers::OfferId::Usable},
        {0, FileTransfers::OfferId::Invalid},
        {2, FileTransfers::OfferId::Usable},
        {FileTransfers::kMaxId + 2, FileTransfers::OfferId::Invalid},
        {0xFFFFFFFF, FileTransfers::OfferId::Invalid},
        {3, FileTransfers::OfferId::InUse},
    };
    for (const auto& c : cases) EXPECT_EQ(table.checkOfferId(c.id), c.check) << c.id;
}

TEST(FileTransferTable, HeadIsTheFirstTransferStillGoing)
{
    FileTransfers table(true);
    for (uint32_t id : {1u, 3u, 5u}) ASSERT_TRUE(table.add(new NodeFileTransfer(id, 1, true, 0)));
    ASSERT_TRUE(table.add(new NodeFileTransfer(2, 1, false, 0)));
    ASSERT_TRUE(table.add(new NodeFileTransfer(4, 1, false, 0)));
    EXPECT_EQ(table.pendingOffers(), 2);
    table.find(2)->end();
    EXPECT_EQ(table.pendingOffers(), 1);

    EXPECT_EQ(table.head()->id(), 1u);
    table.find(1)->finish();
    EXPECT_EQ(table.head()->id(), 3u);
    table.find(3)->end();
    EXPECT_EQ(table.head()->id(), 5u);
    table.release(5);
    EXPECT_EQ(table.head(), nullptr);
}

}  // namespace
