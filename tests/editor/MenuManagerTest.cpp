// The menu manager's poll of the shown menus' action codes.
#include "editor/app/menus/MenuWindow.h"
#include "libs/zorir/Panel.h"
#include "libs/zorir/WindowManager.h"
#include "tests/editor/EditorFixture.h"

#include <GL/freeglut.h>

#include <set>

namespace {

using quillow::test::EditorFixture;

class MenuPoll : public EditorFixture {
protected:
    std::set<size_t> shown() const
    {
        std::set<size_t> result;
        for (size_t i = 0; i < menus->menus.size(); ++i) {
            if (menus->menus[i]->shownByManager) result.insert(i);
        }
        return result;
    }
};

struct CodeCase {
    MenuAction code;
    std::set<size_t> shown;  // besides the tool bar and the top bar
    uint16_t tool;
};

class ActionCodes : public MenuPoll, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(ActionCodes, ShowTheirMenusAndChooseTheirTool)
{
    app->currentTool = 7;  // no tool: the input pass must not run
    app->pointerInWindow = 0;
    menus->menu(kFileMenu)->actionCode = menu_action::kNone;
    menus->showMenu(kFileMenu, true);  // open drop-downs close for every code that acts
    menus->menu(kToolBarMenu)->actionCode = GetParam().code;
    step();
    std::set<size_t> expected{kToolBarMenu, kTopMenu};
    expected.insert(GetParam().shown.begin(), GetParam().shown.end());
    EXPECT_EQ(shown(), expected);
    EXPECT_EQ(app->currentTool, GetParam().tool);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ActionCodes,
    ::testing::Values(CodeCase{0, {kPropertyMenu}, 0}, CodeCase{1, {kCreateObjectMenu}, 1},
                      CodeCase{2, {kPropertyMenu}, 2}, CodeCase{15, {kFileMenu}, 7}, CodeCase{16, {kEditMenu}, 7},
                      CodeCase{17, {kViewMenu}, 7}, CodeCase{19, {kSaveMenu}, 7}, CodeCase{20, {kOpenMenu}, 7},
                      CodeCase{21, {}, 7}, CodeCase{23, {kMirrorMenu}, 7}));

// Codes that mean nothing leave the open File menu open.
TEST_F(MenuPoll, CodesWithoutMeaningDoNothing)
{
    menus->showMenu(kFileMenu, true);
    for (MenuAction code : {MenuAction{3}, MenuAction{14}, MenuAction{18}, MenuAction{24}, MenuAction{65535}}) {
        menus->menu(kToolBarMenu)->actionCode = code;
        step();
        EXPECT_EQ(shown(), (std::set<size_t>{kToolBarMenu, kTopMenu, kFileMenu})) << code;
        EXPECT_EQ(menus->menu(kToolBarMenu)->actionCode, code);
    }
}

TEST_F(MenuPoll, HandledCodesAreWrittenBackSoTheyActOnce)
{
    menus->menu(kToolBarMenu)->actionCode = menu_action::kCreateTool;
    step();
    EXPECT_EQ(menus->menu(kToolBarMenu)->actionCode, menu_action::kHandled);
    menus->menu(kTopMenu)->actionCode = menu_action::kShowFileMenu;
    step();
    EXPECT_EQ(menus->menu(kTopMenu)->actionCode, menu_action::kHandled);
}

TEST_F(MenuPoll, AMenuThatIsNotShownIsNeverPolled)
{
    menus->menu(kEditMenu)->actionCode = menu_action::kCreateTool;
    step();
    EXPECT_EQ(app->currentTool, 0);
    EXPECT_EQ(menus->menu(kEditMenu)->actionCode, menu_action::kCreateTool);
}

TEST_F(MenuPoll, AClickOnTheMapClosesTheDropDownsButAClickOnAMenuDoesNot)
{
    menus->showMenu(kFileMenu, true);
    pointAt(60, 100);  // inside the File menu
    button(GLUT_LEFT_BUTTON, true);
    step();
    EXPECT_TRUE(menus->menu(kFileMenu)->shownByManager);
    button(GLUT_LEFT_BUTTON, false);
    step();
    pointAtMap();
    button(GLUT_LEFT_BUTTON, true);
    step();
    EXPECT_FALSE(menus->menu(kFileMenu)->shownByManager);
}

TEST_F(MenuPoll, AnOpenDropDownListCountsAsMenu)
{
    Zorir::Panel list(Zorir::Rectangle(600, 400, 700, 500), nullptr, "");
    Zorir::WindowManager::instance().setPopupWindow(&list);
    pointAt(650, 450);
    step();
    EXPECT_TRUE(menus->mouseOverMenu);
    list.hide();
    step();
    EXPECT_FALSE(menus->mouseOverMenu);
    Zorir::WindowManager::instance().setPopupWindow(nullptr);
}

TEST_F(MenuPoll, AnIndexPastTheMenusIsReported)
{
    testing::internal::CaptureStdout();
    menus->showMenu(kMenuCount, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "incorrect menuID\n");
}

}  // namespace
