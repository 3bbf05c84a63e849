#include "editor/app/simulation/MapEditorSim.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/menus/EditorCreateObjectMenu.h"
#include "editor/app/menus/EditorEditorMenu.h"
#include "editor/app/menus/MenuManager.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/simulation/MapName.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/app/tools/CreateTool.h"
#include "editor/app/tools/SelectTool.h"
#include "editor/app/tools/UVTool.h"
#include "editor/world/Map_Aabb.h"
#include "platform/KeyCodes.h"
#include "editor/world/Map.h"
#include "editor/world/MapFile.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Spawn.h"
#include "editor/world/TextureManager.h"

#include <GL/freeglut.h>

#include <cmath>
#include <iostream>
#include <numbers>

namespace {

uint32_t textureOf(const char* name)
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

MenuManager* menus()
{
    AppState* app = AppState::current();
    return app ? app->menuManager : nullptr;
}

void openDialog(MenuIndex dialog)
{
    if (MenuManager* manager = menus()) {
        manager->hideForDialog();
        manager->showMenu(dialog, true);
    }
}

}  // namespace

MapEditorSim::MapEditorSim()
    : controlShortcuts_{{
          {KeyLatch('S'),
           [](MapEditorSim& sim) {
               if (!sim.getMapName().empty()) sim.saveMap();
               else openDialog(kSaveMenu);
           }},
          {KeyLatch('O'), [](MapEditorSim&) { openDialog(kOpenMenu); }},
          {KeyLatch('X'), [](MapEditorSim& sim) { sim.cutSelection(); }},
          {KeyLatch('C'), [](MapEditorSim& sim) { sim.copySelection(); }},
          {KeyLatch('V'), [](MapEditorSim& sim) { sim.pasteSelection(); }},
      }}
{
    // The property panel edits selections it does not own: it lets go of
    // each one before the list deletes it.
    MapSimulationManager::selections.setRemovalListener([](const Selection& gone) {
        if (EditorEditorMenu* panel = propertyPanel()) panel->forgetSelection(gone);
    });
    tools.push_back(std::make_unique<SelectTool>(*this));
    tools.push_back(std::make_unique<CreateTool>(*this));
    tools.push_back(std::make_unique<UVTool>(*this));
}

MapEditorSim::~MapEditorSim()
{
    // The selections read this scene; they go while it is whole.
    clearSelections();
}

void MapEditorSim::Tick()
{
    // Kept here rather than in the input pass, which does not run while the
    // pointer is over a menu: a key or button let go there must not leave a
    // stale latch or a press the tool would still be dragging.
    for (ControlShortcut& shortcut : controlShortcuts_) shortcut.latch.clearIfUp();
    finishUnseenRelease();
}

// The tool that took a press hears it end even when the pointer was let go
// over a menu or outside the window, where no input pass runs: at the last
// point the tool saw, so that what it shows (a box being dragged out, a
// selection band) ends as shown, not left on screen without being in the map.
void MapEditorSim::finishUnseenRelease()
{
    AppState* app = AppState::current();
    if (!app || app->leftDown || !leftPressAccepted) return;
    leftPressAccepted = 0;
    currentTool().leftRelease(lastToolPoint_.x, lastToolPoint_.y, objectType());
}

void MapEditorSim::LoadSim()
{
    AppState* app = AppState::current();
    cursorCircle_ = std::make_unique<Map_Circle>(Vec2(0, 0), 1.0f, 1, textureOf("pink"));
    marqueeBox = std::make_unique<Map_Aabb>(Vec2(0, 0), 10.0f, 10.0f, 1, textureOf("lightgrey"), 0, 0.0f, kUvTile);
    gameMode = 1;
    mouseCapture = app->startMode == 1 ? 1 : 0;
    teamCount1 = teamCount2 = 0;
    rebuildDrawList();
    if (glutGetWindow()) glutWarpPointer(app->windowCenterX, app->windowCenterY);
    if (app->startMode == 0) {
        camera->viewHeight /= 2.0f;
        camera->viewWidth = camera->viewHeight * camera->aspect;
    }
    if (MenuManager* manager = menus()) {
        createObjectMenu = dynamic_cast<EditorCreateObjectMenu*>(manager->menu(kCreateObjectMenu));
    }
    pointMarkerPrototype =
        std::make_unique<Map_Aabb>(Vec2(0, 0), 5.0f, 5.0f, 1, textureOf("pink"), 0, 0.0f, kUvTile);
}

void MapEditorSim::processInput()
{
    AppState* app = AppState::current();
    handleShortcuts();
    dispatchMouse();
    if (mouseCapture) {
        captureDelta = Vec2(static_cast<float>(app->mouseX) - captureCentre.x,
                            -(static_cast<float>(app->mouseY) - captureCentre.y));
        if (glutGetWindow()) glutWarpPointer(app->windowCenterX, app->windowCenterY);
        captureCentre = Vec2(static_cast<float>(app->windowCenterX), static_cast<float>(app->windowCenterY));
    }
}

void MapEditorSim::handleShortcuts()
{
    if (runControlShortcuts() || keysAreText()) return;
    runHeldKeys();
    runGridKeys();
    if (platform::isKeyDown(platform::vk::kDelete)) deleteSelection();
    currentTool().handleKeys();
}

bool MapEditorSim::runControlShortcuts()
{
    AppState* app = AppState::current();
    if (app->leftDown || app->rightDown || !platform::isKeyDown(platform::vk::kControl)) return false;
    for (ControlShortcut& shortcut : controlShortcuts_) {
        if (!platform::isKeyDown(shortcut.latch.key())) {
            shortcut.latch.clearIfUp();
            continue;
        }
        if (!shortcut.latch.isSet()) {
            shortcut.latch.set();
            shortcut.action(*this);
        }
        return true;
    }
    return false;
}

void MapEditorSim::runHeldKeys()
{
    const float step = 0.01f * camera->viewWidth;
    if (platform::isKeyDown('W')) camera->pan(Vec2(0, step));
    if (platform::isKeyDown('S')) camera->pan(Vec2(0, -step));
    if (platform::isKeyDown('A')) camera->pan(Vec2(-step, 0));
    if (platform::isKeyDown('D')) camera->pan(Vec2(step, 0));
    if (platform::isKeyDown('L')) mouseCapture = 0;
    if (platform::isKeyDown('K')) mouseCapture = 1;
    if (platform::isKeyDown('P')) glutFullScreen();
    if (platform::isKeyDown('O')) {
        glutReshapeWindow(800, 600);
        glutPositionWindow(50, 50);
    }
}

void MapEditorSim::runGridKeys()
{
    const bool minus = platform::isKeyDown(platform::vk::kOemMinus);
    const bool plus = platform::isKeyDown(platform::vk::kOemPlus);
    if (minusHeld_ && !minus) shrinkGrid();
    if (plusHeld_ && !plus) growGrid();
    minusHeld_ = minus;
    plusHeld_ = plus;
    if (platform::isKeyDown('Q')) camera->scaleHeight(1.01f);
    else if (platform::isKeyDown('E')) camera->scaleHeight(0.99f);
}

EditorTool& MapEditorSim::currentTool()
{
    return *tools.at(AppState::current()->currentTool);
}

void MapEditorSim::dispatchMouse()
{
    AppState* app = AppState::current();
    const Vec2 p = camera->windowToWorld(app->mouseX, app->mouseY, app->windowRect.width, app->windowRect.height);
    EditorTool& tool = currentTool();
    lastToolPoint_ = p;
    tool.mouseMove(p.x, p.y);
    if (dispatchButtons(tool, p)) moveCameraWithRightButton(p);
}

bool MapEditorSim::dispatchButtons(EditorTool& tool, const Vec2& p)
{
    AppState* app = AppState::current();
    if (app->rightDown && !app->prevRightDown) tool.rightPress(p.x, p.y, objectType());
    else if (app->rightDown && app->prevRightDown) tool.rightDrag(p.x, p.y, objectType());
    else if (!app->rightDown && app->prevRightDown) tool.rightRelease(p.x, p.y, objectType());

    // A held or released button whose press the tool never saw (it began
    // over a menu) ends the pass.
    if (app->leftDown && !app->prevLeftDown) {
        leftPressAccepted = 1;
        tool.leftPress(p.x, p.y, objectType());
    } else if (app->leftDown && app->prevLeftDown) {
        if (!leftPressAccepted) return false;
        tool.leftDrag(p.x, p.y, objectType());
    } else if (!app->leftDown && app->prevLeftDown) {
        if (!leftPressAccepted) return false;
        leftPressAccepted = 0;
        tool.leftRelease(p.x, p.y, objectType());
    }
    return true;
}

std::string MapEditorSim::objectType() const
{
    return createObjectMenu ? createObjectMenu->objectTypeText() : std::string();
}

void MapEditorSim::moveCameraWithRightButton(const Vec2& p)
{
    AppState* app = AppState::current();
    if (!app->rightDown) return;
    if (!app->prevRightDown) {
        rightAnchor = p;
        return;
    }
    if (platform::isKeyDown(platform::vk::kControl)) camera->zoomStep(p, rightAnchor);
    else camera->pan(Vec2(rightAnchor.x - p.x, rightAnchor.y - p.y));
}

Circle& MapEditorSim::cursorCircle()
{
    return *cursorCircle_;
}

float MapEditorSim::viewWidth() const
{
    return camera->viewWidth;
}

void MapEditorSim::clearSelections()
{
    MapSimulationManager::selections.clear();
}

void MapEditorSim::clearForNewMap()
{
    clearSelections();
    map->unload();
}

void MapEditorSim::installMap(std::unique_ptr<Map> newMap)
{
    map = std::move(newMap);
}

void MapEditorSim::newMap()
{
    clearForNewMap();
    installMap(std::make_unique<Map>());
    // A new map is not the file opened before: the next Save asks for a name.
    mapName.clear();
}

bool MapEditorSim::openMap(const std::string& name)
{
    if (const std::string problem = mapNameProblem(name); !problem.empty()) {
        std::cout << "ERROR: cannot open the map \"" << name << "\": " << problem << std::endl;
        return false;
    }
    // Loaded before anything is dropped, so a file that fails leaves the
    // current map as it was.
    std::unique_ptr<Map> loaded = loadMap(name);
    if (!loaded) {
        std::cout << "ERROR: the map \"" << name << "\" could not be opened; the current map stays" << std::endl;
        return false;
    }
    clearForNewMap();
    installMap(std::move(loaded));
    mapName = name;
    for (GameObject* object : map->objects) addObject(object);
    updateParallax();
    return true;
}

bool MapEditorSim::saveMap()
{
    if (const std::string problem = mapNameProblem(mapName); !problem.empty()) {
        std::cout << "ERROR: cannot save the map \"" << mapName << "\": " << problem << std::endl;
        return false;
    }
    if (!::saveMap(*map, mapName)) {
        std::cout << "ERROR: the map \"" << mapName << "\" was not saved" << std::endl;
        return false;
    }
    std::cout << "saving map" << std::endl;
    return true;
}

bool MapEditorSim::saveMapAs(const std::string& name)
{
    const std::string previous = mapName;
    mapName = name;
    if (saveMap()) return true;
    mapName = previous;
    return false;
}

void MapEditorSim::copySelectedObjects(bool announce)
{
    std::vector<std::unique_ptr<GameObject>> copies;
    for (const Selection* selection : MapSimulationManager::selections.atLevel(true)) {
        if (announce) std::cout << "a" << std::endl;
        if (auto* picked = dynamic_cast<const ObjectSelection*>(selection)) copies.push_back(picked->object().clone());
    }
    // With no object selected the clipboard keeps what it held, so a stray
    // Copy or a second Cut does not throw away what was copied before.
    if (!copies.empty()) clipboard = std::move(copies);
}

void MapEditorSim::copySelection()
{
    copySelectedObjects(false);
}

void MapEditorSim::cutSelection()
{
    copySelectedObjects(true);
    deleteSelection();
}

void MapEditorSim::pasteSelection()
{
    if (clipboard.empty()) return;
    Vec2 mean;
    for (const auto& object : clipboard) {
        mean.x += object->center.x;
        mean.y += object->center.y;
    }
    const float count = static_cast<float>(clipboard.size());
    mean = Vec2(mean.x / count, mean.y / count);
    for (const auto& object : clipboard) {
        std::unique_ptr<GameObject> copy = object->clone();
        copy->moveTo(Vec2(camera->position.x + object->center.x - mean.x,
                          camera->position.y + object->center.y - mean.y));
        addPastedCopy(std::move(copy));
    }
}

void MapEditorSim::addPastedCopy(std::unique_ptr<GameObject> copy)
{
    const std::string image =
        copy->drawables.empty() ? "" : TextureManager::instance()->getTextureName(copy->drawables.front()->img);
    for (uint16_t side : {uint16_t{0}, uint16_t{1}}) {
        if (image != spawnMarkerImage(side)) continue;
        // A copied spawn marker pastes as a spawn of its side.
        auto spawn = std::make_unique<Spawn>();
        createSpawnMarker(*spawn, side, copy->center);
        map->addSpawn(std::move(spawn));
        return;
    }
    addNewObject(copy.release());
}

void MapEditorSim::deleteSelection()
{
    for (const Selection* selection : MapSimulationManager::selections.atLevel(true)) {
        auto* picked = dynamic_cast<const ObjectSelection*>(selection);
        if (!picked) continue;
        GameObject* object = &picked->object();
        map->objects.remove(object);
        AppState::current()->simulation->removeObject(object);
        object->markedForDelete = true;
    }
    clearSelections();
}

bool MapEditorSim::gameModeHook()
{
    if (gameMode == 0) std::cout << "Free-For-All" << std::endl;
    else if (gameMode == 1) std::cout << "Team Deathmatch" << std::endl;
    return true;
}

int32_t MapEditorSim::chooseTeam()
{
    if (teamCount1 > teamCount2) {
        ++teamCount2;
        return 2;
    }
    ++teamCount1;
    return 1;
}

void MapEditorSim::leaveTeam(GameObject* object)
{
    if (object->alignment == 1) --teamCount1;
    else if (object->alignment == 2) --teamCount2;
}

int32_t MapEditorSim::checkPolygon()
{
    const size_t n = polygonMarkers.size();
    if (n == 0) return 3;
    bool allPositive = true;
    bool allNegative = true;
    for (size_t i = 0; i < n; ++i) {
        const Vec2& previous = polygonMarkers[(i + n - 1) % n]->center;
        const Vec2& current = polygonMarkers[i]->center;
        const Vec2& next = polygonMarkers[(i + 1) % n]->center;
        const float ax = current.x - previous.x, ay = current.y - previous.y;
        const float bx = next.x - current.x, by = next.y - current.y;
        // Signed turn from the incoming to the outgoing edge, in degrees:
        // positive for a left turn (y up), so an outline that turns left at
        // every point, counter-clockwise, is the one kept as clicked. Going
        // straight on or straight back is no turn either way, whatever the
        // sign of its zero: two points, or points on one line, enclose
        // nothing and must not make a polygon.
        const float cross = ax * by - ay * bx;
        const double angle = cross == 0.0f ? 0.0 : 180.0 / std::numbers::pi * std::atan2(cross, ax * bx + ay * by);
        allPositive = allPositive && angle > 0.0;
        allNegative = allNegative && angle < 0.0;
    }
    if (allPositive) return 1;
    if (allNegative) return 2;
    return 3;
}
