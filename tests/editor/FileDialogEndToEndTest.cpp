// The Open dialog's list of map files, clicked as a user does.
#include "tests/editor/support/EditorSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using quillow::test::EditorSession;

constexpr int kMapX = 800, kMapY = 600;
constexpr int kFileX = 48, kTopBarY = 14;
constexpr int kFileMenuX = 60, kNewY = 48, kSaveAsY = 112, kOpenY = 144;
constexpr int kNameFieldX = 420, kNameFieldY = 450;
constexpr int kConfirmX = 342, kDialogButtonY = 479;
// The first row of the dialogs' file list.
constexpr int kFirstRowX = 200, kFirstRowY = 92;

// The editor samples the pointer once per tick; give it a few.
void letTheEditorSee()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

TEST(FileDialogEndToEnd, ARowClickedInTheOpenDialogIsTheMapOpened)
{
    EditorSession editor;
    ASSERT_TRUE(editor.start());
    size_t before = editor.lineCount();
    editor.click(kFileX, kTopBarY);
    ASSERT_TRUE(editor.waitForLine("showmenu 3", before));
    editor.click(kFileMenuX, kSaveAsY);
    ASSERT_TRUE(editor.waitForLine("showmenu 6", before));
    editor.click(kNameFieldX, kNameFieldY);
    editor.moveTo(kMapX, kMapY);
    editor.type("listed.xml");
    editor.click(kConfirmX, kDialogButtonY);
    ASSERT_TRUE(editor.waitForLine("saving map", before));

    // New forgets the name, so only an opened map can be saved without a dialog.
    before = editor.lineCount();
    editor.click(kFileX, kTopBarY);
    ASSERT_TRUE(editor.waitForLine("showmenu 3", before));
    editor.click(kFileMenuX, kNewY);
    ASSERT_TRUE(editor.waitForLine("unloading old map", before));

    before = editor.lineCount();
    editor.click(kFileX, kTopBarY);
    ASSERT_TRUE(editor.waitForLine("showmenu 3", before));
    editor.click(kFileMenuX, kOpenY);
    ASSERT_TRUE(editor.waitForLine("showmenu 7", before));
    editor.click(kFirstRowX, kFirstRowY);
    letTheEditorSee();
    editor.click(kConfirmX, kDialogButtonY);
    letTheEditorSee();

    std::filesystem::remove(editor.mapPath("listed.xml"));
    editor.moveTo(kMapX, kMapY);
    const size_t opened = editor.lineCount();
    editor.keyDown("ctrl+s");
    EXPECT_TRUE(editor.waitForLine("saving map", opened));
    editor.keyUp("ctrl+s");
    EXPECT_TRUE(std::filesystem::exists(editor.mapPath("listed.xml")));
}

}  // namespace
