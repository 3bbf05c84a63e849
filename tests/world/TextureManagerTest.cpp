#include "editor/world/TextureManager.h"
#include "tests/support/GlTestContext.h"

#include <GL/glew.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

// Writes a 2x2 image of one colour in the format the extension names.
void writeImage(const fs::path& path, ILenum type, unsigned char r, unsigned char g, unsigned char b)
{
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    unsigned char pixels[2 * 2 * 3];
    for (int i = 0; i < 4; ++i) {
        pixels[i * 3] = r;
        pixels[i * 3 + 1] = g;
        pixels[i * 3 + 2] = b;
    }
    ilTexImage(2, 2, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels);
    ilEnable(IL_FILE_OVERWRITE);
    ASSERT_TRUE(ilSave(type, path.c_str())) << path;
    ilDeleteImages(1, &image);
}

// A runtime tree of its own: the working directory is root/bin/editor, so
// the registry finds its images in ..\..\Content\Graphics\.
class TextureManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        quillow::test::ensureGlContext();
        root_ = fs::temp_directory_path() /
                ("quillow-textures-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin" / "editor");
        previous_ = fs::current_path();
        fs::current_path(root_ / "bin" / "editor");
    }
    void TearDown() override
    {
        fs::current_path(previous_);
        fs::remove_all(root_);
    }
    fs::path graphics()
    {
        fs::create_directories(root_ / "Content" / "Graphics");
        return root_ / "Content" / "Graphics";
    }

    fs::path root_;
    fs::path previous_;
};

// The colour of a texture, read back from OpenGL.
void expectTextureColour(uint32_t id, unsigned char r, unsigned char g, unsigned char b)
{
    unsigned char pixels[2 * 2 * 4] = {};
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    EXPECT_EQ(pixels[0], r);
    EXPECT_EQ(pixels[1], g);
    EXPECT_EQ(pixels[2], b);
}

TEST_F(TextureManagerTest, LaterExtensionWinsTheNameAndBothIdsMapBack)
{
    writeImage(graphics() / "a.png", IL_PNG, 255, 0, 0);
    writeImage(graphics() / "a.bmp", IL_BMP, 0, 0, 255);
    writeImage(graphics() / "Tree.png", IL_PNG, 0, 255, 0);
    writeImage(graphics() / "tree.png", IL_PNG, 0, 128, 0);

    TextureManager registry;
    CaptureStdout();
    registry.loadAllImages();
    GetCapturedStdout();

    ASSERT_EQ(registry.idToName().size(), 4u);
    const int32_t a = registry.getTextureId("a");
    ASSERT_GT(a, 0);
    expectTextureColour(a, 0, 0, 255);  // a.bmp is scanned after a.png
    for (const auto& [id, name] : registry.idToName()) {
        if (name == "a") {
            EXPECT_EQ(registry.getTextureName(id), "a");
        }
    }
    EXPECT_NE(registry.getTextureId("Tree"), registry.getTextureId("tree"));
    expectTextureColour(registry.getTextureId("Tree"), 0, 255, 0);
    EXPECT_TRUE(registry.lastLoadOk());
}

TEST_F(TextureManagerTest, ReportsExtensionsThatCannotBeSearched)
{
    writeImage(graphics() / "only.png", IL_PNG, 1, 2, 3);
    TextureManager registry;
    CaptureStdout();
    registry.loadAllImages();
    const std::string out = GetCapturedStdout();
    // Five extensions without files, each reported with "file not found".
    size_t lines = 0;
    for (size_t at = out.find("Invalid file handle, Error is 2. \n"); at != std::string::npos;
         at = out.find("Invalid file handle, Error is 2. \n", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 5u);
    EXPECT_GE(registry.getTextureId("only"), 0);
}

TEST_F(TextureManagerTest, MissingFolderLeavesTheRegistryEmptyButUsable)
{
    TextureManager registry;
    CaptureStdout();
    registry.loadAllImages();
    const std::string out = GetCapturedStdout();
    EXPECT_NE(out.find("Invalid file handle, Error is 3. \n"), std::string::npos);
    EXPECT_TRUE(registry.nameToId().empty());
}

TEST_F(TextureManagerTest, UnreadableFilesAreSkippedSilently)
{
    std::ofstream(graphics() / "broken.png") << "this is not an image";
    writeImage(graphics() / ".png", IL_PNG, 9, 9, 9);
    TextureManager registry;
    CaptureStdout();
    registry.loadAllImages();
    GetCapturedStdout();
    CaptureStdout();
    EXPECT_EQ(registry.getTextureId("broken"), -1);
    EXPECT_EQ(GetCapturedStdout(), "ERROR: Could not find image: broken\n");
    // A file named just ".png" gives the empty image name.
    EXPECT_GE(registry.getTextureId(""), 0);
}

TEST_F(TextureManagerTest, UnknownNamesAndIds)
{
    TextureManager registry;
    CaptureStdout();
    EXPECT_EQ(registry.getTextureId(""), -1);
    EXPECT_EQ(registry.getTextureId("nothing"), -1);
    EXPECT_EQ(GetCapturedStdout(),
              "ERROR: Could not find image: \nERROR: Could not find image: nothing\n");
    CaptureStdout();
    EXPECT_EQ(registry.getTextureName(static_cast<uint32_t>(-1)), "NULL");
    EXPECT_EQ(registry.getTextureName(12345), "NULL");
    EXPECT_EQ(GetCapturedStdout(), "");
}

TEST_F(TextureManagerTest, TheProcessWideRegistryIsOne)
{
    EXPECT_EQ(TextureManager::instance(), TextureManager::instance());
}

TEST(NarrowString, ConvertsLatinOneAndRefusesWiderCharacters)
{
    bool ok = false;
    EXPECT_EQ(toNarrowString(L"tree.png", &ok), "tree.png");
    EXPECT_TRUE(ok);
    EXPECT_EQ(toNarrowString(std::wstring(1, wchar_t(0xE9)), &ok), "\xE9");
    EXPECT_TRUE(ok);
    EXPECT_EQ(toNarrowString(L"\x4E2D.png", &ok), "");
    EXPECT_FALSE(ok);
}

}  // namespace
