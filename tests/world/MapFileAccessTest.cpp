#include "editor/world/MapFileAccess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

class MapFileAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("quillow-mapfiles-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const char* name) const { return (folder_ / name).string(); }
    static std::string contents(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void buildDocument(XmlDocument& doc)
    {
        XmlNode* root = doc.allocate_node(rapidxml::node_element, "rootnode");
        doc.append_node(root);
        root->append_node(writeInt("Layer", 3, doc));
    }

    fs::path folder_;
};

TEST_F(MapFileAccessTest, ReadsWholeFilesWithATerminatingNull)
{
    std::ofstream(path("map.xml"), std::ios::binary) << "<a>\r\n</a>";
    int32_t size = -1;
    auto data = GetFileData(path("map.xml"), size);
    ASSERT_TRUE(data);
    EXPECT_EQ(size, 9);
    EXPECT_EQ(std::string(data.get()), "<a>\r\n</a>");

    std::ofstream(path("empty.xml"));
    data = GetFileData(path("empty.xml"), size);
    ASSERT_TRUE(data);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(data[0], '\0');
}

TEST_F(MapFileAccessTest, RefusesWhatIsNoRegularFile)
{
    fs::create_directories(path("folder.xml"));
    for (const std::string& bad : {path("missing.xml"), path("folder.xml")}) {
        int32_t size = -1;
        CaptureStdout();
        EXPECT_FALSE(GetFileData(bad, size));
        EXPECT_EQ(GetCapturedStdout(),
                  "GetFileData() function called on an unvalid file : " + bad + "\n");
        EXPECT_EQ(size, 0);
    }
}

TEST_F(MapFileAccessTest, WritesThePrintedDocumentAndClearsIt)
{
    XmlDocument doc;
    buildDocument(doc);
    ASSERT_TRUE(writeXmlFile(doc, path("new.xml")));
    EXPECT_EQ(contents(path("new.xml")), "<rootnode>\n\t<Layer>3</Layer>\n</rootnode>\n\n");
    EXPECT_EQ(doc.first_node(), nullptr);
    // Nothing but the file is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(MapFileAccessTest, AFailedSaveLeavesTheOldFileWholeAndSaysSo)
{
    std::ofstream(path("blocker")) << "a file where a folder should be";
    const std::string old = "<rootnode>old work</rootnode>";
    std::ofstream(path("old.xml")) << old;
    for (const std::string& target :
         {path("no-such-folder/map.xml"), path("blocker/map.xml"), path("folder.xml")}) {
        if (target == path("folder.xml")) fs::create_directories(target + "/inside");
        XmlDocument doc;
        buildDocument(doc);
        CaptureStdout();
        EXPECT_FALSE(writeXmlFile(doc, target)) << target;
        EXPECT_NE(GetCapturedStdout().find("ERROR: could not save the map file " + target),
                  std::string::npos);
    }
    EXPECT_EQ(contents(path("old.xml")), old);
    EXPECT_TRUE(fs::is_directory(path("folder.xml/inside")));
}

}  // namespace
