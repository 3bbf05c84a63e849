// The property panel as a user works it: the real editor under a private X
// server, driven with real X input; the map it saves is the oracle.
#include "editor/world/Map.h"
#include "editor/world/MapFile.h"
#include "editor/world/Map_Aabb.h"
#include "tests/editor/support/EditorSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using quillow::test::EditorSession;

struct Pixel {
    int x, y;
};

// The start view: 3150 world units across the 1024 pixel wide window,
// centred on the origin, world y up.
Pixel pixelOf(float x, float y)
{
    constexpr float kUnitsPerPixel = 3150.0f / 1024.0f;
    return {512 + static_cast<int>(std::lround(x / kUnitsPerPixel)),
            384 - static_cast<int>(std::lround(y / kUnitsPerPixel))};
}

// Window pixels of the menus; the property panel stands at the right edge.
constexpr Pixel kFileButton{48, 14}, kOpenEntry{60, 144};
constexpr Pixel kDialogNameField{420, 450}, kDialogConfirm{342, 479};
constexpr Pixel kSelectTool{38, 118};
constexpr Pixel kLayerField{930, 181}, kParallaxXField{930, 341}, kLockedBox{800, 629};
// A point of the map that no menu and no object covers.
constexpr Pixel kFreeMapPoint{450, 650};

class PropertyPanelEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.start()); }

    // The map files are read and written from the editor's working
    // directory, as the editor does.
    template <typename Work>
    auto inWorkDir(Work work)
    {
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(editor.tree().workDir());
        auto result = work();
        std::filesystem::current_path(previous);
        return result;
    }

    void openMap(const std::vector<GameObject*>& objects)
    {
        ASSERT_TRUE(inWorkDir([&] {
            Map map;
            for (GameObject* object : objects) map.objects.push_back(object);
            return saveMap(map, kMapName);
        }));
        size_t before = editor.lineCount();
        click(kFileButton);
        ASSERT_TRUE(editor.waitForLine("showmenu 3", before));
        click(kOpenEntry);
        ASSERT_TRUE(editor.waitForLine("showmenu 7", before));
        click(kDialogNameField);
        editor.type(kMapName);
        before = editor.lineCount();
        click(kDialogConfirm);
        ASSERT_TRUE(editor.waitForLine("unloading old map", before));
    }

    void click(const Pixel& at)
    {
        editor.click(at.x, at.y);
        settle();
    }

    // A press and a release on the map, each seen by a tick.
    void clickMap(const Pixel& at)
    {
        editor.moveTo(at.x, at.y);
        settle();
        editor.press(at.x, at.y);
        settle();
        editor.release(at.x, at.y);
        settle();
    }

    // Replaces what the number field holds; the panel takes every digit as
    // it comes.
    void typeInto(const Pixel& field, const std::string& number)
    {
        click(field);
        editor.tapKey("End");
        editor.tapKey("shift+Home");
        editor.tapKey("BackSpace");
        const size_t before = editor.lineCount();
        editor.type(number);
        ASSERT_TRUE(editor.waitForLine("TEXT CHANGED " + number, before));
        settle();
    }

    void holdKey(const std::string& key)
    {
        editor.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
        settle();
        editor.keyDown(key);
        settle();
        editor.keyUp(key);
        settle();
    }

    void save()
    {
        editor.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
        settle();
        const size_t before = editor.lineCount();
        editor.keyDown("ctrl+s");
        ASSERT_TRUE(editor.waitForLine("saving map", before));
        editor.keyUp("ctrl+s");
    }

    std::unique_ptr<Map> savedMap()
    {
        return inWorkDir([&] { return loadMap(kMapName); });
    }

    // A few of the editor's 16 ms ticks, on a loaded machine.
    static void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }

    static constexpr const char* kMapName = "panel.xml";
    EditorSession editor;
};

// Layer, Parallax X and Locked set on a selected box. A locked box is
// never picked: a click on it and Delete leave it, while the same on the
// other box deletes that one.
TEST_F(PropertyPanelEndToEnd, SetsLayerParallaxAndLock)
{
    openMap({new Map_Aabb(Vec2(-400, 0), 256.0f, 256.0f, 1, 0, 0, 0.0f, kUvStretch),
             new Map_Aabb(Vec2(300, -500), 200.0f, 200.0f, 1, 0, 0, 0.0f, kUvStretch)});
    size_t before = editor.lineCount();
    click(kSelectTool);
    ASSERT_TRUE(editor.waitForLine("showmenu 8", before));
    before = editor.lineCount();
    clickMap(pixelOf(-400, 0));
    ASSERT_TRUE(editor.waitForLine("Setting things", before));

    typeInto(kLayerField, "300");
    typeInto(kParallaxXField, "150");
    click(kLockedBox);

    clickMap(pixelOf(-400, 0));
    holdKey("Delete");
    clickMap(pixelOf(300, -500));
    holdKey("Delete");
    save();

    auto map = savedMap();
    ASSERT_TRUE(map);
    ASSERT_EQ(map->objects.size(), 1u);
    const GameObject& edited = *map->objects.front();
    EXPECT_EQ(edited.center, Vec2(-400, 0));
    EXPECT_EQ(edited.layer, 300);
    EXPECT_EQ(edited.para, Vec2(0.5f, 0.0f));
}

}  // namespace
