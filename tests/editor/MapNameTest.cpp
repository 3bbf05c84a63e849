// Which typed map names the editor refuses to open or save under.
#include "editor/app/simulation/MapName.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct NameCase {
    std::string name;
    bool refused;
};

void PrintTo(const NameCase& name, std::ostream* out)
{
    *out << ::testing::PrintToString(name.name);
}

class MapName : public ::testing::TestWithParam<NameCase> {};

// Only what names no file or leaves the maps folder is refused, with a reason.
TEST_P(MapName, IsRefusedOnlyWhenItLeavesTheMapsFolderOrNamesNoFile)
{
    EXPECT_EQ(!mapNameProblem(GetParam().name).empty(), GetParam().refused);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Names, MapName,
    ::testing::Values(NameCase{"level.xml", false}, NameCase{"level..2.xml", false}, NameCase{"..level.xml", false},
                      NameCase{"level.xml..", false}, NameCase{"...", false}, NameCase{".hidden.xml", false},
                      NameCase{"two words.xml", false}, NameCase{"no extension", false},
                      NameCase{"", true}, NameCase{".", true}, NameCase{"..", true},
                      NameCase{"../level.xml", true}, NameCase{"..\\level.xml", true},
                      NameCase{"maps/level.xml", true}, NameCase{"maps\\level.xml", true},
                      NameCase{"/tmp/level.xml", true}, NameCase{"\\\\server\\maps\\level.xml", true},
                      NameCase{"C:\\level.xml", true}, NameCase{"C:level.xml", true},
                      NameCase{"level\0.xml"s, true}));

}  // namespace
