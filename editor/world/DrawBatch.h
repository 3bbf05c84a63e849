#pragma once

#include "editor/world/GlDraw.h"
#include "editor/world/Vec2.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

// Gathers the textured primitives that drawables emit while it is open and
// draws them with a handful of draw calls when it is closed. A software
// renderer spends microseconds on every begin/end pair and every texture
// switch, which a map of thousands of objects cannot afford each frame.
//
// The picture stays the same: primitives of the same texture, kind and
// colour are drawn together, and a primitive is moved ahead of an earlier
// one only when their pixels cannot meet (their window-space boxes share no
// cell of a coarse grid), so depth test and blending see the fragments of
// every pixel in the order in which they were emitted.
//
// While a batch is open, drawing goes through emitTextured and setGrey only,
// and the matrices, the viewport and all other GL state stay as they were
// when it was opened. The buffers are kept from one frame to the next.
class DrawBatch {
public:
    // Keeps a batch open for the lifetime of a scope, closing it on every
    // way out.
    class Scope {
    public:
        explicit Scope(DrawBatch& batch) : batch_(batch) { batch_.open(); }
        ~Scope() { batch_.close(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        DrawBatch& batch_;
    };

    DrawBatch() = default;
    ~DrawBatch();
    DrawBatch(const DrawBatch&) = delete;
    DrawBatch& operator=(const DrawBatch&) = delete;

    // Starts gathering; reads GL's matrices, viewport and current colour.
    // Closes another batch that is still open.
    void open();
    // Draws what was gathered and leaves GL as emitting each primitive at
    // once would have left it. Nothing happens when the batch is not open.
    void close();

    // The batch that is open, or null.
    static DrawBatch* current();

    // What emitTextured and setGrey do while this batch is open.
    void add(GlPrimitive primitive, uint32_t textureId, const Vec2* points, const Vec2* uvs,
             size_t count, float depth);
    void setGrey(float v);

private:
    struct Vertex {
        float x, y, z, u, v;
    };
    using Colour = std::array<float, 4>;
    // Primitives drawn by one draw call, in the order they were emitted.
    struct Run {
        GlPrimitive primitive = GlPrimitive::Quads;
        uint32_t textureId = 0;
        Colour colour{};
        std::vector<Vertex> vertices;
        std::vector<int32_t> firsts;  // one polygon each
        std::vector<int32_t> counts;
    };
    // Cells of the window covered by a primitive, inclusive.
    struct CellRange {
        int32_t x0, y0, x1, y1;
        bool wholeWindow;
    };

    CellRange cellsCovered(const Vec2* points, size_t count, float depth) const;
    // Index of the run the primitive joins: the newest run of its kind, if
    // nothing drawn after that run shares a cell with the primitive.
    size_t runFor(GlPrimitive primitive, uint32_t textureId, const CellRange& cells);
    void markCells(const CellRange& cells, int32_t run);
    size_t startRun(GlPrimitive primitive, uint32_t textureId);
    void drawRuns() const;

    bool open_ = false;
    std::array<float, 16> windowFromObject_{};  // projection × model-view
    std::array<int32_t, 4> viewport_{};
    int32_t gridWidth_ = 0;
    int32_t gridHeight_ = 0;
    // Per cell, the newest run that draws into it (-1 for none); runs that
    // cover the whole window raise the floor instead of every cell.
    std::vector<int32_t> cells_;
    int32_t floor_ = -1;
    int32_t newestMarked_ = -1;  // the newest run marked anywhere
    std::vector<Run> runs_;  // the first usedRuns_ are this frame's
    size_t usedRuns_ = 0;
    std::unordered_map<uint64_t, size_t> newestRunOfKind_;
    Colour colour_{};
    bool emitted_ = false;
    uint32_t lastTexture_ = 0;
};
