// Keyboard shortcuts, polled once per tick.
#include "editor/app/menus/MenuWindow.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/Map_Aabb.h"
#include "platform/KeyCodes.h"
#include "tests/editor/EditorFixture.h"

namespace {

using quillow::test::EditorFixture;
namespace vk = platform::vk;

class Shortcuts : public EditorFixture {
protected:
    Shortcuts()
    {
        sim->addNewObject(new Map_Aabb(Vec2(0.0f, 0.0f), 40.0f, 20.0f, 3, 0, 0, 0.0f, kUvTile));
        sim->saveMapAs("shortcuts.xml");
    }

    // Runs ticks with the output captured; how many saves they made.
    template <class Steps>
    size_t savesDuring(Steps steps)
    {
        testing::internal::CaptureStdout();
        steps();
        const std::string output = testing::internal::GetCapturedStdout();
        size_t count = 0;
        for (size_t at = output.find("saving map"); at != std::string::npos; at = output.find("saving map", at + 1))
            ++count;
        return count;
    }
};

TEST_F(Shortcuts, CtrlSSavesOncePerPressOfS)
{
    EXPECT_EQ(savesDuring([&] {
                  hold(vk::kControl);
                  hold('S');
                  step();
                  step();
                  step();
                  let('S');
                  step();
                  hold('S');
                  step();
              }),
              2u);
}

TEST_F(Shortcuts, CtrlSSavesAgainAfterCtrlWasLetGoFirst)
{
    EXPECT_EQ(savesDuring([&] {
                  hold(vk::kControl);
                  hold('S');
                  step();
                  let(vk::kControl);
                  step();
                  pointAt(100, 10);  // over the top bar: no input pass
                  step();
                  let('S');
                  step();
                  pointAtMap();
                  step();
                  hold(vk::kControl);
                  hold('S');
                  step();
              }),
              2u);
}

TEST_F(Shortcuts, AHeldControlShortcutStopsTheOtherKeys)
{
    const Vec2 before = app->camera->position;
    hold(vk::kControl);
    hold('S');  // also "pan down" without Ctrl
    hold('A');
    savesDuring([&] {
        step();
        step();
    });
    EXPECT_FLOAT_EQ(app->camera->position.x, before.x);
    EXPECT_FLOAT_EQ(app->camera->position.y, before.y);
    let(vk::kControl);
    let('S');
    step();
    EXPECT_LT(app->camera->position.x, before.x);
}

TEST_F(Shortcuts, CtrlSWithoutANameOpensTheSaveAsDialog)
{
    sim->newMap();
    hold(vk::kControl);
    hold('S');
    EXPECT_EQ(savesDuring([&] { step(); }), 0u);
    EXPECT_TRUE(menus->menu(kSaveMenu)->shownByManager);
}

TEST_F(Shortcuts, GridKeysActOnReleaseWithinTheirBounds)
{
    const auto tap = [&](int key) {
        hold(key);
        step();
        let(key);
        step();
    };
    hold(vk::kOemMinus);
    step();
    EXPECT_EQ(sim->gridSize, 128);
    let(vk::kOemMinus);
    step();
    EXPECT_EQ(sim->gridSize, 64);
    for (int i = 0; i < 6; ++i) tap(vk::kOemMinus);
    EXPECT_EQ(sim->gridSize, 4);
    for (int i = 0; i < 12; ++i) tap(vk::kOemPlus);
    EXPECT_EQ(sim->gridSize, 2048);
}

}  // namespace
