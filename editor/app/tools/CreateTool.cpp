#include "editor/app/tools/CreateTool.h"

#include "editor/app/menus/EditorCreateObjectMenu.h"
#include "editor/app/simulation/MapSimulationManager.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/Geometry.h"
#include "editor/world/ImageGeometry.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/Spawn.h"
#include "editor/world/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

constexpr const char* kCircle = "circle";
constexpr const char* kRectangle = "rectangle";
constexpr const char* kPolygon = "polygon";
constexpr const char* kTrueBeingSpawn = "True Being Spawn";
constexpr const char* kEnlightedOneSpawn = "Enlighted One Spawn";

bool isDraggedShape(const std::string& kind) { return kind == kCircle || kind == kRectangle; }
bool isSpawn(const std::string& kind) { return kind == kTrueBeingSpawn || kind == kEnlightedOneSpawn; }

// The outcomes of the simulation's turn test of the polygon's points.
enum PolygonTurn : int32_t { kCounterClockwise = 1, kClockwise = 2 };

}  // namespace

void CreateTool::mouseMove(float, float) {}

void CreateTool::handleKeys() {}

void CreateTool::leftPress(float x, float y, std::string objectType)
{
    if (!hasPanel()) return;
    if (isDraggedShape(objectType)) beginShape(snapped(x, y));
}

void CreateTool::leftDrag(float x, float y, std::string objectType)
{
    if (!hasPanel()) return;
    if (isDraggedShape(objectType)) dragShape(snapped(x, y), objectType);
}

void CreateTool::leftRelease(float x, float y, std::string objectType)
{
    if (!hasPanel()) return;
    if (isDraggedShape(objectType)) {
        finishShape();
    } else if (objectType == kPolygon) {
        addPolygonPoint(snapped(x, y));
    } else if (isSpawn(objectType)) {
        placeSpawn(snapped(x, y), objectType);
    }
}

void CreateTool::rightPress(float, float, std::string objectType)
{
    if (!hasPanel()) return;
    if (objectType == kPolygon) finishPolygon();
}

// The shape starts at its own press point; the drag end of an earlier shape
// must never shape this one.
void CreateTool::beginShape(const Vec2& p)
{
    simulation_.dragging = 1;
    simulation_.objectInCreation.reset();
    simulation_.dragStart = p;
    simulation_.dragCurrent = p;
}

// The box spans from the start to where the pointer was one pass ago, so
// the preview trails the pointer by a pass; the circle reaches the pointer.
void CreateTool::dragShape(const Vec2& p, const std::string& kind)
{
    const Vec2 previousDrag = simulation_.dragCurrent;
    simulation_.dragCurrent = p;
    const Vec2& start = simulation_.dragStart;
    if (p.x == start.x || p.y == start.y) return;

    std::unique_ptr<GameObject> shape;
    if (kind == kCircle) {
        const float radius = std::max(std::fabs(start.x - p.x), std::fabs(start.y - p.y));
        shape = std::make_unique<Map_Circle>(start, radius, panelLayer(), textureId(panel().textureText()));
    } else {
        shape = buildBox(previousDrag);
        if (!shape) return;
    }
    simulation_.objectInCreation = std::move(shape);
}

// Null while the pointer has not yet left the start's axes: a box of no
// width or height is nothing to show or add.
std::unique_ptr<GameObject> CreateTool::buildBox(const Vec2& previousDrag) const
{
    const EditorCreateObjectMenu& settings = panel();
    const Vec2& start = simulation_.dragStart;
    const bool stamped = settings.snapX() != 0 && settings.snapY() != 0;
    Vec2 centre = start + (previousDrag - start) * 0.5f;
    float width = std::fabs(start.x - previousDrag.x);
    float height = std::fabs(start.y - previousDrag.y);
    if (stamped) {
        centre = previousDrag;
        width = static_cast<float>(settings.snapX());
        height = static_cast<float>(settings.snapY());
    }
    if (width == 0.0f || height == 0.0f) return nullptr;
    return std::make_unique<Map_Aabb>(centre, width, height, panelLayer(), textureId(settings.textureText()),
                                      textureId(settings.borderTextureText()), borderWidth(),
                                      stamped ? kUvStretch : kUvTile);
}

void CreateTool::finishShape()
{
    if (!simulation_.objectInCreation) return;
    GameObject* shape = simulation_.objectInCreation.release();
    applyAlignment(*shape);
    addToMap(shape);
}

void CreateTool::addPolygonPoint(const Vec2& p)
{
    auto& markers = simulation_.polygonMarkers;
    markers.push_back(nullptr);
    // Every marker is rebuilt at the current zoom, so old ones stay visible
    // however far the view moved in or out.
    const float side = simulation_.camera->viewWidth / 200.0f;
    const uint16_t layer = simulation_.pointMarkerPrototype ? simulation_.pointMarkerPrototype->layer : 1;
    const uint32_t pink = textureId("pink");
    for (size_t i = 0; i < markers.size(); ++i) {
        const Vec2 centre = markers[i] ? markers[i]->center : p;
        markers[i] = std::make_unique<Map_Aabb>(centre, side, side, layer, pink, 0, 0.0f, kUvTile);
    }
}

void CreateTool::finishPolygon()
{
    const int32_t layerValue = panel().layer();
    const uint16_t layer = panelLayer();
    std::unique_ptr<GameObject> polygon = buildPolyLine(layer);
    if (!polygon) polygon = buildPolygon(layer);
    simulation_.polygonMarkers.clear();
    if (!polygon) return;
    if (layerValue <= 0) polygon->setDrawEnabled(false);
    GameObject* added = polygon.release();
    addToMap(added);
    applyAlignment(*added);
}

// Two points with a strip half-width make a strip of quads along them.
std::unique_ptr<GameObject> CreateTool::buildPolyLine(uint16_t layer) const
{
    const auto& markers = simulation_.polygonMarkers;
    const EditorCreateObjectMenu& settings = panel();
    if (markers.size() != 2 || settings.snapY() <= 0) return nullptr;
    const Vec2 p0 = markers[0]->center;
    const Vec2 p1 = markers[1]->center;
    const Vec2 offset = Vec2::normalize(Vec2(p0.y - p1.y, p1.x - p0.x)) * static_cast<float>(settings.snapY());
    const std::vector<Vec2> points{p0 + offset, p1 + offset, p1 - offset, p0 - offset};
    const Vec2 centre = (points[0] + points[1] + points[2] + points[3]) * 0.25f;
    std::unique_ptr<Map_Poly> strip = buildPoly(points, centre, layer);
    if (settings.stretchPolyLineUVs()) {
        // Only the body takes the stretched image; a border strip keeps its own mapping.
        for (const auto& drawable : strip->drawables) {
            if (drawable->borderSize != 0.0f) continue;
            drawable->uvs = {Vec2(0, 1), Vec2(1, 1), Vec2(1, 0), Vec2(0, 0)};
            break;
        }
    }
    return strip;
}

// Only a polygon that turns one way at every point is built; clockwise
// outlines are reversed so every polygon goes counter-clockwise.
std::unique_ptr<GameObject> CreateTool::buildPolygon(uint16_t layer) const
{
    std::vector<Vec2> points;
    for (const auto& marker : simulation_.polygonMarkers) points.push_back(marker->center);
    const int32_t turn = simulation_.checkPolygon();
    if (turn == kClockwise) {
        std::reverse(points.begin(), points.end());
        std::cout << points.size() << std::endl;
    } else if (turn != kCounterClockwise) {
        return nullptr;
    }
    return buildPoly(points, meanOf(points), layer);
}

std::unique_ptr<Map_Poly> CreateTool::buildPoly(const std::vector<Vec2>& points, const Vec2& centre,
                                                uint16_t layer) const
{
    const EditorCreateObjectMenu& settings = panel();
    return std::make_unique<Map_Poly>(points, centre, layer, borderWidth(), textureId(settings.textureText()),
                                      textureId(settings.borderTextureText()));
}

void CreateTool::placeSpawn(const Vec2& p, const std::string& kind)
{
    auto spawn = std::make_unique<Spawn>();
    createSpawnMarker(*spawn, kind == kTrueBeingSpawn ? 1 : 0, p);
    simulation_.map->addSpawn(std::move(spawn));
}

// Listed in the map as well as the scene, so that saving writes it.
void CreateTool::addToMap(GameObject* object)
{
    simulation_.addNewObject(object);
    const EditorCreateObjectMenu& settings = panel();
    if (settings.parallaxX() == 100 && settings.parallaxY() == 100) return;
    simulation_.setObjectParallax(object, static_cast<float>(settings.parallaxX() - 100) * 0.01f,
                                  static_cast<float>(settings.parallaxY() - 100) * 0.01f);
}

void CreateTool::applyAlignment(GameObject& object) const
{
    const std::string side = panel().alignmentText();
    if (side == "Normal") {
        object.setAlignment(kAlignmentNone);
    } else if (side == "Red") {
        object.setAlignment(0);
    } else if (side == "Blue") {
        object.setAlignment(1);
    }
}

Vec2 CreateTool::snapped(float x, float y) const
{
    return simulation_.snapToGridOn ? simulation_.snapToGrid(x, y) : Vec2(x, y);
}

bool CreateTool::hasPanel() const { return simulation_.getCreateObjectMenu() != nullptr; }

EditorCreateObjectMenu& CreateTool::panel() const { return *simulation_.getCreateObjectMenu(); }

// An unknown name comes back as -1 (the registry says which), and the shape
// is built with it all the same.
uint32_t CreateTool::textureId(const std::string& name) const
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

// The border field keeps its value while "Has Border" is off; only a
// checked box gives the shape a border.
float CreateTool::borderWidth() const
{
    const EditorCreateObjectMenu& settings = panel();
    return settings.hasBorder() ? static_cast<float>(settings.borderWidth()) : 0.0f;
}

uint16_t CreateTool::panelLayer() const
{
    return static_cast<uint16_t>(std::clamp(panel().layer(), 0, 65535));
}
