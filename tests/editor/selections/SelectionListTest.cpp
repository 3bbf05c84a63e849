#include "TestScene.h"

#include "editor/app/selections/ImgGeoSelection.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/world/Map_Aabb.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Whoever holds selection pointers besides the list hears of each deletion
// before it happens, however the selection leaves.
TEST(SelectionList, EveryRemovalIsAnnouncedBeforeTheSelectionGoes)
{
    Map_Aabb a(Vec2(0, 0), 10.0f, 10.0f, 1, 0, 0, 0.0f, kUvTile);
    Map_Aabb b(Vec2(50, 0), 10.0f, 10.0f, 1, 0, 0, 0.0f, kUvTile);
    std::vector<const Selection*> held;
    {
        TestScene scene;
        scene.list.setRemovalListener([&](const Selection& gone) {
            // Still whole when announced.
            EXPECT_NE(gone.target(), nullptr);
            held.erase(std::remove(held.begin(), held.end(), &gone), held.end());
        });
        const auto add = [&](std::unique_ptr<Selection> s) {
            held.push_back(&scene.list.append(std::move(s)));
        };
        add(std::make_unique<ObjectSelection>(scene, a));
        add(std::make_unique<ObjectSelection>(scene, b));
        add(std::make_unique<ImgGeoSelection>(scene, *a.drawables[0], a));
        add(std::make_unique<ObjectSelection>(scene, b));

        scene.list.remove(scene.list[1]);
        EXPECT_EQ(held.size(), 3u);
        EXPECT_EQ(scene.list.atLevel(false).size(), 1u);
        scene.list.removeIf([](const Selection& s) { return !s.objectLevel(); });
        const auto left = scene.list.snapshot();
        EXPECT_EQ(held, std::vector<const Selection*>(left.begin(), left.end()));
        scene.list.clear();
        EXPECT_TRUE(held.empty());
        add(std::make_unique<ObjectSelection>(scene, a));
    }
    // The list's own end announces its last selection too.
    EXPECT_TRUE(held.empty());
}

}  // namespace
