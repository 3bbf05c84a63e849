#include "editor/app/selections/Selection.h"

#include "editor/app/selections/SelectionScene.h"
#include "editor/world/TextureManager.h"

#include <iostream>

namespace {

// Fractions of the view width: the half-size of a vertex marker and the
// border of every marker as drawn.
constexpr float kVertexMarkerDivisor = 350.0f;
constexpr float kDrawnBorderDivisor = 300.0f;

}  // namespace

Selection::Selection(SelectionScene& scene, SelectionKind kind, uint16_t geometryCode)
    : scene_(scene), kind_(kind), geometryCode_(geometryCode)
{
}

Selection::~Selection() = default;

void Selection::finishEdit()
{
    std::cout << "base mr" << std::endl;
}

void Selection::translateHighlight(const Vec2& delta)
{
    if (highlight_) highlight_->translate(delta, false);
}

void Selection::rotateHighlight(const Vec2& about, float angle)
{
    if (highlight_) highlight_->rotate(about, angle, false);
}

void Selection::scaleHighlight(const Vec2& about, float sx, float sy)
{
    if (highlight_) highlight_->scale(about, sx, sy, false);
}

void Selection::drawHighlight()
{
    if (!highlight_) return;
    if (kind_ != kSelectImageVertex) {
        highlight_->setBorderWidth(scene_.viewWidth() / kDrawnBorderDivisor);
    }
    highlight_->draw();
}

void Selection::buildHighlight(const Vec2& low, const Vec2& high, float borderSize)
{
    highlight_.reset();
    highlightLayer_ = 0;
    // The texture is looked up anew: the registry may have been reloaded.
    const auto pink = static_cast<uint32_t>(TextureManager::instance()->getTextureId("pink"));
    highlight_ = std::make_unique<ImageGeometry>(Vec2(low.x, high.y), high, Vec2(high.x, low.y),
                                                 low, pink, &highlightLayer_, kUvTile,
                                                 kDrawQuads, true, borderSize);
}

void Selection::buildVertexHighlight(const Vec2& vertex, float borderSize)
{
    const float h = scene_.viewWidth() / kVertexMarkerDivisor;
    buildHighlight(vertex - Vec2(h, h), vertex + Vec2(h, h), borderSize);
}
