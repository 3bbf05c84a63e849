// What opening and saving a large map costs: loading should stay close to
// reading and parsing the file, and both should grow linearly with the
// number of objects.
//
// The documents of large maps take hundreds of megabytes that the C library
// hands back to the system between iterations; on machines where touching
// fresh pages is dear that refaulting outgrows the work itself. To measure
// the code alone, keep the memory in the process:
//   GLIBC_TUNABLES=glibc.malloc.trim_threshold=4000000000:glibc.malloc.mmap_threshold=4000000000
#include "editor/world/MapFile.h"
#include "editor/world/MapFileAccess.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/Md5.h"
#include "platform/Paths.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The registry holds no images here, so every drawable read reports its
// texture as unknown; those lines go nowhere while measuring.
class QuietStdout {
public:
    QuietStdout() : previous_(std::cout.rdbuf(&sink_)) {}
    ~QuietStdout() { std::cout.rdbuf(previous_); }

private:
    struct Sink : std::streambuf {
        int overflow(int c) override { return c; }
    } sink_;
    std::streambuf* previous_;
};

// A runtime tree whose working directory is bin/editor, so that the maps
// folder ..\..\Content\Maps\ exists; removed at the end of the program.
class MapsFolder {
public:
    MapsFolder()
    {
        root_ = fs::temp_directory_path() / ("quillow-map-bench-" + std::to_string(getpid()));
        fs::create_directories(root_ / "bin" / "editor");
        fs::create_directories(root_ / "Content" / "Maps");
        previous_ = fs::current_path();
        fs::current_path(root_ / "bin" / "editor");
    }
    ~MapsFolder()
    {
        fs::current_path(previous_);
        fs::remove_all(root_);
    }

private:
    fs::path root_;
    fs::path previous_;
};

MapsFolder& mapsFolder()
{
    static MapsFolder folder;
    return folder;
}

// Circles, bordered boxes and bordered triangles in turn, with spawns.
void generate(Map& map, int64_t objects)
{
    for (int64_t i = 0; i < objects; ++i) {
        const Vec2 at(static_cast<float>(i % 100) * 50.0f, static_cast<float>(i / 100) * 50.0f);
        switch (i % 3) {
        case 0: map.objects.push_back(new Map_Circle(at, 20.0f, 2, 7)); break;
        case 1:
            map.objects.push_back(new Map_Aabb(at, 40.0f, 30.0f, 3, 7, 8, 4.0f, kUvTile));
            break;
        default:
            map.objects.push_back(new Map_Poly({{0, 0}, {30, 0}, {15, 25}}, at, 4, 3.0f, 7, 8));
        }
    }
    for (uint16_t side = 0; side < 2; ++side) {
        auto spawn = std::make_unique<Spawn>();
        createSpawnMarker(*spawn, side, Vec2(side * 100.0f, 0.0f));
        map.addSpawn(std::move(spawn));
    }
}

std::string mapName(int64_t objects)
{
    return "generated-" + std::to_string(objects) + ".xml";
}

// Writes the generated map once per size.
void ensureMapFile(int64_t objects)
{
    mapsFolder();
    const std::string path = platform::joinPath(kMapsFolder, mapName(objects));
    if (fs::exists(path)) return;
    QuietStdout quiet;
    Map map;
    generate(map, objects);
    saveMap(map, mapName(objects));
    map.unload();
}

// The floor that loading is compared with: read, fingerprint, parse.
void readAndParse(benchmark::State& state)
{
    ensureMapFile(state.range(0));
    const std::string path = platform::joinPath(kMapsFolder, mapName(state.range(0)));
    for (auto _ : state) {
        int32_t size = 0;
        std::unique_ptr<char[]> text = GetFileData(path, size);
        benchmark::DoNotOptimize(md5Hex(std::string_view(text.get(), size)));
        XmlDocument doc;
        doc.parse<0>(text.get());
        benchmark::DoNotOptimize(doc.first_node());
    }
    state.SetComplexityN(state.range(0));
}

void loadGeneratedMap(benchmark::State& state)
{
    ensureMapFile(state.range(0));
    QuietStdout quiet;
    for (auto _ : state) {
        std::unique_ptr<Map> map = loadMap(mapName(state.range(0)));
        state.PauseTiming();
        if (map) map->unload();
        map.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

void saveGeneratedMap(benchmark::State& state)
{
    mapsFolder();
    QuietStdout quiet;
    Map map;
    generate(map, state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(saveMap(map, "saved.xml"));
    map.unload();
    state.SetComplexityN(state.range(0));
}

BENCHMARK(readAndParse)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(loadGeneratedMap)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(saveGeneratedMap)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace
