// The Edit menu and the clipboard keys as a user drives them: a map written
// for the test is opened, a box is picked with the select tool, and the file
// Ctrl+S writes back is the oracle.
#include "editor/world/Map.h"
#include "editor/world/MapFile.h"
#include "editor/world/Map_Aabb.h"
#include "tests/editor/support/EditorSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace {

using quillow::test::EditorSession;

// The start view is centred on the origin; the box sits left of the centre,
// so that pasted copies (placed in the middle of the view) do not cover it.
constexpr int kBoxX = 412, kBoxY = 384;
constexpr float kBoxWorldX = -100.0f * 3150.0f / 1024.0f;
constexpr int kMapX = 800, kMapY = 600;

constexpr int kFileX = 48, kEditX = 138, kTopBarY = 14;
constexpr int kFileMenuX = 60, kOpenY = 144;
constexpr int kEditMenuX = 150, kCutY = 48, kCopyY = 80, kPasteY = 112;
constexpr int kNameFieldX = 420, kNameFieldY = 450;
constexpr int kConfirmX = 342, kDialogButtonY = 479;
constexpr int kToolX = 38, kSelectToolY = 118;

constexpr const char* kMapName = "edit menu.xml";

class EditMenuEndToEnd : public ::testing::Test {
protected:
    template <typename Work>
    auto inWorkDir(Work work)
    {
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(editor.tree().workDir());
        auto result = work();
        std::filesystem::current_path(previous);
        return result;
    }

    void SetUp() override
    {
        ASSERT_TRUE(editor.start());
        ASSERT_TRUE(inWorkDir([] {
            Map map;
            map.objects.push_back(new Map_Aabb(Vec2(kBoxWorldX, 0.0f), 60.0f, 60.0f, 1, 0, 0, 0.0f, kUvStretch));
            return saveMap(map, kMapName);
        }));
        openMap();
        chooseSelectTool();
    }

    // The editor samples the pointer once per tick.
    static void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(150)); }

    void openMap()
    {
        size_t before = editor.lineCount();
        editor.click(kFileX, kTopBarY);
        ASSERT_TRUE(editor.waitForLine("showmenu 3", before));
        editor.click(kFileMenuX, kOpenY);
        ASSERT_TRUE(editor.waitForLine("showmenu 7", before));
        editor.click(kNameFieldX, kNameFieldY);
        editor.moveTo(kMapX, kMapY);
        editor.type(kMapName);
        before = editor.lineCount();
        editor.click(kConfirmX, kDialogButtonY);
        ASSERT_TRUE(editor.waitForLine("unloading old map", before));
    }

    void chooseSelectTool()
    {
        const size_t before = editor.lineCount();
        editor.click(kToolX, kSelectToolY);
        ASSERT_TRUE(editor.waitForLine("showmenu 8", before));
    }

    void pickTheBox()
    {
        editor.moveTo(kBoxX, kBoxY);
        pause();
        editor.press(kBoxX, kBoxY);
        pause();
        editor.release(kBoxX, kBoxY);
        pause();
    }

    void editMenu(int entryY)
    {
        const size_t before = editor.lineCount();
        editor.click(kEditX, kTopBarY);
        ASSERT_TRUE(editor.waitForLine("showmenu 4", before));
        editor.click(kEditMenuX, entryY);
        pause();
        editor.moveTo(kMapX, kMapY);
        pause();
    }

    void holdKeys(const std::string& keys)
    {
        editor.moveTo(kMapX, kMapY);
        pause();
        editor.keyDown(keys);
        pause();
        editor.keyUp(keys);
        pause();
    }

    size_t savedObjects()
    {
        editor.moveTo(kMapX, kMapY);
        const size_t before = editor.lineCount();
        editor.keyDown("ctrl+s");
        EXPECT_TRUE(editor.waitForLine("saving map", before));
        editor.keyUp("ctrl+s");
        std::unique_ptr<Map> map = inWorkDir([] { return loadMap(kMapName); });
        return map ? map->objects.size() : 0;
    }

    EditorSession editor;
};

TEST_F(EditMenuEndToEnd, CopyThroughTheMenuPastesOnceThroughTheMenuAndOnceWithCtrlV)
{
    pickTheBox();
    editMenu(kCopyY);
    editMenu(kPasteY);
    holdKeys("ctrl+v");
    EXPECT_EQ(savedObjects(), 3u);
}

// The second Cut has nothing selected and keeps what the first one took.
TEST_F(EditMenuEndToEnd, CutTwiceStillPastesTheBox)
{
    pickTheBox();
    editMenu(kCutY);
    editMenu(kCutY);
    holdKeys("ctrl+v");
    EXPECT_EQ(savedObjects(), 1u);
}

}  // namespace
