#pragma once

#include "editor/app/selections/SelectionScene.h"
#include "editor/app/simulation/KeyLatch.h"
#include "editor/app/simulation/MapSimulationManager.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class Map_Circle;

// The editor's simulation: owns the select, create and image tools, turns
// the keyboard and the mouse into shortcuts, camera moves and tool calls
// once per tick, and carries the map operations the menus and shortcuts ask
// for.
class MapEditorSim : public MapSimulationManager, public SelectionScene {
public:
    enum ToolIndex : uint16_t { kSelectTool = 0, kCreateTool = 1, kUVTool = 2 };

    MapEditorSim();
    ~MapEditorSim() override;

    void Tick() override;
    void LoadSim() override;
    void processInput() override;
    bool gameModeHook() override;
    int32_t chooseTeam() override;
    void leaveTeam(GameObject* object) override;
    int32_t checkPolygon() override;
    EditorCreateObjectMenu* getCreateObjectMenu() override { return createObjectMenu; }

    // What the selections read of the view.
    Circle& cursorCircle() override;
    float viewWidth() const override;
    SelectionList& selections() override { return MapSimulationManager::selections; }

    void handleShortcuts();
    void dispatchMouse();

    // Drops the map, its selections and the property panel's list, and
    // starts an empty map without a name.
    void newMap();
    // Loads the named file and makes it the map. When it cannot be loaded
    // the current map and its name stay as they are. Returns whether the
    // map was opened.
    bool openMap(const std::string& name);
    // Writes the map under its name; false, with an error line, when the
    // name is unusable or the file could not be written.
    bool saveMap();
    // Writes the map under a new name, which becomes its name once written.
    bool saveMapAs(const std::string& name);
    void cutSelection();
    void copySelection();
    void pasteSelection();
    void deleteSelection();

    uint16_t gameMode = 0;
    uint8_t mouseCapture = 0;
    Vec2 captureCentre;
    Vec2 captureDelta;
    int32_t teamCount1 = 0;
    int32_t teamCount2 = 0;
    // The tool saw the left press, so the drag and the release go to it.
    uint8_t leftPressAccepted = 0;
    EditorCreateObjectMenu* createObjectMenu = nullptr;

private:
    struct ControlShortcut {
        KeyLatch latch;
        std::function<void(MapEditorSim&)> action;
    };

    // Returns whether a Ctrl shortcut acted or is held, which ends the pass.
    bool runControlShortcuts();
    void runHeldKeys();
    void runGridKeys();
    // False when the pass ends without moving the camera.
    bool dispatchButtons(EditorTool& tool, const Vec2& p);
    // A left release no input pass saw still reaches the tool that took the press.
    void finishUnseenRelease();
    // The create-object panel's object type, which goes with every tool call.
    std::string objectType() const;
    void moveCameraWithRightButton(const Vec2& p);
    // The selections, the map and the clipboard's copies of the selection.
    void clearForNewMap();
    void installMap(std::unique_ptr<Map> newMap);
    // The tool the application record chooses.
    EditorTool& currentTool();
    void addPastedCopy(std::unique_ptr<GameObject> copy);
    void copySelectedObjects(bool announce);
    // Deletes every selection; whoever lists them hears of each first.
    void clearSelections();

    // Kept at the pointer for the selections' hit tests.
    std::unique_ptr<Map_Circle> cursorCircle_;
    // The world point of the pointer at the last input pass.
    Vec2 lastToolPoint_;
    std::array<ControlShortcut, 5> controlShortcuts_;
    bool minusHeld_ = false;
    bool plusHeld_ = false;
};
