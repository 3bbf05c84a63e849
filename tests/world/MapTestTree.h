#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace quillow::test {

// A runtime tree of its own for each test: the working directory is
// root/bin/editor, so the map files live in ..\..\Content\Maps\ = root/Content/Maps.
class MapTestTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path() /
                ("quillow-maps-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "bin" / "editor");
        std::filesystem::create_directories(maps());
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_ / "bin" / "editor");
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        std::filesystem::permissions(maps(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add);
        std::filesystem::remove_all(root_);
    }

    std::filesystem::path maps() const { return root_ / "Content" / "Maps"; }

    void writeMapFile(const std::string& name, const std::string& text) const
    {
        std::ofstream(maps() / name, std::ios::binary) << text;
    }
    std::string readMapFile(const std::string& name) const { return readFile(maps() / name); }

    static std::string readFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path root_;
    std::filesystem::path previous_;
};

}  // namespace quillow::test
