#pragma once

#include "editor/world/ObjectRemoval.h"

#include <cstdint>
#include <memory>
#include <vector>

class Component;
class FrameTimeOverlay;
class GameObject;
class Map;
class MessageConsole;
class ViewCamera;

// The scene the shell drives: the map, the camera it is seen through, every
// object in the order added, the same objects ordered for drawing and for
// parallax, the components updated every tick and the objects waiting to be
// deleted. It receives the objects the world gives up (an unloaded map's).
class Simulator : public ObjectRemoval {
public:
    Simulator();
    ~Simulator() override;
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The per-tick logic of a concrete simulation, run before update.
    virtual void Tick() = 0;
    // Components, then the objects marked for deletion.
    virtual void update() = 0;
    virtual void render() = 0;
    virtual void addObject(GameObject* object) = 0;
    // Queues the object for deletion; its caller marks it.
    void removeObject(GameObject* object) override = 0;
    virtual void flushRemovals() {}
    // Entering edit mode: camera, empty map, the subclass's own set-up.
    virtual void startUp() = 0;
    virtual void keyboardHook(unsigned char key) = 0;
    // The input pass of one tick.
    virtual void handleInput() = 0;
    // Moves the parallax objects after the camera moved.
    virtual void updateParallax();

    std::unique_ptr<Map> map;
    ViewCamera* camera = nullptr;  // the application's; never deleted here
    std::unique_ptr<FrameTimeOverlay> overlay;
    std::unique_ptr<MessageConsole> console;
    std::vector<Component*> components;  // owned by their objects
    std::vector<GameObject*> removalQueue;
    // Owned by the simulation: it draws them and deletes them when removed.
    std::vector<GameObject*> objects;
    // Highest layer first, newest first among equal layers.
    std::vector<GameObject*> drawList;
    // The objects with a parallax factor, ordered like drawList.
    std::vector<GameObject*> parallaxList;
};
