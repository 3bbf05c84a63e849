#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* folder;
    const char* name;
    const char* expected;
};

TEST(Paths, BackslashFoldersBecomeOpenableAndNamesStayAsTyped)
{
    const PathCase cases[] = {
        {"..\\..\\Content\\Maps\\", "level1.xml", "../../Content/Maps/level1.xml"},
        {"..\\..\\Content\\Graphics\\", "tree.png", "../../Content/Graphics/tree.png"},
        {"../../Content/Fonts/", "accid___.ttf", "../../Content/Fonts/accid___.ttf"},
        {"data/", "ingameMenus.xml", "data/ingameMenus.xml"},
        {"..\\..\\Content\\Maps\\", "", "../../Content/Maps/"},
        {"", "My Map.xml", "My Map.xml"},
        {"..\\..\\Content\\Maps\\", "odd\\name.xml", "../../Content/Maps/odd\\name.xml"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(platform::joinPath(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
    }
    EXPECT_EQ(platform::nativePath("a\\b\\c"), "a/b/c");
}

}  // namespace
