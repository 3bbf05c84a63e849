#include "editor/app/menus/ObjectProperties.h"

#include "editor/app/simulation/MapSimulationManager.h"
#include "editor/world/Aabb.h"
#include "editor/world/GameObject.h"
#include "editor/world/Poly.h"
#include "editor/world/TextureManager.h"

#include <cmath>

namespace {

constexpr const char* kNormal = "Normal";
constexpr const char* kRed = "Red";
constexpr const char* kBlue = "Blue";

// A drawable with a width is a border strip; every other one is a body.
bool isBorder(const ImageGeometry& drawable)
{
    return drawable.borderSize != 0.0f;
}

int32_t rounded(double value, int32_t low, int32_t high)
{
    if (!(value > low)) return low;
    if (value >= high) return high;
    return static_cast<int32_t>(std::lround(value));
}

std::string textureName(uint32_t id)
{
    return TextureManager::instance()->getTextureName(id);
}

uint32_t textureId(const std::string& name)
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

std::string alignmentText(uint16_t alignment)
{
    if (alignment == 0) return kRed;
    if (alignment == 1) return kBlue;
    return kNormal;
}

void applyAlignment(GameObject& object, const std::string& text)
{
    if (text == kNormal) object.setAlignment(kAlignmentNone);
    else if (text == kRed) object.setAlignment(0);
    else if (text == kBlue) object.setAlignment(1);
}

// The shapes rebuild their drawables from their own fields after a vertex
// edit, so those fields follow the drawables, or the edit would undo the
// panel's change.
void setBodyTexture(GameObject& object, uint32_t id)
{
    bool changed = false;
    for (auto& drawable : object.drawables) {
        if (isBorder(*drawable)) continue;
        drawable->img = id;
        changed = true;
    }
    if (!changed) return;
    object.setRendImg(static_cast<int32_t>(id));
    if (auto* box = dynamic_cast<Aabb*>(&object)) box->textureId = id;
}

// Kept by a shape without a border too, for the border a width gives it later.
void setBorderTexture(GameObject& object, uint32_t id)
{
    for (auto& drawable : object.drawables) {
        if (isBorder(*drawable)) drawable->img = id;
    }
    if (auto* box = dynamic_cast<Aabb*>(&object)) box->borderTextureId = id;
    if (auto* poly = dynamic_cast<Poly*>(&object)) poly->borderTextureId = id;
}

bool hasBorderStrip(const GameObject& object)
{
    for (const auto& drawable : object.drawables) {
        if (isBorder(*drawable)) return true;
    }
    return false;
}

// The texture a box or a polygon without a border keeps for the border a
// width gives it; empty for a circle, or when the texture is no image of
// the registry (a map loaded without a border keeps none).
std::string keptBorderTexture(const GameObject& object)
{
    uint32_t kept = 0;
    if (auto* box = dynamic_cast<const Aabb*>(&object)) kept = box->borderTextureId;
    else if (auto* poly = dynamic_cast<const Poly*>(&object)) kept = poly->borderTextureId;
    else return std::string();
    const auto& names = TextureManager::instance()->idToName();
    const auto found = names.find(kept);
    return found == names.end() ? std::string() : found->second;
}

// A width of 0 takes the border away rather than leave a strip of no width
// that would count as a body from then on; a width builds one again. A
// circle keeps its border as it is.
void setBorderWidth(GameObject& object, float width)
{
    if (auto* box = dynamic_cast<Aabb*>(&object)) box->setBorderSize(width);
    if (auto* poly = dynamic_cast<Poly*>(&object)) poly->setLineWidth(width);
}

}  // namespace

int32_t shownLength(float length)
{
    return rounded(length, 0, kPropertyLimit);
}

int32_t parallaxShown(float factor)
{
    return rounded(static_cast<double>(factor) / 0.01 + 100.0, -kPropertyLimit, kPropertyLimit);
}

float parallaxFactor(int32_t shown)
{
    return static_cast<float>(shown - 100) * 0.01f;
}

ObjectProperties propertiesOf(const GameObject& object)
{
    ObjectProperties shown;
    shown.layer = object.layer;
    shown.type = static_cast<int16_t>(object.type);
    shown.parallaxX = parallaxShown(object.para.x);
    shown.parallaxY = parallaxShown(object.para.y);
    shown.alignment = alignmentText(object.alignment);
    shown.locked = object.locked;
    // The last drawable of each kind is the one shown.
    for (const auto& drawable : object.drawables) {
        if (isBorder(*drawable)) {
            shown.hasBorder = true;
            shown.borderTexture = textureName(drawable->img);
            shown.borderWidth = shownLength(drawable->borderSize);
        } else {
            shown.texture = textureName(drawable->img);
        }
    }
    if (!shown.hasBorder) shown.borderTexture = keptBorderTexture(object);
    return shown;
}

void applyEdits(GameObject& object, const ObjectProperties& shown, const ObjectProperties& edited,
                MapSimulationManager& simulation)
{
    if (edited.layer != shown.layer) {
        object.layer = static_cast<uint16_t>(edited.layer);
        object.setDrawEnabled(edited.layer > 0);
    }
    if (edited.type != shown.type) object.type = static_cast<uint16_t>(edited.type);
    const bool parallaxXEdited = edited.parallaxX != shown.parallaxX;
    const bool parallaxYEdited = edited.parallaxY != shown.parallaxY;
    if (parallaxXEdited || parallaxYEdited) {
        simulation.setObjectParallax(&object, parallaxXEdited ? parallaxFactor(edited.parallaxX) : object.para.x,
                                     parallaxYEdited ? parallaxFactor(edited.parallaxY) : object.para.y);
    }
    if (edited.alignment != shown.alignment) applyAlignment(object, edited.alignment);
    if (edited.locked != shown.locked) object.locked = edited.locked;
    if (edited.texture != shown.texture) setBodyTexture(object, textureId(edited.texture));
    if (edited.borderTexture != shown.borderTexture) setBorderTexture(object, textureId(edited.borderTexture));
    if (edited.borderWidth != shown.borderWidth) {
        // A border built where there is none takes the texture the panel
        // shows, whatever the object kept: the panel may show another
        // object's, or one this object never had.
        if (edited.borderWidth > 0 && !hasBorderStrip(object) && !edited.borderTexture.empty()) {
            setBorderTexture(object, textureId(edited.borderTexture));
        }
        setBorderWidth(object, static_cast<float>(edited.borderWidth));
    }
}
