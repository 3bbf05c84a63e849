// The cost of the editor's frame with a large map: the tick (input pass,
// update, menu poll), the draw pass of the simulation and the menus, and the
// list work of adding, ordering and removing objects. Run it under an X
// server: tests/support/with-xvfb build/release/bench/editor/editor_frame_bench
#include "editor/app/menus/MapEditorMenu.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/shell/Tick.h"
#include "editor/app/simulation/MapEditorSim.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/TextureManager.h"
#include "platform/KeyState.h"
#include "tests/editor/support/RuntimeTree.h"
#include "tests/support/GlTestContext.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

constexpr int kObjects = 5000;

class NoKeys : public platform::KeyStateSource {
public:
    bool isDown(int) override { return false; }
};

uint32_t texture(const char* name)
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

// Boxes (half of them bordered), circles and polygons on twenty layers,
// spread over a 20000 x 15000 area around the origin.
GameObject* makeObject(int i)
{
    const Vec2 at(static_cast<float>((i * 7919) % 20000 - 10000), static_cast<float>((i * 104729) % 15000 - 7500));
    const uint16_t layer = static_cast<uint16_t>(1 + i % 20);
    switch (i % 3) {
    case 0:
        return new Map_Aabb(at, 120.0f, 80.0f, layer, texture("bricks"), texture("stone"), i % 2 ? 12.0f : 0.0f,
                            kUvTile);
    case 1: return new Map_Circle(at, 60.0f, layer, texture("grass"));
    default:
        return new Map_Poly({{-60, -40}, {70, -30}, {40, 60}, {-50, 50}}, at, layer, 10.0f, texture("water"),
                            texture("sand"));
    }
}

// The editor as main builds it, in edit mode, in the window of the test
// context sized like the editor's, showing the whole map.
class Editor {
public:
    Editor()
    {
        std::filesystem::current_path(tree.workDir());
        quillow::test::ensureGlContext(1024, 768);
        platform::setKeyStateSource(std::make_unique<NoKeys>());
        TextureManager::instance()->loadAllImages();
        menus->populateMenus();
        sim->startUp();
        app.simulationOn = 1;
        app.camera->setZoom(24000.0f);
        glViewport(0, 0, 1024, 768);
        for (int i = 0; i < kObjects; ++i) sim->addNewObject(makeObject(i));
    }

    quillow::test::RuntimeTree tree;
    std::unique_ptr<MapEditorSim> sim = std::make_unique<MapEditorSim>();
    std::unique_ptr<MapEditorMenu> menus = std::make_unique<MapEditorMenu>();
    AppState app{sim.get(), menus.get()};
    uint32_t now = 1000;
};

Editor& editor()
{
    static Editor* instance = new Editor;
    return *instance;
}

void BM_Tick(benchmark::State& state)
{
    Editor& e = editor();
    e.app.mouseX = 600;
    e.app.mouseY = 450;
    for (auto _ : state) tick(e.app, e.now += 16);
    state.counters["objects"] = static_cast<double>(e.sim->objects.size());
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMillisecond);

// One display callback: the map with grid, outlines off, then the menus.
void BM_Frame(benchmark::State& state)
{
    Editor& e = editor();
    for (auto _ : state) {
        e.app.frameStamp = e.now += 16;
        e.sim->render();
        e.menus->draw();
        glFinish();
    }
    state.counters["objects"] = static_cast<double>(e.sim->drawList.size());
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMillisecond);

// The two halves of a frame apart, with the whole map in view or the
// editor's start view (a quarter of the map's width).
void BM_DrawMap(benchmark::State& state)
{
    Editor& e = editor();
    const float width = e.app.camera->viewWidth;
    e.app.camera->setZoom(static_cast<float>(state.range(0)));
    for (auto _ : state) {
        e.app.frameStamp = e.now += 16;
        e.sim->render();
        glFinish();
    }
    e.app.camera->setZoom(width);
}
BENCHMARK(BM_DrawMap)->Arg(24000)->Arg(3150)->Unit(benchmark::kMillisecond);

void BM_DrawMenus(benchmark::State& state)
{
    Editor& e = editor();
    for (auto _ : state) {
        e.menus->draw();
        glFinish();
    }
}
BENCHMARK(BM_DrawMenus)->Unit(benchmark::kMillisecond);

void BM_RebuildDrawList(benchmark::State& state)
{
    Editor& e = editor();
    for (auto _ : state) e.sim->rebuildDrawList();
}
BENCHMARK(BM_RebuildDrawList)->Unit(benchmark::kMillisecond);

// Adding a whole map's objects one by one, as opening a map does, and
// removing them all again in one update, as New does.
void BM_AddAndRemoveAll(benchmark::State& state)
{
    Editor& e = editor();
    std::vector<GameObject*> batch;
    for (auto _ : state) {
        state.PauseTiming();
        batch.clear();
        for (int i = 0; i < kObjects; ++i) batch.push_back(makeObject(i));
        state.ResumeTiming();
        for (GameObject* object : batch) e.sim->addObject(object);
        for (GameObject* object : batch) object->markedForDelete = true;
        e.sim->update();
    }
}
BENCHMARK(BM_AddAndRemoveAll)->Unit(benchmark::kMillisecond);

}  // namespace
