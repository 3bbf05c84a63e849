// How mouse buttons recorded between ticks reach the current tool.
#include "editor/app/tools/EditorTool.h"
#include "tests/editor/EditorFixture.h"

#include <GL/freeglut.h>

#include <string>
#include <vector>

namespace {

using quillow::test::EditorFixture;

// Records the calls it gets, except the pointer moves that every pass makes.
class RecordingTool : public EditorTool {
public:
    explicit RecordingTool(std::vector<std::string>& calls) : calls_(calls) {}
    void mouseMove(float, float) override { calls_.push_back("move"); }
    void handleKeys() override {}
    void leftPress(float, float, std::string type) override { calls_.push_back("leftPress " + type); }
    void leftDrag(float, float, std::string) override { calls_.push_back("leftDrag"); }
    void leftRelease(float, float, std::string) override { calls_.push_back("leftRelease"); }
    void rightPress(float, float, std::string) override { calls_.push_back("rightPress"); }
    void rightDrag(float, float, std::string) override { calls_.push_back("rightDrag"); }
    void rightRelease(float, float, std::string) override { calls_.push_back("rightRelease"); }

private:
    std::vector<std::string>& calls_;
};

class InputPass : public EditorFixture {
protected:
    InputPass() { sim->tools[0] = std::make_unique<RecordingTool>(calls); }

    // The calls of the tool other than the pointer moves.
    std::vector<std::string> buttonCalls() const
    {
        std::vector<std::string> result;
        for (const std::string& call : calls) {
            if (call != "move") result.push_back(call);
        }
        return result;
    }

    // Runs a script: "L+"/"L-" left down/up, "R+"/"R-" right, "W" a wheel
    // tick, "menu"/"map" the pointer onto the top bar or the map, "t" a tick.
    void run(const std::vector<std::string>& script)
    {
        for (const std::string& action : script) {
            if (action == "L+") button(GLUT_LEFT_BUTTON, true);
            else if (action == "L-") button(GLUT_LEFT_BUTTON, false);
            else if (action == "R+") button(GLUT_RIGHT_BUTTON, true);
            else if (action == "R-") button(GLUT_RIGHT_BUTTON, false);
            else if (action == "W") wheel();
            else if (action == "menu") pointAt(100, 10);
            else if (action == "map") pointAtMap();
            else if (action == "t") step();
            else FAIL() << "unknown action " << action;
        }
    }

    void wheel()
    {
        recordMouseButton(*app, 3, GLUT_DOWN);
        recordMouseButton(*app, 3, GLUT_UP);
    }

    std::vector<std::string> calls;
};

struct ButtonCase {
    const char* name;
    std::vector<std::string> script;
    std::vector<std::string> expected;
};

class ButtonEdges : public InputPass, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonEdges, ReachTheToolAsPressDragAndRelease)
{
    run(GetParam().script);
    EXPECT_EQ(buttonCalls(), GetParam().expected);
}

const std::string kPress = "leftPress circle";

INSTANTIATE_TEST_SUITE_P(
    Scripts, ButtonEdges,
    ::testing::Values(
        ButtonCase{"PressHoldRelease", {"L+", "t", "t", "t", "L-", "t", "t"}, {kPress, "leftDrag", "leftDrag", "leftRelease"}},
        // Both edges between two ticks, as a quick click makes them: the
        // press counts on the next tick, its release on the one after.
        ButtonCase{"PressAndReleaseInOneTick", {"L+", "L-", "t", "t", "t"}, {kPress, "leftRelease"}},
        ButtonCase{"RightPressAndReleaseInOneTick", {"R+", "R-", "t", "t", "t"}, {"rightPress", "rightRelease"}},
        // A click while the button was seen up, and a second click after.
        ButtonCase{"TwoQuickClicks", {"L+", "L-", "t", "t", "L+", "L-", "t", "t"},
                   {kPress, "leftRelease", kPress, "leftRelease"}},
        // A press over a menu is the menu's; its drag and release over the
        // map are not the tool's.
        ButtonCase{"PressOverMenuReleaseOnMap", {"menu", "t", "L+", "t", "map", "t", "t", "L-", "t"}, {}},
        // A wheel tick is no button: it must not make the press look old.
        ButtonCase{"WheelDuringPress", {"L+", "W", "t", "W", "t", "L-", "t"}, {kPress, "leftDrag", "leftRelease"}},
        // A press released over a menu still ends for the tool that took
        // it; a later press over the menu dragged onto the map stays the menu's.
        ButtonCase{"ReleaseOverMenuEndsThePress",
                   {"t", "L+", "t", "menu", "t", "L-", "t", "L+", "t", "map", "t", "t", "L-", "t"},
                   {kPress, "leftRelease"}},
        // The pointer leaves the menu and the button goes down within one
        // tick: the press is on the map.
        ButtonCase{"MoveOffMenuAndPressInOneTick", {"menu", "t", "map", "L+", "L-", "t", "t"}, {kPress, "leftRelease"}},
        ButtonCase{"RightBeforeLeftInOnePass", {"R+", "L+", "t", "R-", "L-", "t"},
                   {"rightPress", kPress, "rightRelease", "leftRelease"}}),
    [](const ::testing::TestParamInfo<ButtonCase>& info) { return std::string(info.param.name); });

TEST_F(InputPass, EveryPassMovesThePointerFirst)
{
    run({"R+", "L+", "t"});
    EXPECT_EQ(calls, (std::vector<std::string>{"move", "rightPress", kPress}));
}

TEST_F(InputPass, NoInputReachesTheToolWhileThePointerIsOutsideTheWindow)
{
    app->pointerInWindow = 0;
    run({"L+", "t", "t", "L-", "t"});
    EXPECT_TRUE(calls.empty());
}

// Dragged out of the window, where no pass runs, the press still ends.
TEST_F(InputPass, APressReleasedOutsideTheWindowEndsForTheTool)
{
    run({"L+", "t", "t"});
    app->pointerInWindow = 0;
    run({"t", "L-", "t", "t"});
    EXPECT_EQ(buttonCalls(), (std::vector<std::string>{kPress, "leftDrag", "leftRelease"}));
}

TEST_F(InputPass, TheClockAddsTheTimeBetweenTicks)
{
    app->simTime = 0;
    app->lastTickTime = 1000;
    tick(*app, 1016);
    tick(*app, 1056);  // a tick 40 ms late still counts every millisecond
    EXPECT_EQ(app->simTime, 56u);
    EXPECT_EQ(rearmDelay(16, 40), 0u);
    EXPECT_EQ(rearmDelay(16, 16), 0u);
    EXPECT_EQ(rearmDelay(16, 3), 13u);
}

}  // namespace
