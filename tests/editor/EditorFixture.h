#pragma once

// The editor's simulation, menus and application record as main builds
// them, in a runtime tree of their own with the images loaded, edit mode
// entered, the keyboard replaced by keys the test holds and the clock
// stepped by the test.
#include "editor/app/menus/MapEditorMenu.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/shell/Tick.h"
#include "editor/app/simulation/MapEditorSim.h"
#include "platform/KeyState.h"
#include "tests/editor/support/RuntimeTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

namespace quillow::test {

class HeldKeys : public platform::KeyStateSource {
public:
    bool isDown(int virtualKey) override { return held.count(virtualKey) != 0; }
    std::set<int> held;
};

class EditorFixture : public ::testing::Test {
protected:
    EditorFixture();
    ~EditorFixture() override;

    // One tick, 16 ms after the previous one.
    void step();
    void hold(int key) { keys->held.insert(key); }
    void let(int key) { keys->held.erase(key); }
    // The pointer at a window pixel, as the motion callback records it.
    void pointAt(int x, int y) { recordMotion(*app, x, y); }
    // A point on the map, away from every menu.
    void pointAtMap() { pointAt(600, 450); }
    void button(int glutButton, bool down);

    RuntimeTree tree;
    std::filesystem::path previousDirectory;
    HeldKeys* keys = nullptr;  // owned by the key state
    std::unique_ptr<MapEditorSim> sim;
    std::unique_ptr<MapEditorMenu> menus;
    std::unique_ptr<AppState> app;
    uint32_t now = 1000;
};

}  // namespace quillow::test
