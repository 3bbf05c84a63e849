#include "editor/world/ImageGeometry.h"

#include "editor/world/Geometry.h"
#include "editor/world/GlDraw.h"
#include "editor/world/TextureQuery.h"

#include <algorithm>
#include <iostream>

namespace {

// World units covered by one texture repeat in tile mode.
constexpr float kTileSize = 400.0f;
// Every drawable takes the next of these depth steps; the thousandth wraps.
constexpr int kSubLayerSteps = 1000;
constexpr float kSubLayerStep = 0.001f;

int subLayerIndex = 0;

// Primitive of a stored drawing kind; false for kinds that draw nothing.
bool primitiveOf(int32_t drawtype, GlPrimitive& primitive)
{
    switch (drawtype) {
    case kDrawPolygon: primitive = GlPrimitive::Polygon; return true;
    case kDrawQuads: primitive = GlPrimitive::Quads; return true;
    default: return false;
    }
}

}  // namespace

ImageGeometry::ImageGeometry()
{
    subLayer = takeSubLayer();
}

ImageGeometry::ImageGeometry(const std::vector<Vec2>& outline, uint32_t textureId,
                             const uint16_t* ref, int32_t type, bool asBorder, float width)
{
    if (asBorder) {
        appendOutlineStrips(outline, width);
        borderSize = width;
    } else {
        points = outline;
    }
    finishConstruction(textureId, ref, kUvTile, type);
}

ImageGeometry::ImageGeometry(const Vec2& c0, const Vec2& c1, const Vec2& c2, const Vec2& c3,
                             uint32_t textureId, const uint16_t* ref, uint16_t mode, int32_t type,
                             bool asBorder, float width)
{
    if (asBorder) {
        appendOutlineStrips({c0, c1, c2, c3}, width);
        borderSize = width;
    } else {
        points = {c0, c1, c2, c3};
    }
    finishConstruction(textureId, ref, mode, type);
}

ImageGeometry::ImageGeometry(const ImageGeometry& source, const uint16_t* newLayerRef)
    : locked(source.locked),
      brightness(source.brightness),
      ownLayer(source.ownLayer),
      drawEnabled(source.drawEnabled),
      points(source.points),
      uvs(source.uvs),
      uvMapMode(source.uvMapMode),
      layerRef(newLayerRef),
      img(source.img),
      texWidth(source.texWidth),
      texHeight(source.texHeight),
      borderSize(source.borderSize),
      subLayer(takeSubLayer()),
      drawtype(source.drawtype),
      animating(source.animating)
{
}

void ImageGeometry::finishConstruction(uint32_t textureId, const uint16_t* ref, uint16_t mode,
                                       int32_t type)
{
    img = textureId;
    queryTextureSize(textureId, texWidth, texHeight);
    uvMapMode = mode;
    computeTexCoords(mode);
    layerRef = ref;
    subLayer = takeSubLayer();
    drawtype = type;
}

float ImageGeometry::takeSubLayer()
{
    if (++subLayerIndex >= kSubLayerSteps) {
        std::cout << "SETTING SUB LAYER BACK TO 0" << std::endl;
        subLayerIndex = 0;
    }
    return currentSubLayer();
}

float ImageGeometry::currentSubLayer()
{
    return static_cast<float>(subLayerIndex) * kSubLayerStep;
}

std::unique_ptr<ImageGeometry> ImageGeometry::clone(const uint16_t* newLayerRef) const
{
    return std::make_unique<ImageGeometry>(*this, newLayerRef);
}

uint16_t ImageGeometry::drawLayer() const
{
    if (ownLayer < kUseOwnerLayer) return ownLayer;
    return layerRef ? *layerRef : 0;
}

void ImageGeometry::draw()
{
    drawWithTexture(img, drawLayer());
}

size_t ImageGeometry::completeVertexCount() const
{
    size_t count = std::min(points.size(), uvs.size());
    if (drawtype == kDrawQuads) count -= count % 4;
    return count;
}

void ImageGeometry::drawWithTexture(uint32_t textureId, uint16_t layer)
{
    GlPrimitive primitive;
    if (!primitiveOf(drawtype, primitive)) return;
    emitTinted(primitive, textureId, uvs.data(), completeVertexCount(), layer);
}

void ImageGeometry::emitTinted(GlPrimitive primitive, uint32_t textureId, const Vec2* texCoords,
                               size_t count, uint16_t layer) const
{
    setGrey(brightness);
    emitTextured(primitive, textureId, points.data(), texCoords, count, -(subLayer + layer));
    setGrey(1.0f);
}

void ImageGeometry::translate(const Vec2& delta, bool moveUVs)
{
    if (locked) return;
    for (Vec2& p : points) p += delta;
    // Tiled texture stays fixed to the world while the drawable moves.
    if (moveUVs) {
        for (Vec2& uv : uvs) uv += delta * (1.0f / kTileSize);
    }
}

void ImageGeometry::rotate(const Vec2& centre, float angle, bool rotateUVs)
{
    if (locked) {
        std::cout << "DSKLFJDSLKFJSDKJFLDSJ LKDSJFL KJSDLKF J" << std::endl;
        return;
    }
    for (Vec2& p : points) p = rotatePoint(p, centre, angle);
    if (rotateUVs && !uvs.empty()) {
        const Vec2 uvCentre = meanOf(uvs);
        for (Vec2& uv : uvs) uv = rotatePoint(uv, uvCentre, angle);
    }
}

namespace {

void scaleAbout(std::vector<Vec2>& values, const Vec2& centre, float sx, float sy)
{
    for (Vec2& v : values) v = scalePoint(v, centre, sx, sy);
}

}  // namespace

void ImageGeometry::scale(const Vec2& centre, float sx, float sy, bool scaleUVs)
{
    if (locked) return;
    scaleAbout(points, centre, sx, sy);
    if (scaleUVs && !uvs.empty()) scaleAbout(uvs, meanOf(uvs), sx, sy);
}

void ImageGeometry::appendEdgeStrip(const Vec2& a, const Vec2& b, float width)
{
    const Vec2 d = b - a;
    const Vec2 off = Vec2::normalize(Vec2(d.y, -d.x)) * (width * 0.5f);
    // The last two points lie on the edge; setBorderWidth relies on that.
    points.push_back(a + off);
    points.push_back(b + off);
    points.push_back(b);
    points.push_back(a);
}

void ImageGeometry::appendOutlineStrips(const std::vector<Vec2>& outline, float width)
{
    for (size_t i = 0; i < outline.size(); ++i) {
        appendEdgeStrip(outline[i], outline[(i + 1) % outline.size()], width);
    }
}

void ImageGeometry::buildBorder(const std::vector<Vec2>& outline, float width)
{
    points.clear();
    uvs.clear();
    appendOutlineStrips(outline, width);
    borderSize = width;
    computeTexCoords(uvMapMode);
}

void ImageGeometry::buildBoxBorder(const Vec2& c0, const Vec2& c1, const Vec2& c2, const Vec2& c3,
                                   float width)
{
    buildBorder({c0, c1, c2, c3}, width);
}

void ImageGeometry::buildRectBorder(const Vec2& a, const Vec2& b)
{
    const Vec2 low(std::min(a.x, b.x), std::min(a.y, b.y));
    const Vec2 high(std::max(a.x, b.x), std::max(a.y, b.y));
    buildBorder({Vec2(low.x, high.y), high, Vec2(high.x, low.y), low}, borderSize);
}

void ImageGeometry::setBorderWidth(float width)
{
    if (points.size() != 3) {
        for (size_t i = 0; i + 4 <= points.size(); i += 4) {
            const Vec2 d = Vec2::normalize(points[i + 1] - points[i + 2]) * width;
            borderSize = floatSqrt(dot(d, d));
            points[i] = points[i + 3] + d;
            points[i + 1] = points[i + 2] + d;
        }
    }
    if (borderSize == 0.0f) borderSize = 1.0f;
}

void ImageGeometry::computeTexCoords(uint16_t mode)
{
    if (points.size() < 2) return;
    if (mode == kUvTile) {
        uvs.clear();
        for (const Vec2& p : points) uvs.push_back(p * (1.0f / kTileSize));
    } else if (mode == kUvStretch) {
        Vec2 low = points[0];
        Vec2 high = points[0];
        for (const Vec2& p : points) {
            low = Vec2(std::min(low.x, p.x), std::min(low.y, p.y));
            high = Vec2(std::max(high.x, p.x), std::max(high.y, p.y));
        }
        // A flat outline still gets finite coordinates.
        if (high.x == low.x) high.x += 0.1f;
        if (high.y == low.y) high.y += 0.1f;
        uvs.clear();
        for (const Vec2& p : points) {
            uvs.emplace_back((p.x - low.x) / (high.x - low.x), (p.y - low.y) / (high.y - low.y));
        }
    }
}

void ImageGeometry::dump() const
{
    std::cout << "POINTS:" << std::endl;
    for (size_t i = 0; i < points.size(); ++i) {
        std::cout << "po" << points[i].x << " " << points[i].y << std::endl;
        if (i < uvs.size()) std::cout << "uv" << uvs[i].x << " " << uvs[i].y << std::endl;
    }
    std::cout << "*layer" << (layerRef ? *layerRef : 0) << std::endl
              << "img" << img << std::endl
              << "texWidth" << texWidth << std::endl
              << "texHeight" << texHeight << std::endl
              << "borderSize" << borderSize << std::endl
              << "subLayer" << subLayer << std::endl
              << "currentSubLayer" << currentSubLayer() << std::endl
              << "drawtype" << drawtype << std::endl
              << "animating" << animating << std::endl;
}
