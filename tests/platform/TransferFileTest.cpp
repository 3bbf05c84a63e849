// Files read at offsets and written in pieces, and the places a file name
// from elsewhere must not reach.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/TransferFile.h"

namespace {

namespace fs = std::filesystem;

class TransferFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("transfer-file-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string path(const char* name) const { return (folder / name).string(); }
    void put(const char* name, const std::string& text) const { std::ofstream(path(name), std::ios::binary) << text; }
    std::string contents(const char* name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder;
};

TEST_F(TransferFileTest, ReadsAtOffsetsAndStopsAtTheEnd)
{
    put("source", "0123456789");
    platform::TransferFile file;
    ASSERT_TRUE(file.openForReading(path("source")));
    uint64_t size = 0;
    ASSERT_TRUE(file.size(&size));
    EXPECT_EQ(size, 10u);

    char buffer[8] = {};
    size_t got = 0;
    ASSERT_TRUE(file.readAt(6, buffer, 3, &got));
    EXPECT_EQ(std::string(buffer, got), "678");
    ASSERT_TRUE(file.readAt(8, buffer, 8, &got));
    EXPECT_EQ(std::string(buffer, got), "89");
    ASSERT_TRUE(file.readAt(10, buffer, 8, &got));
    EXPECT_EQ(got, 0u);
}

TEST_F(TransferFileTest, WritesInPiecesOverAnOldFile)
{
    put("target", "an older and longer text");
    {
        platform::TransferFile file;
        ASSERT_TRUE(file.openForWriting(path("target"), true));
        ASSERT_TRUE(file.write("abc", 3));
        ASSERT_TRUE(file.write("", 0));
        ASSERT_TRUE(file.write("de", 2));
    }
    EXPECT_EQ(contents("target"), "abcde");
    EXPECT_TRUE(platform::TransferFile::remove(path("target")));
    EXPECT_FALSE(fs::exists(path("target")));
    EXPECT_FALSE(platform::TransferFile::remove(path("target")));
}

TEST_F(TransferFileTest, OnlyRegularFilesOpen)
{
    fs::create_directories(path("folder"));
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    platform::TransferFile file;
    for (const char* name : {"folder", "pipe", "missing"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(file.openForReading(path(name)));
        EXPECT_FALSE(file.isOpen());
    }
    EXPECT_FALSE(file.openForWriting(path("folder"), true));
    EXPECT_FALSE(file.openForWriting(path("pipe"), true));
    EXPECT_FALSE(file.openForWriting(path("missing-folder/name"), true));
}

TEST_F(TransferFileTest, ALinkIsFollowedOnlyWhenAllowed)
{
    put("outside", "keep");
    fs::create_symlink(path("outside"), path("link"));
    platform::TransferFile file;
    EXPECT_FALSE(file.openForWriting(path("link"), true));
    EXPECT_EQ(contents("outside"), "keep");

    ASSERT_TRUE(file.openForWriting(path("link"), false));
    ASSERT_TRUE(file.write("new", 3));
    file.close();
    EXPECT_EQ(contents("outside"), "new");
}

}  // namespace
