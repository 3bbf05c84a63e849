#include "editor/world/AnimatingSprite.h"
#include "editor/world/MapFile.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/Md5.h"
#include "editor/world/TextureManager.h"
#include "tests/support/GlTestContext.h"
#include "tests/world/MapTestTree.h"
#include "tests/world/SampleMap.h"

#include <gtest/gtest.h>

#include <cstdlib>

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

std::string sourceFile(const std::string& relative)
{
    const char* source = std::getenv("QUILLOW_SOURCE_DIR");
    return std::string(source ? source : ".") + "/" + relative;
}

// The golden file names real images; it was written for textures loaded in
// this order into a fresh context, which its RendImg value relies on.
class MapGoldenTest : public quillow::test::MapTestTree {
protected:
    static void SetUpTestSuite()
    {
        quillow::test::ensureGlContext();
        for (const char* name : {"grass", "stone", "bricks", "sand", "Espawn", "Tspawn"}) {
            TextureManager::instance()->loadImage(
                sourceFile(std::string("content/Graphics/") + name + ".png"), name);
        }
    }
    void SetUp() override
    {
        MapTestTree::SetUp();
        ASSERT_EQ(TextureManager::instance()->getTextureId("sand"), 4)
            << "the golden file's RendImg expects the texture of sand to be 4";
        golden_ = readFile(sourceFile("tests/world/data/golden-map.xml"));
        ASSERT_FALSE(golden_.empty());
        writeMapFile("golden.xml", golden_);
    }
    std::unique_ptr<Map> loadGolden()
    {
        CaptureStdout();
        std::unique_ptr<Map> map = loadMap("golden.xml");
        EXPECT_EQ(GetCapturedStdout(), "never be in here wtf\n");
        return map;
    }
    static void unload(Map& map)
    {
        CaptureStdout();
        map.unload();
        GetCapturedStdout();
    }

    std::string golden_;
};

TEST_F(MapGoldenTest, LoadingAndSavingReproducesTheFileByteForByte)
{
    std::unique_ptr<Map> map = loadGolden();
    ASSERT_TRUE(map);
    EXPECT_EQ(map->md5Text, md5Hex(golden_));
    ASSERT_TRUE(saveMap(*map, "copy.xml"));
    EXPECT_EQ(readMapFile("copy.xml"), golden_);
    unload(*map);
}

TEST_F(MapGoldenTest, SavingTheMapBuiltInCodeWritesTheGoldenFile)
{
    Map built;
    quillow::test::buildSampleMap(built);
    ASSERT_TRUE(saveMap(built, "built.xml"));
    EXPECT_EQ(readMapFile("built.xml"), golden_);

    std::unique_ptr<Map> loaded = loadGolden();
    ASSERT_TRUE(loaded);
    quillow::test::expectSameMap(built, *loaded);
    unload(*loaded);
    unload(built);
}

// A vertex edit rebuilds a shape's drawables from its own fields; those must
// be the loaded textures and border.
TEST_F(MapGoldenTest, RebuiltDrawablesKeepTheLoadedTexturesAndBorders)
{
    std::unique_ptr<Map> map = loadGolden();
    ASSERT_TRUE(map);
    auto object = map->objects.begin();
    auto* box = dynamic_cast<Map_Aabb*>(*++object);
    auto* poly = dynamic_cast<Map_Poly*>(*++object);
    ASSERT_TRUE(box && poly);
    TextureManager& textures = *TextureManager::instance();
    const auto id = [&](const char* name) { return static_cast<uint32_t>(textures.getTextureId(name)); };

    box->rebuildDrawables();
    ASSERT_EQ(box->drawables.size(), 2u);
    const auto* body = dynamic_cast<const AnimatingSprite*>(box->drawables[0].get());
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->img, id("stone"));
    EXPECT_EQ(box->drawables[1]->img, id("bricks"));
    EXPECT_EQ(box->drawables[1]->borderSize, 8.0f);

    poly->points[2] = Vec2(1250, 150);
    poly->rebuildDrawables();
    ASSERT_EQ(poly->drawables.size(), 2u);
    EXPECT_EQ(poly->drawables[0]->img, id("bricks"));
    EXPECT_EQ(poly->drawables[0]->borderSize, 5.0f);
    EXPECT_EQ(poly->drawables[1]->img, id("sand"));
    unload(*map);
}

TEST_F(MapGoldenTest, SpawnMarkersShowTheirSidesImage)
{
    std::unique_ptr<Map> map = loadGolden();
    ASSERT_TRUE(map);
    ASSERT_EQ(map->spawnLists.size(), 2u);
    const auto markerImage = [](const Spawn& spawn) {
        return TextureManager::instance()->getTextureName(spawn.marker->drawables[0]->img);
    };
    EXPECT_EQ(markerImage(*map->spawnLists[0].front()), "Espawn");
    EXPECT_EQ(markerImage(*map->spawnLists[1].front()), "Tspawn");
    unload(*map);
}

}  // namespace
