#pragma once

#include "editor/world/Component.h"
#include "editor/world/ImageGeometry.h"
#include "editor/world/Snapshot.h"
#include "editor/world/Vec2.h"

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <vector>

class VNet_Node;

// Shape codes of game objects; pair tests and the map files switch on them.
enum GeometryType : uint16_t {
    kGeometryCircle = 50,
    kGeometryPoly = 51,
    kGeometryBox = 52,
};

// Sides of objects and spawns.
constexpr uint16_t kAlignmentNone = 60000;
// The type of an object that moves with the parallax layers; such objects
// get no outline.
constexpr uint16_t kParallaxType = 65535;

// The base of every object placed in a map: centre, layer, side, parallax,
// the drawables that show it, its children and components, its network node
// and a short position history for comparing two objects at a past time.
// The editor creates, edits, draws, saves and deletes objects through this
// interface; the fields are set directly by the map reader and the editor.
class GameObject {
public:
    GameObject();
    virtual ~GameObject();
    GameObject& operator=(const GameObject&) = delete;

    virtual Vec2& getCenter(Vec2& out) const;
    virtual Vec2* centerPtr();
    // Called by setAlignment after the side changed.
    virtual void onAlignmentChanged() {}
    // A polygon's body texture; ignored by the other shapes.
    virtual void setRendImg(int32_t value) = 0;

    // An independent copy: its own node, drawables at its own layer, copies
    // of the children (without a parent) and of the components.
    virtual std::unique_ptr<GameObject> clone() const = 0;

    void translateXY(float x, float y, int32_t passOn, bool skipDrawables);
    // passOn non-zero moves (or turns, or scales) texture coordinates with
    // the drawables; skipDrawables leaves the drawables where they are.
    virtual void translate(const Vec2& delta, int32_t passOn, bool skipDrawables) = 0;
    virtual void moveTo(const Vec2& position, int32_t passOn = 0, bool skipDrawables = false);
    virtual void rotate(const Vec2& centre, float angle, int32_t passOn, bool skipDrawables);
    virtual void scale(const Vec2& centre, float sx, float sy, int32_t passOn,
                       bool skipDrawables) = 0;

    virtual bool collides(GameObject& other) = 0;
    // On a collision, push receives the move that separates this object
    // from the other.
    virtual bool collideAndResolve(GameObject& other, Vec2& push) = 0;

    virtual void drawDrawables();
    // The collision outline.
    virtual void drawGeometry() {}
    // Shifts the corner set that pair tests use by offset (after a rewind).
    virtual void updateCornerOffsets(const Vec2& offset);

    void setAlignment(uint16_t value);
    void setParallax(float x, float y);

    // The parallax anchor: where the object sits while the camera is at the
    // origin, the point the parallax layers carry it from. It is kept
    // relative to the centre it was set for, so that every edit of the
    // centre (a move, a scale, a corner drag, a copy put elsewhere) takes
    // the anchor along and the object never jumps back at the next camera
    // move.
    Vec2 originalCenter() const;
    void setOriginalCenter(const Vec2& anchor);
    // Anchors the object where it is now, as seen from a camera at
    // cameraPosition: the next camera move carries it from here.
    void anchorFor(const Vec2& cameraPosition);
    // Puts the object where its anchor and factors place it for a camera at
    // cameraPosition; the anchor stays.
    void followParallax(const Vec2& cameraPosition);
    // How far the parallax layers carry the object off its anchor for a
    // camera at cameraPosition.
    Vec2 parallaxOffset(const Vec2& cameraPosition) const;
    void setDrawEnabled(bool on);

    // Places collisionPosition where the object was at time t. Returns 0 for
    // t = 0, 4 for a time after the newest state, 1 when no history entry is
    // that old, 2 between the newest entry and the current state, 3 between
    // two entries.
    int32_t rewindToTime(uint32_t t);

    void dump() const;

    const VNet_Node* networkNode() const { return node_.get(); }

    uint32_t rewindTime = 0;
    Vec2 collisionPosition;  // where pair tests see the object
    bool locked = false;     // never picked by the editing tools
    const uint32_t* clock;   // the shared simulation time
    bool networked = false;  // both networked: pair tests rewind to a common time
    uint32_t newestStateTime = 0;
    std::deque<Snapshot> history;  // oldest first; filled by a networked host
    Vec2 para;                     // parallax factors
    int32_t vornOwner = 0;
    Vec2 center;
    uint16_t layer = 1;
    uint16_t alignment = 0;
    std::list<std::unique_ptr<Component>> components;
    std::vector<std::unique_ptr<ImageGeometry>> drawables;
    bool animatedBody = false;         // a box's body is an animated sprite
    GameObject* parentadr = nullptr;   // not owned
    std::list<GameObject*> children;   // not owned
    uint32_t id = 0;
    uint16_t collisionPendingTime = 500;
    uint16_t lastCollTime = 0;
    uint16_t type = 0;
    uint16_t geometry = 0;
    float inheritRot = 1.0f;    // above 0: turned with the parent
    float inheritTrans = 1.0f;  // factor on the parent's moves; 0 or less: stays
    float followFactor = 1.0f;
    bool collided = false;
    bool draw = true;
    bool owned = true;  // follows the parent's side and parallax
    bool markedForDelete = false;
    bool hasLater = false;
    bool hasEarlier = false;
    Snapshot laterSnapshot;
    Snapshot earlierSnapshot;

protected:
    // For clone: copies what a copy keeps (see clone) with a node of its own.
    GameObject(const GameObject& other);

    // Puts the object at c as created there: centre, anchor and the
    // position pair tests see.
    void placeAt(const Vec2& c);

    // The start of every pair test: when both objects are networked they
    // are rewound to the newest time both know, else to their centres.
    void rewindPair(GameObject& other);

    // Takes away the border strips: the drawables with a width.
    void dropBorderStrips();
    // Puts a border built now ahead of the other drawables, drawn over them
    // and saved before them as when the object was built: every drawable
    // takes a new depth offset in list order, as a map being opened gives.
    void putBorderFirst(std::unique_ptr<ImageGeometry> border);
    void translateDrawables(const Vec2& delta, int32_t passOn, bool skipDrawables);
    void rotateDrawables(const Vec2& centre, float angle, int32_t passOn, bool skipDrawables);
    void scaleDrawables(const Vec2& centre, float sx, float sy, int32_t passOn,
                        bool skipDrawables);
    void translateChildren(const Vec2& delta, int32_t passOn, bool skipDrawables);
    void rotateChildren(const Vec2& centre, float angle, int32_t passOn, bool skipDrawables);

    // Draws an outline with the grey outline texture at this object's layer.
    void drawOutline(GlPrimitive primitive, const Vec2* points, const Vec2* uvs,
                     size_t count) const;
    // The outline of a four-cornered shape, the outline texture once over it.
    void drawQuadOutline(const Vec2* corners) const;

private:
    std::unique_ptr<VNet_Node> node_;
    // The anchor as it was set, and the centre the object had then.
    Vec2 anchor_;
    Vec2 anchoredCenter_;
};
