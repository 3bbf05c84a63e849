// New, Open and Save as the menus and shortcuts call them.
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "tests/editor/EditorFixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using quillow::test::EditorFixture;

class MapOperations : public EditorFixture {
protected:
    void addBox(float x)
    {
        sim->addNewObject(new Map_Aabb(Vec2(x, 0.0f), 40.0f, 20.0f, 3, 0, 0, 0.0f, kUvTile));
    }
    std::string fileText(const std::string& name)
    {
        std::ifstream in(tree.mapPath(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(MapOperations, SavedMapOpensAgainWithItsObjects)
{
    addBox(0.0f);
    addBox(100.0f);
    ASSERT_TRUE(sim->saveMapAs("two boxes.xml"));
    EXPECT_EQ(sim->getMapName(), "two boxes.xml");
    sim->newMap();
    step();
    EXPECT_TRUE(sim->map->objects.empty());
    ASSERT_TRUE(sim->openMap("two boxes.xml"));
    EXPECT_EQ(sim->map->objects.size(), 2u);
    EXPECT_EQ(sim->drawList.size(), 2u + 0u);
    EXPECT_EQ(sim->getMapName(), "two boxes.xml");
}

TEST_F(MapOperations, NewForgetsTheNameSoTheNextSaveAsksForOne)
{
    addBox(0.0f);
    ASSERT_TRUE(sim->saveMapAs("first.xml"));
    const std::string saved = fileText("first.xml");
    sim->newMap();
    EXPECT_EQ(sim->getMapName(), "");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(sim->saveMap());
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.find("saving map"), std::string::npos);
    EXPECT_EQ(fileText("first.xml"), saved);
}

struct BadOpen {
    const char* name;
    const char* file;  // written under name when not null
};

class OpenThatFails : public MapOperations, public ::testing::WithParamInterface<BadOpen> {};

TEST_P(OpenThatFails, KeepsTheCurrentMapAndItsName)
{
    if (GetParam().file) tree.writeMap(GetParam().name, GetParam().file);
    addBox(0.0f);
    sim->mapName = "current.xml";
    GameObject* object = sim->map->objects.front();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(sim->openMap(GetParam().name));
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("ERROR"), std::string::npos) << output;
    step();
    EXPECT_EQ(sim->getMapName(), "current.xml");
    ASSERT_EQ(sim->map->objects.size(), 1u);
    EXPECT_EQ(sim->map->objects.front(), object);
    EXPECT_FALSE(object->markedForDelete);
    EXPECT_EQ(sim->drawList.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Files, OpenThatFails,
                         ::testing::Values(BadOpen{"missing.xml", nullptr}, BadOpen{"malformed.xml", "<rootnode><objects"},
                                           BadOpen{"empty.xml", ""}, BadOpen{"", nullptr},
                                           BadOpen{"../escape.xml", nullptr}, BadOpen{"sub/dir.xml", nullptr}));

TEST_F(MapOperations, ASaveThatCannotBeWrittenIsReportedAndKeepsTheName)
{
    std::filesystem::create_directory(tree.mapPath("folder.xml"));
    addBox(0.0f);
    for (const char* name : {"", "folder.xml", "../outside.xml", "a/b.xml", "..", "a\\b.xml"}) {
        sim->mapName = "kept.xml";
        testing::internal::CaptureStdout();
        EXPECT_FALSE(sim->saveMapAs(name)) << name;
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_NE(output.find("ERROR"), std::string::npos) << name;
        EXPECT_EQ(output.find("saving map"), std::string::npos) << name;
        EXPECT_EQ(sim->getMapName(), "kept.xml");
    }
    EXPECT_FALSE(std::filesystem::exists(tree.root() / "Content" / "outside.xml"));
    EXPECT_TRUE(std::filesystem::is_directory(tree.mapPath("folder.xml")));
}

}  // namespace
