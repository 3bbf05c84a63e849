// Costs the toolkit pays on every frame: measuring cached text, wrapping a
// label, and emitting a signal to a few handlers.
#include "libs/zorir/Signal.h"
#include "libs/zorir/services/glfont/GLTextRenderer.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string fontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string label = "The quick brown fox jumps over the lazy dog, then naps under a tree.";

// Measuring needs no OpenGL: glyphs are cached in memory until first drawn.
void textWidthOfCachedGlyphs(benchmark::State& state)
{
    Zorir::Font::GLTextRenderer* renderer = Zorir::Font::GLTextRenderer::acquire(fontFile, 12);
    renderer->textWidth(label);
    for (auto _ : state) benchmark::DoNotOptimize(renderer->textWidth(label));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * label.size()));
    renderer->release();
}
BENCHMARK(textWidthOfCachedGlyphs);

void wrapLabelIntoNarrowLines(benchmark::State& state)
{
    Zorir::Font::GLTextRenderer* renderer = Zorir::Font::GLTextRenderer::acquire(fontFile, 12);
    for (auto _ : state) benchmark::DoNotOptimize(renderer->wrappedLines(label, 90.0f));
    renderer->release();
}
BENCHMARK(wrapLabelIntoNarrowLines);

struct Handler : Zorir::SlotHolder {
    void handle(int value) { total += value; }
    long total = 0;
};

void emitToHandlers(benchmark::State& state)
{
    Handler handlers[4];
    Zorir::Signal1<int> signal;
    for (Handler& handler : handlers) signal.connect(&handler, &Handler::handle);
    for (auto _ : state) signal.emit(1);
    benchmark::DoNotOptimize(handlers[0].total);
}
BENCHMARK(emitToHandlers);

}  // namespace
