#pragma once

#include "editor/world/GlDraw.h"
#include "editor/world/Vec2.h"

#include <cstdint>
#include <memory>
#include <vector>

// How a drawable's points are emitted, as stored in map files.
enum DrawType : int32_t {
    kDrawPolygon = 6,  // one filled polygon through every point
    kDrawQuads = 7,    // one quad per group of four points (border strips)
};

// How texture coordinates follow the points.
enum UvMapMode : uint16_t {
    kUvTile = 0,     // one texture repeat per 400 world units, fixed to the world
    kUvStretch = 1,  // the texture covers the drawable's bounding box once
};

// Layers at or above this value mean "draw at the owner's layer".
constexpr uint16_t kUseOwnerLayer = 60000;

// A textured polygon or strip of quads that a game object shows. Points are
// in world units with one texture coordinate each; drawing happens in
// immediate mode at a depth given by the layer plus a small per-drawable
// offset, so that drawables of one layer do not fight in the depth buffer.
class ImageGeometry {
public:
    // Empty drawable for readers that fill in every field themselves.
    ImageGeometry();
    // From an outline: the outline itself, or (asBorder) one strip per edge.
    ImageGeometry(const std::vector<Vec2>& outline, uint32_t textureId, const uint16_t* layerRef,
                  int32_t drawtype, bool asBorder, float borderSize);
    // From four corners: those corners, or (asBorder) one strip per side.
    ImageGeometry(const Vec2& c0, const Vec2& c1, const Vec2& c2, const Vec2& c3,
                  uint32_t textureId, const uint16_t* layerRef, uint16_t mode, int32_t drawtype,
                  bool asBorder, float borderSize);
    // A copy drawn at the layer newLayerRef points to.
    ImageGeometry(const ImageGeometry& source, const uint16_t* newLayerRef);
    ImageGeometry& operator=(const ImageGeometry&) = delete;
    virtual ~ImageGeometry() = default;

    virtual std::unique_ptr<ImageGeometry> clone(const uint16_t* newLayerRef) const;
    virtual void drawWithTexture(uint32_t textureId, uint16_t layer);
    virtual void draw();

    // Layer this drawable draws at: its own below 60000, else its owner's.
    uint16_t drawLayer() const;

    void translate(const Vec2& delta, bool moveUVs);
    void rotate(const Vec2& centre, float angle, bool rotateUVs);
    void scale(const Vec2& centre, float sx, float sy, bool scaleUVs);

    // Replace the points by edge strips of the given width.
    void buildBorder(const std::vector<Vec2>& outline, float width);
    void buildBoxBorder(const Vec2& c0, const Vec2& c1, const Vec2& c2, const Vec2& c3,
                        float width);
    // Strips around the axis-aligned rectangle spanned by a and b, at the
    // current border size (a rectangle being dragged out).
    void buildRectBorder(const Vec2& a, const Vec2& b);
    // Moves the outer side of every strip so that it lies width away.
    void setBorderWidth(float width);

    void computeTexCoords(uint16_t mode);
    void dump() const;

    // The process-wide depth offset handed to the next drawable.
    static float currentSubLayer();
    // Takes the next depth offset, as a drawable built now would: drawn
    // behind every drawable of its layer built before it.
    void takeNewSubLayer() { subLayer = takeSubLayer(); }

    bool locked = false;
    float brightness = 1.0f;
    uint16_t ownLayer = kUseOwnerLayer;
    bool drawEnabled = true;
    std::vector<Vec2> points;
    std::vector<Vec2> uvs;
    uint16_t uvMapMode = kUvTile;
    const uint16_t* layerRef = nullptr;  // the owner's layer; not owned
    uint32_t img = 0;
    int32_t texWidth = 0;
    int32_t texHeight = 0;
    float borderSize = 0.0f;
    float subLayer = 0.0f;
    int32_t drawtype = kDrawPolygon;
    bool animating = false;

protected:
    // Number of leading points that have a texture coordinate and form
    // whole primitives of this drawable's kind.
    size_t completeVertexCount() const;
    // Emits the first count points with the given texture coordinates in
    // this drawable's brightness, at the depth of the given layer.
    void emitTinted(GlPrimitive primitive, uint32_t textureId, const Vec2* texCoords,
                    size_t count, uint16_t layer) const;

private:
    void finishConstruction(uint32_t textureId, const uint16_t* ref, uint16_t mode,
                            int32_t type);
    void appendEdgeStrip(const Vec2& a, const Vec2& b, float width);
    void appendOutlineStrips(const std::vector<Vec2>& outline, float width);
    static float takeSubLayer();
};
