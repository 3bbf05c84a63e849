// The property scheme read from files: only the looks a file names change, a
// bad file changes nothing, and the two look files the editor ships load
// without an element the reader does not know.
#include "libs/zorir/ButtonDesc.h"
#include "libs/zorir/FrameWindowDesc.h"
#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/SolidSurfaceDesc.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using testing::HasSubstr;
using Zorir::PropertyScheme;

const std::string sans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string fixture(const std::string& name)
{
    return std::string(std::getenv("QUILLOW_SOURCE_DIR")) + "/tests/zorir/looks/" + name;
}

// Where the build lays out the editor's working directory.
std::string shipped(const std::string& name)
{
    return std::string(std::getenv("QUILLOW_RUNTIME_DIR")) + "/bin/editor/data/" + name;
}

// Each member of the scheme as written out, by its element name.
std::map<std::string, std::string> members(PropertyScheme& scheme)
{
    Zorir::Core::XMLOutputArchive out;
    out.write("Scheme", scheme);
    TiXmlDocument document;
    document.Parse(out.text().c_str());
    std::map<std::string, std::string> written;
    for (TiXmlElement* member = document.FirstChildElement("Scheme")->FirstChildElement(); member;
         member = member->NextSiblingElement()) {
        TiXmlPrinter printer;
        member->Accept(&printer);
        written[member->ValueStr()] = printer.Str();
    }
    return written;
}

// The members in which two schemes differ.
std::vector<std::string> changed(PropertyScheme& before, PropertyScheme& after)
{
    const auto a = members(before), b = members(after);
    std::vector<std::string> names;
    for (const auto& [name, text] : a) {
        if (b.at(name) != text) names.push_back(name);
    }
    return names;
}

// The menus are sized for their grids, with no room for wide frames: their
// borders must be thin, yet wide enough to grab.
void expectThinBorders(const Zorir::FrameWindowDesc& frame)
{
    for (float border : {frame.topBorderWidth, frame.leftBorderWidth, frame.rightBorderWidth, frame.bottomBorderWidth}) {
        EXPECT_GE(border, 2.0f);
        EXPECT_LE(border, 4.0f);
    }
}

class SchemeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Zorir::WindowManager::instance().initialize(sans, nullptr, nullptr, nullptr); }

    PropertyScheme defaults_;
    PropertyScheme scheme_;
};

TEST_F(SchemeTest, HoldsEveryWidgetKindInItsOrder)
{
    Zorir::Core::XMLOutputArchive out;
    out.write("Scheme", scheme_);
    std::vector<std::string> names;
    for (const auto& element : {"buttonDesc", "panelDesc", "editFieldDesc", "scrollBarDesc", "listBoxDesc",
                                "listControlDesc", "progressBarDesc", "checkBoxDesc", "sliderDesc",
                                "frameWindowDesc", "staticTextDesc", "comboBoxDesc"}) {
        names.push_back(element);
    }
    TiXmlDocument document;
    document.Parse(out.text().c_str());
    std::vector<std::string> written;
    for (TiXmlElement* member = document.FirstChildElement("Scheme")->FirstChildElement(); member;
         member = member->NextSiblingElement()) {
        written.push_back(member->ValueStr());
    }
    EXPECT_EQ(written, names);
}

TEST_F(SchemeTest, AFileNamingOneMemberChangesOnlyThatMember)
{
    ASSERT_TRUE(scheme_.load(fixture("scheme-button-only.xml")));
    EXPECT_EQ(changed(defaults_, scheme_), std::vector<std::string>{"buttonDesc"});
    auto& background = static_cast<Zorir::SolidSurfaceDesc&>(*scheme_.buttonDesc().releasedLook.background);
    EXPECT_EQ(background.color, Zorir::Color(0, 0.5f, 0, 1));
}

TEST_F(SchemeTest, ASecondFileReplacesOnlyWhatItNames)
{
    ASSERT_TRUE(scheme_.load(fixture("scheme-button-only.xml")));
    ASSERT_TRUE(scheme_.load(fixture("scheme-scroll-and-slider.xml")));
    EXPECT_EQ(changed(defaults_, scheme_), (std::vector<std::string>{"buttonDesc", "scrollBarDesc", "sliderDesc"}));
    EXPECT_EQ(scheme_.scrollBarDesc().width, 9.0f);
    // The slider's elements are found by name, whatever their order.
    EXPECT_EQ(scheme_.sliderDesc().tickWidth, 2.5f);
    EXPECT_EQ(scheme_.sliderDesc().tickColor, Zorir::Color(0, 0, 1, 1));
}

TEST_F(SchemeTest, FilesWithoutASchemeChangeNothing)
{
    struct Case {
        const char* file;
        const char* told;
    } cases[] = {
        {"no-such-file.xml", ""},
        {"no-scheme.xml", ""},
        {"malformed.xml", "not well-formed"},
        {"scheme-bad.xml", "Scheme/scrollBarDesc"},
        {"", "a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(scheme_.load(fixture(c.file)));
        const std::string told = testing::internal::GetCapturedStdout();
        if (*c.told) {
            EXPECT_THAT(told, HasSubstr(fixture(c.file)));
            EXPECT_THAT(told, HasSubstr(c.told));
        }
        EXPECT_TRUE(changed(defaults_, scheme_).empty());
    }
}

TEST_F(SchemeTest, ABadSchemeIsReportedWithWhereItFailed)
{
    testing::internal::CaptureStdout();
    scheme_.load(fixture("scheme-bad.xml"));
    const std::string told = testing::internal::GetCapturedStdout();
    EXPECT_THAT(told, HasSubstr("scheme-bad.xml"));
    EXPECT_THAT(told, HasSubstr("Scheme/scrollBarDesc/background"));
}

// The files the editor reads at start-up, from where the build put them.
// Reading them strictly: every element must be one the reader knows, so a
// misspelt name cannot silently leave a default in place.
TEST_F(SchemeTest, TheShippedSchemeLoadsWithEveryElementKnown)
{
    Zorir::Core::XMLInputArchive archive;
    ASSERT_TRUE(archive.loadFile(shipped("ingameMenus.xml"))) << archive.loadError();
    ASSERT_TRUE(archive.read("Scheme", scheme_));
    EXPECT_THAT(archive.unreadElements(), testing::IsEmpty());
    // Every kind is described by the file.
    EXPECT_EQ(changed(defaults_, scheme_).size(), members(defaults_).size());
    EXPECT_TRUE(PropertyScheme().load(shipped("ingameMenus.xml")));
    expectThinBorders(scheme_.frameWindowDesc());
}

TEST_F(SchemeTest, TheShippedLooksLoadWithEveryElementKnown)
{
    Zorir::Core::XMLInputArchive archive;
    ASSERT_TRUE(archive.loadFile(shipped("mapeditortoolbar.xml"))) << archive.loadError();
    Zorir::ButtonDesc button;
    Zorir::FrameWindowDesc frame;
    ASSERT_TRUE(archive.read("ToolBarbuttonDesc", button));
    ASSERT_TRUE(archive.read("frameWindowDesc2", frame));
    EXPECT_THAT(archive.unreadElements(), testing::IsEmpty());
    expectThinBorders(frame);
}

// The strict reading itself: unknown and repeated names are told by path.
TEST_F(SchemeTest, StrictReadingNamesTheElementsNotRead)
{
    Zorir::Core::XMLInputArchive archive;
    ASSERT_TRUE(archive.parse(R"(<Scheme><scrollBarDesc><widht>3</widht><width>4</width><width>5</width>
        <border className="RectangleDesc"><style><enum>raised</enum><extra/></style></border></scrollBarDesc>
        <panelDesk/></Scheme><Other/>)"));
    ASSERT_TRUE(archive.read("Scheme", scheme_));
    EXPECT_THAT(archive.unreadElements(),
                testing::ElementsAre("Scheme/scrollBarDesc/widht", "Scheme/scrollBarDesc/width",
                                     "Scheme/scrollBarDesc/border/style/extra", "Scheme/panelDesk", "Other"));
}

}  // namespace
