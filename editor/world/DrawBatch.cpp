#include "editor/world/DrawBatch.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

namespace {

// Window pixels per side of a grid cell: small enough that objects a few
// pixels apart do not count as meeting, large enough that marking a cell
// costs little.
constexpr int32_t kCellPixels = 16;
// Rounding in our window transform and GL's may differ by a fraction of a
// pixel; a primitive's box is widened by this much on every side.
constexpr float kMarginPixels = 1.0f;

DrawBatch* openBatch = nullptr;

uint64_t kindKey(GlPrimitive primitive, uint32_t textureId)
{
    return (static_cast<uint64_t>(textureId) << 1) | (primitive == GlPrimitive::Polygon ? 1u : 0u);
}

}  // namespace

DrawBatch::~DrawBatch()
{
    if (openBatch == this) openBatch = nullptr;
}

DrawBatch* DrawBatch::current()
{
    return openBatch;
}

void DrawBatch::open()
{
    if (openBatch) openBatch->close();
    std::array<float, 16> projection{};
    std::array<float, 16> modelView{};
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView.data());
    glGetIntegerv(GL_VIEWPORT, viewport_.data());
    glGetFloatv(GL_CURRENT_COLOR, colour_.data());
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += projection[k * 4 + row] * modelView[column * 4 + k];
            windowFromObject_[column * 4 + row] = sum;
        }
    }
    gridWidth_ = std::max(1, (viewport_[2] + kCellPixels - 1) / kCellPixels);
    gridHeight_ = std::max(1, (viewport_[3] + kCellPixels - 1) / kCellPixels);
    cells_.assign(static_cast<size_t>(gridWidth_) * static_cast<size_t>(gridHeight_), -1);
    floor_ = -1;
    newestMarked_ = -1;
    usedRuns_ = 0;
    newestRunOfKind_.clear();
    emitted_ = false;
    open_ = true;
    openBatch = this;
}

void DrawBatch::close()
{
    if (!open_) return;
    open_ = false;
    openBatch = nullptr;
    if (emitted_) {
        drawRuns();
        // As the last immediate emission would have left it.
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, lastTexture_);
    }
    glColor4f(colour_[0], colour_[1], colour_[2], colour_[3]);
}

void DrawBatch::setGrey(float v)
{
    colour_ = {v, v, v, v};
}

void DrawBatch::add(GlPrimitive primitive, uint32_t textureId, const Vec2* points, const Vec2* uvs,
                    size_t count, float depth)
{
    emitted_ = true;
    lastTexture_ = textureId;
    // Leftover vertices of an incomplete quad would shift every quad after
    // them once primitives share a draw call; alone they draw nothing.
    if (primitive == GlPrimitive::Quads) count -= count % 4;
    if (count == 0) return;
    const CellRange cells = cellsCovered(points, count, depth);
    const size_t index = runFor(primitive, textureId, cells);
    markCells(cells, static_cast<int32_t>(index));
    Run& run = runs_[index];
    if (primitive == GlPrimitive::Polygon) {
        run.firsts.push_back(static_cast<int32_t>(run.vertices.size()));
        run.counts.push_back(static_cast<int32_t>(count));
    }
    for (size_t i = 0; i < count; ++i) {
        const Vec2 uv = uvs ? uvs[i] : Vec2(0.0f, 0.0f);
        run.vertices.push_back({points[i].x, points[i].y, depth, uv.x, uv.y});
    }
}

DrawBatch::CellRange DrawBatch::cellsCovered(const Vec2* points, size_t count, float depth) const
{
    const CellRange whole{0, 0, gridWidth_ - 1, gridHeight_ - 1, true};
    const std::array<float, 16>& m = windowFromObject_;
    float lowX = INFINITY, lowY = INFINITY, highX = -INFINITY, highY = -INFINITY;
    for (size_t i = 0; i < count; ++i) {
        const float x = points[i].x, y = points[i].y;
        const float clipX = m[0] * x + m[4] * y + m[8] * depth + m[12];
        const float clipY = m[1] * x + m[5] * y + m[9] * depth + m[13];
        const float clipW = m[3] * x + m[7] * y + m[11] * depth + m[15];
        // Behind the eye the projected box says nothing about the pixels.
        if (!(clipW > 0.0f)) return whole;
        const float windowX = static_cast<float>(viewport_[0]) + (clipX / clipW + 1.0f) * 0.5f * static_cast<float>(viewport_[2]);
        const float windowY = static_cast<float>(viewport_[1]) + (clipY / clipW + 1.0f) * 0.5f * static_cast<float>(viewport_[3]);
        lowX = std::min(lowX, windowX);
        lowY = std::min(lowY, windowY);
        highX = std::max(highX, windowX);
        highY = std::max(highY, windowY);
    }
    if (!std::isfinite(lowX) || !std::isfinite(lowY) || !std::isfinite(highX) || !std::isfinite(highY)) {
        return whole;
    }
    // Cells relative to the viewport, clamped into the grid: whatever lies
    // outside draws nothing, and clamping keeps the answer on the safe side.
    const auto cellOf = [](float pixel, float origin, int32_t last) {
        const float cell = std::floor((pixel - origin) / static_cast<float>(kCellPixels));
        return static_cast<int32_t>(std::clamp(cell, 0.0f, static_cast<float>(last)));
    };
    const float originX = static_cast<float>(viewport_[0]);
    const float originY = static_cast<float>(viewport_[1]);
    CellRange range{cellOf(lowX - kMarginPixels, originX, gridWidth_ - 1),
                    cellOf(lowY - kMarginPixels, originY, gridHeight_ - 1),
                    cellOf(highX + kMarginPixels, originX, gridWidth_ - 1),
                    cellOf(highY + kMarginPixels, originY, gridHeight_ - 1), false};
    range.wholeWindow = range.x0 == 0 && range.y0 == 0 && range.x1 == gridWidth_ - 1 &&
                        range.y1 == gridHeight_ - 1;
    return range;
}

size_t DrawBatch::runFor(GlPrimitive primitive, uint32_t textureId, const CellRange& cells)
{
    int32_t newestBelow = floor_;
    if (!cells.wholeWindow) {
        for (int32_t y = cells.y0; y <= cells.y1; ++y) {
            const int32_t* row = &cells_[static_cast<size_t>(y) * static_cast<size_t>(gridWidth_)];
            for (int32_t x = cells.x0; x <= cells.x1; ++x) newestBelow = std::max(newestBelow, row[x]);
        }
    } else {
        newestBelow = std::max(newestBelow, newestMarked_);
    }
    const auto found = newestRunOfKind_.find(kindKey(primitive, textureId));
    if (found != newestRunOfKind_.end() && static_cast<int32_t>(found->second) >= newestBelow &&
        runs_[found->second].colour == colour_) {
        return found->second;
    }
    return startRun(primitive, textureId);
}

size_t DrawBatch::startRun(GlPrimitive primitive, uint32_t textureId)
{
    if (usedRuns_ == runs_.size()) runs_.emplace_back();
    Run& run = runs_[usedRuns_];
    run.primitive = primitive;
    run.textureId = textureId;
    run.colour = colour_;
    run.vertices.clear();
    run.firsts.clear();
    run.counts.clear();
    newestRunOfKind_[kindKey(primitive, textureId)] = usedRuns_;
    return usedRuns_++;
}

void DrawBatch::markCells(const CellRange& cells, int32_t run)
{
    newestMarked_ = std::max(newestMarked_, run);
    if (cells.wholeWindow) {
        floor_ = run;
        return;
    }
    for (int32_t y = cells.y0; y <= cells.y1; ++y) {
        int32_t* row = &cells_[static_cast<size_t>(y) * static_cast<size_t>(gridWidth_)];
        std::fill(row + cells.x0, row + cells.x1 + 1, run);
    }
}

void DrawBatch::drawRuns() const
{
    if (usedRuns_ == 0) return;
    GLint arrayBuffer = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    if (arrayBuffer != 0) glBindBuffer(GL_ARRAY_BUFFER, 0);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    for (size_t i = 0; i < usedRuns_; ++i) {
        const Run& run = runs_[i];
        glColor4f(run.colour[0], run.colour[1], run.colour[2], run.colour[3]);
        glBindTexture(GL_TEXTURE_2D, run.textureId);
        glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &run.vertices[0].x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &run.vertices[0].u);
        if (run.primitive == GlPrimitive::Quads) {
            glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(run.vertices.size()));
        } else if (glMultiDrawArrays) {
            glMultiDrawArrays(GL_POLYGON, run.firsts.data(), run.counts.data(),
                              static_cast<GLsizei>(run.firsts.size()));
        } else {
            for (size_t p = 0; p < run.firsts.size(); ++p) glDrawArrays(GL_POLYGON, run.firsts[p], run.counts[p]);
        }
    }
    glPopClientAttrib();
    if (arrayBuffer != 0) glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
}
