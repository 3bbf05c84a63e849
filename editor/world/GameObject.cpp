#include "editor/world/GameObject.h"

#include "editor/world/SimulationClock.h"
#include "editor/world/TextureManager.h"

#include "vornet/vornet_node.h"

#include <algorithm>
#include <iostream>

namespace {

// Pair tests compare networked objects on this grid of past times.
constexpr uint32_t kRewindStep = 17;

// Texture of every collision outline.
constexpr const char* kOutlineImage = "greyPixel200a";

}  // namespace

GameObject::GameObject() : clock(simulationClock()), node_(std::make_unique<VNet_Node>())
{
    collisionPosition = center;
}

GameObject::GameObject(const GameObject& other)
    : locked(other.locked),
      clock(other.clock),
      networked(other.networked),
      para(other.para),
      center(other.center),
      layer(other.layer),
      alignment(other.alignment),
      id(other.id),
      type(other.type),
      geometry(other.geometry),
      inheritRot(other.inheritRot),
      inheritTrans(other.inheritTrans),
      followFactor(other.followFactor),
      draw(other.draw),
      owned(other.owned),
      markedForDelete(other.markedForDelete),
      node_(std::make_unique<VNet_Node>())
{
    collisionPosition = center;
    // A copy's anchor is its own, wherever it is put.
    setOriginalCenter(center);
    // A copy rebuilds its body as the original does; without this a copied
    // animated box became a plain quad at its next corner edit.
    animatedBody = other.animatedBody;
    // Cloned children belong to whoever registers them; they get no parent.
    for (const GameObject* child : other.children) children.push_back(child->clone().release());
    for (const auto& component : other.components) components.push_back(component->clone(this));
    for (const auto& drawable : other.drawables) drawables.push_back(drawable->clone(&layer));
}

GameObject::~GameObject()
{
    // The node goes first, as the network library expects of its users.
    node_.reset();
}

Vec2& GameObject::getCenter(Vec2& out) const
{
    out = center;
    return out;
}

Vec2* GameObject::centerPtr()
{
    return &center;
}

void GameObject::translateXY(float x, float y, int32_t passOn, bool skipDrawables)
{
    translate(Vec2(x, y), passOn, skipDrawables);
}

void GameObject::moveTo(const Vec2& position, int32_t passOn, bool skipDrawables)
{
    translate(position - center, passOn, skipDrawables);
}

void GameObject::rotate(const Vec2&, float, int32_t, bool)
{
}

void GameObject::drawDrawables()
{
    for (const auto& drawable : drawables) drawable->draw();
}

void GameObject::updateCornerOffsets(const Vec2&)
{
}

void GameObject::setAlignment(uint16_t value)
{
    alignment = value;
    onAlignmentChanged();
    for (GameObject* child : children) {
        if (child->owned) child->setAlignment(value);
    }
}

void GameObject::setParallax(float x, float y)
{
    para = Vec2(x, y);
    for (GameObject* child : children) {
        if (child->owned) child->setParallax(x, y);
    }
    if (x != 0.0f || y != 0.0f) type = kParallaxType;
}

Vec2 GameObject::originalCenter() const
{
    // An object anchored at itself stays so exactly, as a plain object's
    // anchor is written beside its position.
    if (anchor_ == anchoredCenter_) return center;
    return anchor_ + (center - anchoredCenter_);
}

void GameObject::setOriginalCenter(const Vec2& anchor)
{
    anchor_ = anchor;
    anchoredCenter_ = center;
}

void GameObject::anchorFor(const Vec2& cameraPosition)
{
    setOriginalCenter(center - parallaxOffset(cameraPosition));
}

void GameObject::followParallax(const Vec2& cameraPosition)
{
    const Vec2 anchor = originalCenter();
    moveTo(anchor + parallaxOffset(cameraPosition));
    // Set again rather than derived, so that panning back and forth leaves
    // the anchor exactly where it was.
    setOriginalCenter(anchor);
}

Vec2 GameObject::parallaxOffset(const Vec2& cameraPosition) const
{
    return {cameraPosition.x * para.x, cameraPosition.y * para.y};
}

void GameObject::setDrawEnabled(bool on)
{
    draw = on;
    for (GameObject* child : children) child->setDrawEnabled(on);
    for (const auto& drawable : drawables) drawable->drawEnabled = on;
}

int32_t GameObject::rewindToTime(uint32_t t)
{
    int32_t code = 0;
    if (t == 0 || t > newestStateTime) {
        collisionPosition = center;
        code = t == 0 ? 0 : 4;
    } else {
        hasLater = false;
        hasEarlier = false;
        for (auto entry = history.rbegin(); entry != history.rend(); ++entry) {
            if (entry->time > t) {
                laterSnapshot = *entry;
                hasLater = true;
            } else {
                earlierSnapshot = *entry;
                hasEarlier = true;
                break;
            }
        }
        if (!hasEarlier) {
            collisionPosition =
                hasLater ? Vec2(laterSnapshot.x, laterSnapshot.y) : center;
            code = 1;
        } else {
            code = 3;
            if (!hasLater) {
                laterSnapshot = Snapshot{newestStateTime, center.x, center.y, 0, true};
                code = 2;
            }
            const Vec2 later(laterSnapshot.x, laterSnapshot.y);
            const Vec2 earlier(earlierSnapshot.x, earlierSnapshot.y);
            if (laterSnapshot.interpolate) {
                const uint32_t span = laterSnapshot.time - earlierSnapshot.time;
                const float f =
                    span == 0 ? 0.0f
                              : static_cast<float>(t - earlierSnapshot.time) /
                                    static_cast<float>(span);
                collisionPosition = earlier + (later - earlier) * f;
            } else {
                collisionPosition = later;
            }
        }
    }
    updateCornerOffsets(collisionPosition - center);
    return code;
}

void GameObject::placeAt(const Vec2& c)
{
    center = c;
    setOriginalCenter(c);
    collisionPosition = c;
}

void GameObject::rewindPair(GameObject& other)
{
    uint32_t t = 0;
    if (networked && other.networked) {
        t = std::min(newestStateTime, other.newestStateTime);
        t -= t % kRewindStep;
    }
    rewindTime = t;
    other.rewindTime = t;
    rewindToTime(t);
    other.rewindToTime(t);
}

void GameObject::dropBorderStrips()
{
    std::erase_if(drawables, [](const auto& drawable) { return drawable->borderSize != 0.0f; });
}

void GameObject::putBorderFirst(std::unique_ptr<ImageGeometry> border)
{
    drawables.insert(drawables.begin(), std::move(border));
    for (const auto& drawable : drawables) drawable->takeNewSubLayer();
}

void GameObject::translateDrawables(const Vec2& delta, int32_t passOn, bool skipDrawables)
{
    if (skipDrawables) return;
    for (const auto& drawable : drawables) drawable->translate(delta, passOn != 0);
}

void GameObject::rotateDrawables(const Vec2& centre, float angle, int32_t passOn,
                                 bool skipDrawables)
{
    if (skipDrawables) return;
    for (const auto& drawable : drawables) drawable->rotate(centre, angle, passOn != 0);
}

void GameObject::scaleDrawables(const Vec2& centre, float sx, float sy, int32_t passOn,
                                bool skipDrawables)
{
    if (skipDrawables) return;
    for (const auto& drawable : drawables) drawable->scale(centre, sx, sy, passOn != 0);
}

void GameObject::translateChildren(const Vec2& delta, int32_t passOn, bool skipDrawables)
{
    for (GameObject* child : children) {
        if (child->inheritTrans > 0.0f) {
            child->translate(delta * child->inheritTrans, passOn, skipDrawables);
        }
    }
}

void GameObject::rotateChildren(const Vec2& centre, float angle, int32_t passOn,
                                bool skipDrawables)
{
    for (GameObject* child : children) {
        if (child->inheritRot > 0.0f) child->rotate(centre, angle, passOn, skipDrawables);
    }
}

void GameObject::drawOutline(GlPrimitive primitive, const Vec2* points, const Vec2* uvs,
                             size_t count) const
{
    const int32_t texture = TextureManager::instance()->getTextureId(kOutlineImage);
    emitTextured(primitive, static_cast<uint32_t>(texture), points, uvs, count,
                 -static_cast<float>(layer));
}

void GameObject::drawQuadOutline(const Vec2* corners) const
{
    static const Vec2 kOutlineUvs[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    drawOutline(GlPrimitive::Quads, corners, kOutlineUvs, 4);
}

void GameObject::dump() const
{
    std::cout << "\n\n\n\n" << std::endl
              << "para" << para.x << " " << para.y << std::endl
              << "VornOwner " << vornOwner << std::endl
              << "center" << center.x << " " << center.y << std::endl
              << "originalCenter" << originalCenter().x << " " << originalCenter().y << std::endl
              << "layer" << layer << std::endl
              << "comp.size" << components.size() << std::endl
              << "DRAWABLES:" << std::endl;
    for (const auto& drawable : drawables) drawable->dump();
    std::cout << "id " << id << std::endl
              << "collided" << collided << std::endl
              << "collisionPendingTime" << collisionPendingTime << std::endl
              << "lastCollTime" << lastCollTime << std::endl
              << "type " << type << std::endl
              << "geometry" << geometry << std::endl
              << "markedForDelete" << markedForDelete << std::endl
              << "draw" << draw << std::endl
              << "inheritRot" << inheritRot << std::endl
              << "inheritTrans" << inheritTrans << std::endl
              << "followFactor" << followFactor << std::endl
              << "parentadr" << static_cast<const void*>(parentadr) << std::endl
              << "children.size" << children.size() << std::endl
              << "owned" << owned << std::endl
              << "\n\n\n\n\n\n" << std::endl;
}
