#pragma once

class GameObject;

// Takes the objects that the world gives up, such as those of a map being
// unloaded. The application's simulation installs itself here: it still
// draws and updates those objects during the tick, so it deletes them later.
class ObjectRemoval {
public:
    virtual ~ObjectRemoval() = default;
    virtual void removeObject(GameObject* object) = 0;

    // The installed receiver; null until the application installs one.
    static ObjectRemoval* installed();
    static void install(ObjectRemoval* receiver);
};
