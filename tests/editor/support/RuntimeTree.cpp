#include "tests/editor/support/RuntimeTree.h"

#include <stdlib.h>

#include <fstream>

namespace quillow::test {

namespace fs = std::filesystem;

RuntimeTree::RuntimeTree()
{
    std::string pattern = (fs::temp_directory_path() / "quillow-editor-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    const fs::path built = QUILLOW_TEST_RUNTIME_DIR;
    fs::create_directories(root_ / "Content" / "Maps");
    fs::create_directories(workDir());
    fs::create_directory_symlink(built / "Content" / "Graphics", root_ / "Content" / "Graphics");
    fs::create_directory_symlink(built / "Content" / "Fonts", root_ / "Content" / "Fonts");
    fs::create_directory_symlink(built / "bin" / "editor" / "data", workDir() / "data");
}

RuntimeTree::~RuntimeTree()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

fs::path RuntimeTree::mapPath(const std::string& name) const
{
    return root_ / "Content" / "Maps" / name;
}

void RuntimeTree::writeMap(const std::string& name, const std::string& text) const
{
    std::ofstream(mapPath(name), std::ios::binary) << text;
}

}  // namespace quillow::test
