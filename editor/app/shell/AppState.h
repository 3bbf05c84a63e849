#pragma once

#include "editor/app/shell/ButtonRecord.h"

#include <cstdint>
#include <memory>

class MenuManager;
class Simulator;
class TextureManager;
class ViewCamera;

// The editor's one application record, reachable from every GLUT callback
// and from the world model's hooks: the simulation, the menus, the texture
// registry, the camera, the window, the mouse as the callbacks recorded it,
// the clocks and the current tool.
class AppState {
public:
    struct WindowRect {
        int32_t x, y, width, height;
    };

    // Makes itself the current record.
    AppState(Simulator* simulation, MenuManager* menuManager);
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // The record the program runs with; null before one exists.
    static AppState* current();

    Simulator* simulation;
    MenuManager* menuManager;
    TextureManager* textureManager;
    // The only owner of the camera; the simulation draws through it.
    std::unique_ptr<ViewCamera> camera;
    float aspect = 4.0f / 3.0f;
    uint32_t frameStamp = 0;
    uint32_t simTime = 0;
    uint16_t tickPeriod = 16;
    uint32_t lastTickTime = 0;
    WindowRect windowRect{0, 0, 1024, 768};
    int32_t windowCenterX = 512;
    int32_t windowCenterY = 384;
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t prevMouseX = 0;
    int32_t prevMouseY = 0;
    // The buttons as the callbacks record them; each tick reads them once
    // into leftDown and rightDown, and ends by making those the previous.
    ButtonRecord leftButton;
    ButtonRecord rightButton;
    uint8_t leftDown = 0;
    uint8_t rightDown = 0;
    uint8_t prevLeftDown = 0;
    uint8_t prevRightDown = 0;
    uint8_t simulationOn = 0;
    uint8_t menusOn = 1;
    uint16_t redrawPeriod = 16;
    uint8_t pointerInWindow = 1;
    uint8_t gridOnTop = 0;
    uint16_t currentTool = 0;
    uint16_t startMode = 0;
};
