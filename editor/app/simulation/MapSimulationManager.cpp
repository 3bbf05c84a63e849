#include "editor/app/simulation/MapSimulationManager.h"

#include "editor/app/menus/MenuManager.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/simulation/DrawnExtent.h"
#include "editor/app/simulation/FrameTimeOverlay.h"
#include "editor/app/simulation/GridLines.h"
#include "editor/app/simulation/MessageConsole.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/app/tools/EditorTool.h"
#include "editor/world/Aabb.h"
#include "editor/world/Bounds.h"
#include "editor/world/ImageGeometry.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/SimulationClock.h"
#include "editor/world/TextureManager.h"
#include "platform/KeyState.h"

#include <GL/gl.h>

#include <algorithm>
#include <iostream>
#include <unordered_set>

namespace {

// Before the first entry whose layer is not above the object's: higher
// layers first, the newest first among equal layers.
void insertOrdered(std::vector<GameObject*>& list, GameObject* object)
{
    const auto at = std::partition_point(list.begin(), list.end(),
                                         [object](const GameObject* entry) { return entry->layer > object->layer; });
    list.insert(at, object);
}

uint32_t textureOf(const char* name)
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

}  // namespace

MapSimulationManager::MapSimulationManager() = default;

MapSimulationManager::~MapSimulationManager()
{
    if (installedClock_ && simulationClock() == installedClock_) setSimulationClock(nullptr);
}

void MapSimulationManager::Tick()
{
    std::cout << "Derive From MapSimulationManager::Tick() to have user specified update logic" << std::endl;
}

void MapSimulationManager::LoadSim()
{
    std::cout << "Derive From MapSimulationManager::LoadSim() to do intialization logic" << std::endl;
}

void MapSimulationManager::handleInput()
{
    if (!inputSuspended) processInput();
}

void MapSimulationManager::startUp()
{
    AppState* app = AppState::current();
    camera = app->camera.get();
    installedClock_ = &app->simTime;
    setSimulationClock(installedClock_);
    ObjectRemoval::install(this);
    // The map made with the simulation is empty; loading a file replaces it.
    map = std::make_unique<Map>();
    LoadSim();
    marqueeShown = 0;
    dragging = 0;
    // The select tool rebuilds it as four edge strips, one quad each: drawn
    // as one polygon through all their points it would fill the band.
    marquee = std::make_unique<ImageGeometry>(Vec2(0, 0), Vec2(1, 0), Vec2(1, -1), Vec2(0, -1), textureOf("lightgrey"),
                                              nullptr, kUvTile, kDrawQuads, false, 0.0f);
    dragStart = Vec2();
    dragCurrent = Vec2();
}

void MapSimulationManager::insertByLayer(GameObject* object)
{
    if (object->layer > kHiddenLayer) return;
    insertOrdered(drawList, object);
}

void MapSimulationManager::rebuildDrawList()
{
    // Newest first, then a stable sort by descending layer: the order that
    // inserting every object in turn would give, in O(n log n).
    drawList.assign(objects.rbegin(), objects.rend());
    std::stable_sort(drawList.begin(), drawList.end(),
                     [](const GameObject* a, const GameObject* b) { return a->layer > b->layer; });
}

void MapSimulationManager::setObjectParallax(GameObject* object, float px, float py)
{
    object->setParallax(px, py);
    // New factors carry the object from where it is seen now.
    object->anchorFor(cameraPosition());
    listForParallax(object);
}

void MapSimulationManager::listForParallax(GameObject* object)
{
    const float px = object->para.x;
    const float py = object->para.y;
    const auto found = std::find(parallaxList.begin(), parallaxList.end(), object);
    if (px == 0.0f && py == 0.0f) {
        if (found == parallaxList.end()) return;
        std::cout << "Parallax set to 0, so we will remove this object" << std::endl;
        parallaxList.erase(found);
    } else if (found == parallaxList.end()) {
        insertOrdered(parallaxList, object);
    }
}

void MapSimulationManager::addObject(GameObject* object)
{
    // A child that does not follow its parent is an object of its own.
    for (GameObject* child : object->children) {
        if (child->owned) continue;
        AppState::current()->simulation->addObject(child);
        std::cout << "creation complete" << std::endl;
    }
    objects.push_back(object);
    insertByLayer(object);
    for (auto& component : object->components) components.push_back(component.get());
    // The object keeps its anchor: a loaded one is placed from it.
    object->setParallax(object->para.x, object->para.y);
    listForParallax(object);
}

void MapSimulationManager::addNewObject(GameObject* object)
{
    if (object->layer == 0) object->setDrawEnabled(false);
    map->objects.push_back(object);
    addObject(object);
    // Made, pasted or mirrored where the user sees it: the next camera move
    // carries it from there.
    object->anchorFor(cameraPosition());
}

Vec2 MapSimulationManager::cameraPosition() const
{
    return camera ? camera->position : Vec2();
}

void MapSimulationManager::updateParallax()
{
    Simulator::updateParallax();
    // The highlights go where the camera moved the selected things.
    for (auto& selection : selections) selection->refreshHighlight();
}

void MapSimulationManager::removeObject(GameObject* object)
{
    if (!object->markedForDelete) removalQueue.push_back(object);
    for (GameObject* child : object->children) {
        if (child->owned || child->markedForDelete) continue;
        AppState::current()->simulation->removeObject(child);
        child->markedForDelete = true;
    }
}

void MapSimulationManager::flushRemovals()
{
    // Spawn markers belong to their spawns, which update cleans up.
    std::unordered_set<const GameObject*> markers;
    for (const auto& side : map->spawnLists) {
        for (const auto& spawn : side) {
            if (spawn->marker) markers.insert(spawn->marker.get());
        }
    }
    std::unordered_set<const GameObject*> leaving;
    for (GameObject* object : removalQueue) {
        if (!markers.count(object)) leaving.insert(object);
    }
    // One pass over each list, however many objects leave.
    const auto isLeaving = [&leaving](const GameObject* object) { return leaving.count(object) != 0; };
    std::erase_if(components, [&leaving](const Component* component) { return leaving.count(component->owner) != 0; });
    std::erase_if(drawList, isLeaving);
    std::erase_if(parallaxList, isLeaving);
    std::erase_if(objects, isLeaving);
    for (GameObject* object : removalQueue) {
        if (leaving.erase(object)) delete object;
    }
    removalQueue.clear();
}

bool MapSimulationManager::keysAreText() const
{
    const AppState* app = AppState::current();
    return app && app->menuManager && app->menuManager->textFieldHasFocus();
}

void MapSimulationManager::update()
{
    if (platform::isKeyDown('B') && !keysAreText()) {
        for (const Selection* selection : selections.atLevel(true)) {
            if (auto* picked = dynamic_cast<const ObjectSelection*>(selection)) picked->object().dump();
        }
    }
    for (Component* component : components) component->update();
    removalQueue.clear();
    for (GameObject* object : objects) {
        if (object->markedForDelete) removalQueue.push_back(object);
    }
    flushRemovals();
    removeMarkedSpawns();
}

void MapSimulationManager::removeMarkedSpawns()
{
    for (auto& side : map->spawnLists) {
        side.remove_if([](const std::unique_ptr<Spawn>& spawn) { return spawn->marker && spawn->marker->markedForDelete; });
    }
}

void MapSimulationManager::render()
{
    AppState* app = AppState::current();
    spinAngle += 1.1f;
    if (spinAngle > 360.0f) spinAngle = 0.0f;
    camera->applyViewTransform();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (gridShown && !app->gridOnTop) drawGrid(false);
    if (objectInCreation) objectInCreation->drawDrawables();
    for (const auto& selection : selections) selection->drawHighlight();
    for (const auto& marker : polygonMarkers) marker->drawDrawables();
    drawObjects();
    drawSpawnMarkers();
    if (marqueeShown && marquee) marquee->draw();
    if (gridShown && app->gridOnTop) drawGrid(true);
    if (GameObject* frame = app->menuManager ? app->menuManager->shownScreenFrame() : nullptr) frame->drawDrawables();
    overlay->draw(app->frameStamp);
    console->draw(app->frameStamp);
}

void MapSimulationManager::drawObjects()
{
    // Objects wholly outside the view are not handed to OpenGL at all: a
    // large map costs the frame only what is in sight.
    Vec2 low, high;
    const DrawBatch::Scope batched(objectBatch_);
    for (GameObject* object : drawList) {
        if (!object->draw) continue;
        if (showImages && drawnExtent(*object, low, high) && camera->sees(low, high)) {
            glPushMatrix();
            object->drawDrawables();
            glPopMatrix();
        }
        if (showGeometry && object->type == 0) {
            low = high = object->center;
            computeBounds(*object, low, high);
            if (!camera->sees(low, high)) continue;
            glPushMatrix();
            object->drawGeometry();
            glPopMatrix();
        }
    }
}

void MapSimulationManager::drawSpawnMarkers()
{
    for (const auto& side : map->spawnLists) {
        for (const auto& spawn : side) {
            if (spawn->marker && spawn->marker->draw) spawn->marker->drawDrawables();
        }
    }
}

void MapSimulationManager::drawGrid(bool onTop) const
{
    const int32_t halfWidth = static_cast<int32_t>(camera->viewWidth) / 2;
    const int32_t halfHeight = static_cast<int32_t>(camera->viewHeight) / 2;
    const int32_t left = static_cast<int32_t>(camera->position.x - static_cast<float>(halfWidth));
    const int32_t right = static_cast<int32_t>(camera->position.x + static_cast<float>(halfWidth));
    const int32_t bottom = static_cast<int32_t>(camera->position.y - static_cast<float>(halfHeight));
    const int32_t top = static_cast<int32_t>(camera->position.y + static_cast<float>(halfHeight));
    const float z = onTop ? 0.0f : -900.0f;
    const auto lineColour = [](int32_t at) {
        if (at == 0) glColor3f(0.65f, 0.65f, 0.85f);
        else glColor3f(0.45f, 0.45f, 0.85f);
    };
    // Plain lines, even when something before the first frame (setting up
    // the images and menus) left texturing on.
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    for (int32_t x : gridLineCoordinates(left, right, gridSize, kMaxGridLines)) {
        lineColour(x);
        glVertex3f(static_cast<float>(x), static_cast<float>(bottom), z);
        glVertex3f(static_cast<float>(x), static_cast<float>(top), z);
    }
    for (int32_t y : gridLineCoordinates(bottom, top, gridSize, kMaxGridLines)) {
        lineColour(y);
        glVertex3f(static_cast<float>(left), static_cast<float>(y), z);
        glVertex3f(static_cast<float>(right), static_cast<float>(y), z);
    }
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

Vec2 MapSimulationManager::snapToGrid(float x, float y) const
{
    return Vec2(static_cast<float>(snapToCell(static_cast<int32_t>(x), gridSize)),
                static_cast<float>(snapToCell(static_cast<int32_t>(y), gridSize)));
}
