#pragma once

#include "editor/app/selections/SelectionList.h"
#include "editor/app/simulation/Simulator.h"
#include "editor/world/DrawBatch.h"
#include "editor/world/Vec2.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Aabb;
class EditorCreateObjectMenu;
class EditorTool;
class ImageGeometry;
class Map_Aabb;

// The editor's scene: on top of the simulation's lists it keeps the
// selections, the clipboard, the grid and view flags, the object being
// dragged out, the current map name and the tools, and it adds, removes,
// updates and draws objects.
class MapSimulationManager : public Simulator {
public:
    static constexpr uint16_t kHiddenLayer = 60000;  // layers above it are not drawn
    static constexpr int32_t kMinGridSize = 4;
    static constexpr int32_t kMaxGridSize = 2048;
    // However far out the view is, the grid never draws more lines than this
    // in either direction: it skips lines (keeping the origin's) instead.
    static constexpr int32_t kMaxGridLines = 256;

    MapSimulationManager();
    ~MapSimulationManager() override;

    void Tick() override;
    void update() override;
    void render() override;
    void addObject(GameObject* object) override;
    void removeObject(GameObject* object) override;
    void flushRemovals() override;
    void startUp() override;
    void keyboardHook(unsigned char) override {}
    void handleInput() override;

    virtual void LoadSim();
    virtual void processInput() = 0;
    // Hooks of the game framework the simulation comes from.
    virtual bool gameModeHook() { return true; }
    virtual int32_t chooseTeam() { return 0; }
    virtual void leaveTeam(GameObject*) {}
    // 1 when the polygon being built turns left at every point, 2 when right
    // at every point, 3 otherwise.
    virtual int32_t checkPolygon() = 0;
    virtual EditorCreateObjectMenu* getCreateObjectMenu() = 0;

    // The create tool's way in: also lists the object in the map.
    void addNewObject(GameObject* object);
    void insertByLayer(GameObject* object);
    // After layers changed or a map was loaded; takes every layer.
    void rebuildDrawList();
    // New factors anchor the object where it is seen now.
    void setObjectParallax(GameObject* object, float px, float py);
    void updateParallax() override;
    std::string getMapName() const { return mapName; }
    // While a text field of the menus has the keyboard focus, what is typed
    // is its text: no plain key acts, only the Ctrl shortcuts.
    bool keysAreText() const;
    Vec2 snapToGrid(float x, float y) const;
    void drawGrid(bool onTop) const;

    uint8_t marqueeShown = 0;
    uint8_t dragging = 0;  // a press began a shape or hit a selected item
    std::unique_ptr<ImageGeometry> marquee;
    Vec2 dragStart;
    Vec2 dragCurrent;
    std::unique_ptr<Aabb> marqueeBox;
    SelectionList selections;
    std::vector<std::unique_ptr<GameObject>> clipboard;
    Vec2 rightAnchor;
    std::unique_ptr<GameObject> objectInCreation;
    std::unique_ptr<Aabb> pointMarkerPrototype;
    std::vector<std::unique_ptr<Map_Aabb>> polygonMarkers;
    std::string mapName;
    std::vector<std::unique_ptr<EditorTool>> tools;
    uint8_t gridShown = 1;
    int32_t gridSize = 128;
    // Double or halve the grid within its bounds; a step past a bound is ignored.
    void growGrid() { if (gridSize < kMaxGridSize) gridSize *= 2; }
    void shrinkGrid() { if (gridSize > kMinGridSize) gridSize /= 2; }
    uint8_t snapToGridOn = 1;  // the tools keep a pointer to it
    uint8_t showGeometry = 0;
    uint8_t showImages = 1;
    float spinAngle = 0.0f;
    uint8_t inputSuspended = 0;

private:
    // Puts the object in the parallax list or takes it out, by its factors.
    void listForParallax(GameObject* object);
    // Where the parallax objects are placed from; the origin before there
    // is a camera.
    Vec2 cameraPosition() const;
    void drawObjects();
    void drawSpawnMarkers();
    // Unlinks and deletes the spawns whose marker is marked for deletion.
    void removeMarkedSpawns();

    // The application's clock, as handed to the world by startUp.
    const uint32_t* installedClock_ = nullptr;
    // Draws the objects' drawables and outlines with few draw calls; keeps
    // its buffers from frame to frame.
    DrawBatch objectBatch_;
};
