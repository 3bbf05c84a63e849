#include "tests/editor/EditorFixture.h"

#include "editor/world/TextureManager.h"
#include "tests/support/GlTestContext.h"

#include <GL/freeglut.h>

namespace quillow::test {

EditorFixture::EditorFixture() : previousDirectory(std::filesystem::current_path())
{
    std::filesystem::current_path(tree.workDir());
    ensureGlContext();
    auto heldKeys = std::make_unique<HeldKeys>();
    keys = heldKeys.get();
    platform::setKeyStateSource(std::move(heldKeys));
    sim = std::make_unique<MapEditorSim>();
    menus = std::make_unique<MapEditorMenu>();
    app = std::make_unique<AppState>(sim.get(), menus.get());
    static bool imagesLoaded = false;
    if (!imagesLoaded) TextureManager::instance()->loadAllImages();
    imagesLoaded = true;
    menus->populateMenus();
    sim->startUp();
    app->simulationOn = 1;
    app->lastTickTime = now;
    pointAtMap();
}

EditorFixture::~EditorFixture()
{
    sim.reset();
    menus.reset();
    app.reset();
    platform::setKeyStateSource(nullptr);
    std::filesystem::current_path(previousDirectory);
}

void EditorFixture::step()
{
    now += 16;
    tick(*app, now);
}

void EditorFixture::button(int glutButton, bool down)
{
    recordMouseButton(*app, glutButton, down ? GLUT_DOWN : GLUT_UP);
}

}  // namespace quillow::test
