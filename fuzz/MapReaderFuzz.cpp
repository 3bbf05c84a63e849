// A map file may come from anywhere: each input is the whole file, which the
// reader loads from the maps folder of a runtime tree of the fuzzer's own.
// The working directory is that tree's only while the reader runs, so that
// corpus and artifact paths given to the fuzzer keep their meaning.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "editor/world/MapFile.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kMapName = "fuzz.xml";

fs::path mapsFolder;
fs::path editorFolder;

// From root/bin/editor the maps folder ..\..\Content\Maps\ is
// root/Content/Maps.
void makeRuntimeTree()
{
    // In TMPDIR, which scripts/fuzz points at a memory-backed folder of its
    // own: on disk each input takes ten times as long.
    std::string root = (fs::temp_directory_path() / "quillow-fuzz-maps-XXXXXX").string();
    if (!mkdtemp(root.data())) std::abort();
    editorFolder = fs::path(root) / "bin" / "editor";
    mapsFolder = fs::path(root) / "Content" / "Maps";
    fs::create_directories(editorFolder);
    fs::create_directories(mapsFolder);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    makeRuntimeTree();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        std::ofstream file(mapsFolder / kMapName, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const fs::path previous = fs::current_path();
    fs::current_path(editorFolder);
    std::unique_ptr<Map> map = loadMap(kMapName);
    fs::current_path(previous);
    return 0;
}
