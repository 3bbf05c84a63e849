#include "platform/FileSearch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FileSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() /
                ("quillow-search-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "Graphics" / "folder.png");
        for (const char* name : {"b.png", "A.PNG", "c.Png", "notes.txt", "x.png.bak", ".png"}) {
            std::ofstream(root_ / "Graphics" / name) << "data";
        }
        fs::create_directories(root_ / "Empty");
    }
    void TearDown() override { fs::remove_all(root_); }

    // The folder in the backslash form the editor writes.
    std::string windowsFolder(const char* sub) const
    {
        std::string path = (root_ / sub).string() + "\\";
        return path;
    }

    std::vector<std::string> readAll(const std::string& pattern, uint32_t* endError)
    {
        std::vector<std::string> names;
        platform::FileSearch search;
        if (!search.first(pattern)) {
            *endError = search.lastError();
            return names;
        }
        do names.push_back(search.name());
        while (search.next());
        *endError = search.lastError();
        return names;
    }

    fs::path root_;
};

TEST_F(FileSearchTest, ListsRegularFilesOfOneExtensionSortedAndCaseInsensitive)
{
    uint32_t error = 0;
    const auto names = readAll(windowsFolder("Graphics") + "*.png", &error);
    // Byte-wise order; the directory "folder.png" and "x.png.bak" are not listed.
    EXPECT_EQ(names, (std::vector<std::string>{".png", "A.PNG", "b.png", "c.Png"}));
    EXPECT_EQ(error, platform::kNoMoreFiles);
}

TEST_F(FileSearchTest, ReportsTheWindowsErrorCodes)
{
    uint32_t error = 0;
    EXPECT_TRUE(readAll(windowsFolder("Graphics") + "*.gif", &error).empty());
    EXPECT_EQ(error, platform::kFileNotFound);
    EXPECT_TRUE(readAll(windowsFolder("Empty") + "*.png", &error).empty());
    EXPECT_EQ(error, platform::kFileNotFound);
    EXPECT_TRUE(readAll(windowsFolder("Missing") + "*.png", &error).empty());
    EXPECT_EQ(error, platform::kPathNotFound);
}

TEST_F(FileSearchTest, ListHelperReturnsEveryMatch)
{
    EXPECT_EQ(platform::FileSearch::list(windowsFolder("Graphics") + "*.txt"),
              std::vector<std::string>{"notes.txt"});
    EXPECT_TRUE(platform::FileSearch::list(windowsFolder("Missing") + "*").empty());
}

TEST(FilePattern, MatchesWildcardsIgnoringCase)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.png", "tree.png", true},   {"*.png", "TREE.PNG", true},
        {"*.png", ".png", true},       {"*.png", "tree.png.bak", false},
        {"*.png", "treepng", false},   {"*", "anything", true},
        {"*.xml", "map.XML", true},    {"a?c", "abc", true},
        {"a?c", "ac", false},          {"*a*b", "xxaxxb", true},
        {"*a*b", "xxaxxbx", false},    {"", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::matchesFilePattern(c.pattern, c.name), c.matches)
            << c.pattern << " vs " << c.name;
    }
}

}  // namespace
