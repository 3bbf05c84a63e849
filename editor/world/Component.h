#pragma once

#include <memory>

class GameObject;

// A behaviour attached to a game object and updated once per tick by the
// application. The object owns its components and copies them when it is
// copied.
class Component {
public:
    explicit Component(GameObject* owner_) : owner(owner_) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // The same behaviour for another object.
    virtual std::unique_ptr<Component> clone(GameObject* newOwner) const = 0;
    virtual void update() = 0;

    GameObject* owner;  // not owned
};
