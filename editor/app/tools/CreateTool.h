#pragma once

#include "editor/app/tools/EditorTool.h"
#include "editor/world/Vec2.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EditorCreateObjectMenu;
class GameObject;
class Map_Poly;
class MapSimulationManager;

// Builds circles, boxes, polygons and spawn points. What it builds comes
// with every call (the panel's object type); everything else is read from
// the create-object panel at the moment of building. The shape in progress
// lives in the simulation, which draws it.
class CreateTool : public EditorTool {
public:
    explicit CreateTool(MapSimulationManager& simulation) : simulation_(simulation) {}

    void mouseMove(float x, float y) override;
    void handleKeys() override;
    void leftPress(float x, float y, std::string objectType) override;
    void leftDrag(float x, float y, std::string objectType) override;
    void leftRelease(float x, float y, std::string objectType) override;
    void rightPress(float x, float y, std::string objectType) override;

private:
    // Circles and boxes: the press starts a shape, each drag pass rebuilds
    // the preview, the release adds it to the map.
    void beginShape(const Vec2& p);
    void dragShape(const Vec2& p, const std::string& kind);
    void finishShape();
    // Polygons: each release marks a point, the right press builds.
    void addPolygonPoint(const Vec2& p);
    void finishPolygon();
    void placeSpawn(const Vec2& p, const std::string& kind);

    std::unique_ptr<GameObject> buildBox(const Vec2& previousDrag) const;
    std::unique_ptr<GameObject> buildPolygon(uint16_t layer) const;
    std::unique_ptr<GameObject> buildPolyLine(uint16_t layer) const;
    // A polygon with the panel's textures and border.
    std::unique_ptr<Map_Poly> buildPoly(const std::vector<Vec2>& points, const Vec2& centre, uint16_t layer) const;
    // Lists the object in the map and the scene with the panel's parallax.
    void addToMap(GameObject* object);
    void applyAlignment(GameObject& object) const;

    Vec2 snapped(float x, float y) const;
    // Without its panel (a simulation run without menus) the tool builds nothing.
    bool hasPanel() const;
    EditorCreateObjectMenu& panel() const;
    uint32_t textureId(const std::string& name) const;
    uint16_t panelLayer() const;
    float borderWidth() const;

    MapSimulationManager& simulation_;
};
