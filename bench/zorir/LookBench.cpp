// What reading the editor's looks costs at start-up: every menu button reads
// its look from the description file, over a copy of the one it had.
#include "libs/zorir/ButtonDesc.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/AppearanceLoader.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string fontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A button look as the editor's files hold them: four state looks, each a
// background, a border and a text.
std::string buttonLook()
{
    Zorir::WindowManager::instance().initialize(fontFile, nullptr, nullptr, nullptr);
    Zorir::ButtonDesc look;
    Zorir::Core::XMLOutputArchive out;
    out.write("ToolBarbuttonDesc", look);
    return out.text();
}

void readButtonLook(benchmark::State& state)
{
    const std::string text = buttonLook();
    for (auto _ : state) {
        Zorir::Core::XMLInputArchive archive;
        archive.parse(text);
        Zorir::ButtonDesc look;
        archive.read("ToolBarbuttonDesc", look);
        benchmark::DoNotOptimize(look.releasedLook.textDesc.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(readButtonLook);

void copyButtonLook(benchmark::State& state)
{
    buttonLook();
    Zorir::ButtonDesc look;
    for (auto _ : state) benchmark::DoNotOptimize(Zorir::Core::cloneDescription(look));
}
BENCHMARK(copyButtonLook);

}  // namespace
