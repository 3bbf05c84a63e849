#pragma once

#include <filesystem>
#include <string>

namespace quillow::test {

// A runtime tree of the editor's own in a temporary folder: the graphics,
// the fonts and the widget looks linked from the build's tree, and an empty
// maps folder, so that what a test saves never reaches another test or the
// build. Removed with everything in it when destroyed.
class RuntimeTree {
public:
    RuntimeTree();
    ~RuntimeTree();
    RuntimeTree(const RuntimeTree&) = delete;
    RuntimeTree& operator=(const RuntimeTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // The editor's working directory (bin/editor).
    std::filesystem::path workDir() const { return root_ / "bin" / "editor"; }
    std::filesystem::path mapPath(const std::string& name) const;
    // Writes a file into the maps folder.
    void writeMap(const std::string& name, const std::string& text) const;

private:
    std::filesystem::path root_;
};

}  // namespace quillow::test
