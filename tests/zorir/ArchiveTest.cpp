// Looks read from and written to XML: the factory registry, every
// description class written and read back, the reading rules, and bad files
// reported without losing the look a widget had.
#include "libs/zorir/BitmapDesc.h"
#include "libs/zorir/ButtonDesc.h"
#include "libs/zorir/GradientSurfaceDesc.h"
#include "libs/zorir/NilImage.h"
#include "libs/zorir/Panel.h"
#include "libs/zorir/PanelDesc.h"
#include "libs/zorir/RectangleDesc.h"
#include "libs/zorir/SolidSurfaceDesc.h"
#include "libs/zorir/StaticText.h"
#include "libs/zorir/TextDesc.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/AppearanceLoader.h"
#include "libs/zorir/core/StandardException.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"
#include "libs/zorir/services/glfont/GLTextRenderer.h"
#include "tests/support/TextBeforeGuardPage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using Zorir::Color;
using Zorir::Core::ArchiveError;
using Zorir::Core::StandardException;
using Zorir::Core::XMLInputArchive;
using Zorir::Core::XMLOutputArchive;
using testing::HasSubstr;

const std::string sans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string mono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

std::string fixture(const std::string& name)
{
    return std::string(std::getenv("QUILLOW_SOURCE_DIR")) + "/tests/zorir/looks/" + name;
}

// The text descriptions of every look open the window manager's default font.
class ArchiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Zorir::WindowManager::instance().initialize(sans, nullptr, nullptr, nullptr); }
};

// Reads one top-level element of the given text into the object.
template <class T>
void readInto(T& object, const std::string& xml)
{
    XMLInputArchive archive;
    ASSERT_TRUE(archive.parse(xml)) << archive.loadError();
    ASSERT_TRUE(archive.read("look", object));
}

template <class T>
std::string written(T& object)
{
    XMLOutputArchive archive;
    archive.write("look", object);
    return archive.text();
}

// The class names XML files use.
const char* const registeredNames[] = {
    "ListControlDesc",  "FrameWindowDesc",     "ButtonStateDesc", "ButtonDesc",       "StaticTextDesc",
    "PanelDesc",        "CheckDesc",           "CheckBoxDesc",    "ComboBoxDesc",     "EditFieldDesc",
    "SolidSurfaceDesc", "GradientSurfaceDesc", "RectangleDesc",   "TextDesc",         "DefaultCheckDesc",
    "DefaultFrameDesc", "BitmapDesc",          "Bitmap1x3Desc",   "ListBoxDesc",      "ScrollBarDesc",
    "ProgressBarDesc",  "SliderDesc"};

TEST_F(ArchiveTest, EveryRegisteredClassNameResolvesToItsOwnClass)
{
    for (const char* name : registeredNames) {
        SCOPED_TRACE(name);
        Zorir::Core::FactoryInterface* factory = Zorir::Core::findFactoryByClassName(name);
        ASSERT_NE(factory, nullptr);
        std::unique_ptr<Zorir::Core::Serializable> object(factory->create());
        EXPECT_EQ(&Zorir::Core::factoryByTypeName(typeid(*object).name()), factory);
    }
}

// Reads and writes whatever object a factory made, through its serializers.
struct ThroughFactory {
    Zorir::Core::FactoryInterface& factory;
    Zorir::Core::Serializable& object;

    template <class Archive>
    void serialize(Archive& archive)
    {
        factory.serialize(Zorir::Core::runTimeTypeName<Archive>(), archive, object);
    }
};

std::string printed(const TiXmlNode& node)
{
    TiXmlPrinter printer;
    node.Accept(&printer);
    return printer.Str();
}

// Every class read from an element that holds all its fields, none at its
// default, writes the same element back: the element names (as the files
// spell them), their order and the values.
TEST_F(ArchiveTest, EveryClassWritesBackWhatItRead)
{
    TiXmlDocument document;
    ASSERT_TRUE(document.LoadFile(fixture("every-class.xml").c_str()));
    for (const char* name : registeredNames) {
        SCOPED_TRACE(name);
        TiXmlElement* element = document.FirstChildElement(name);
        ASSERT_NE(element, nullptr) << "no fixture for the class";
        ASSERT_STREQ(element->Attribute("className"), name);
        Zorir::Core::FactoryInterface& factory = Zorir::Core::factoryByClassName(name);
        std::unique_ptr<Zorir::Core::Serializable> object(factory.create());
        ThroughFactory serialized{factory, *object};

        XMLInputArchive in;
        ASSERT_TRUE(in.loadFile(fixture("every-class.xml")));
        ASSERT_TRUE(in.read(name, serialized));
        XMLOutputArchive out;
        out.write(name, serialized);

        TiXmlDocument expected;
        expected.InsertEndChild(*element)->ToElement()->RemoveAttribute("className");
        EXPECT_EQ(out.text(), printed(expected));
    }
}

TEST_F(ArchiveTest, MissingElementsKeepTheDefaults)
{
    Zorir::RectangleDesc rectangle(Zorir::RectangleDesc::Dropped);
    readInto(rectangle, "<look><lineWidth>4</lineWidth><color1><red>0.5</red></color1></look>");
    EXPECT_EQ(rectangle.style, Zorir::RectangleDesc::Dropped);
    EXPECT_EQ(rectangle.lineWidth, 4.0f);
    // A colour lacking channels keeps those of the description.
    EXPECT_EQ(rectangle.color1, Color(0.5f, 1, 1, 0.5f));
    EXPECT_EQ(rectangle.color2, Color(0, 0, 0, 0.5f));
}

TEST_F(ArchiveTest, ValuesThatAreNotTextOrNotNumbersKeepTheField)
{
    struct Case {
        const char* xml;
        float lineWidth;
    } cases[] = {
        {"<look><lineWidth>2.5</lineWidth></look>", 2.5f},
        {"<look><lineWidth>3px</lineWidth></look>", 3.0f},  // stream extraction stops at the unit
        {"<look><lineWidth>wide</lineWidth></look>", 1.0f},
        {"<look><lineWidth></lineWidth></look>", 1.0f},
        {"<look><lineWidth><!-- later -->7</lineWidth></look>", 1.0f},
        {"<look><lineWidth><value>7</value></lineWidth></look>", 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        Zorir::RectangleDesc rectangle;
        readInto(rectangle, c.xml);
        EXPECT_EQ(rectangle.lineWidth, c.lineWidth);
    }
}

TEST_F(ArchiveTest, EnumerationNamesCompareExactly)
{
    Zorir::RectangleDesc rectangle;
    readInto(rectangle, "<look><style><enum>raised</enum></style></look>");
    EXPECT_EQ(rectangle.style, Zorir::RectangleDesc::Raised);
    // Without its "enum" child the value stays.
    readInto(rectangle, "<look><style/></look>");
    EXPECT_EQ(rectangle.style, Zorir::RectangleDesc::Raised);
    XMLInputArchive archive;
    ASSERT_TRUE(archive.parse("<look><style><enum>Raised</enum></style></look>"));
    try {
        archive.read("look", rectangle);
        FAIL() << "a wrong name was accepted";
    } catch (const ArchiveError& error) {
        EXPECT_STREQ(error.what(), "Name cannot be converted to enum value");
        EXPECT_EQ(archive.currentPath(), "look/style");
    }
}

TEST_F(ArchiveTest, PointerElementsChooseTheirClassByTheirOwnAttribute)
{
    Zorir::PanelDesc panel;
    // No children: the pointer is cleared, not given a default object.
    readInto(panel, R"(<look><background className="SolidSurfaceDesc"/></look>)");
    EXPECT_EQ(panel.background, nullptr);
    ASSERT_NE(panel.border, nullptr);

    readInto(panel, R"(<look><border className="GradientSurfaceDesc"><orientation><enum>vertical</enum>
                       </orientation></border></look>)");
    ASSERT_NE(dynamic_cast<Zorir::GradientSurfaceDesc*>(panel.border.get()), nullptr);
}

TEST_F(ArchiveTest, PointerElementsThatNameNoUsableClassFail)
{
    struct Case {
        const char* xml;
        const char* error;
        const char* path;
    } cases[] = {
        {R"(<look><background className="NoSuchDesc"><color/></background></look>)", "factory != 0",
         "look/background"},
        // A class named on an earlier element is never taken for this one.
        {R"(<look><border className="RectangleDesc"><lineWidth>2</lineWidth></border>
            <background><color/></background></look>)",
         "names no class", "look/background"},
        {R"(<look><background className=""><color/></background></look>)", "names no class", "look/background"},
        {R"(<look><background other="1" className="SolidSurfaceDesc"><color/></background></look>)",
         "names no class", "look/background"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        Zorir::PanelDesc panel;
        XMLInputArchive archive;
        ASSERT_TRUE(archive.parse(c.xml));
        try {
            archive.read("look", panel);
            FAIL() << "read without a usable class";
        } catch (const std::exception& error) {
            EXPECT_THAT(error.what(), HasSubstr(c.error));
            EXPECT_EQ(archive.currentPath(), c.path);
        }
    }
}

// A declaration or a byte-order mark would put TinyXML in its UTF-8 mode,
// which steps over the terminating null of a text that ends in the lead byte
// of a multi-byte sequence and parses on through the memory behind it.
TEST_F(ArchiveTest, TextsEndingInAMultiByteLeadByteAreReadNoFurtherThanTheirEnd)
{
    const char* const texts[] = {
        "<?xml?><a>\xDC",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><look><red>\xE2",
        "\xEF\xBB\xBF<look>\xF4",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><look a=\"\xC3",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        quillow::test::TextBeforeGuardPage guarded(text);
        XMLInputArchive archive;
        EXPECT_FALSE(archive.parse(guarded.c_str()));
    }
}

TEST_F(ArchiveTest, APointerMemberTakesOnlyObjectsOfItsType)
{
    Zorir::ButtonStateDesc state;
    XMLInputArchive archive;
    ASSERT_TRUE(archive.parse(R"(<look><textDesc className="SolidSurfaceDesc"><color/></textDesc></look>)"));
    EXPECT_THROW(archive.read("look", state), ArchiveError);
    ASSERT_NE(state.textDesc, nullptr);
}

// Objects read into pointers: the old one goes when it is replaced or
// cleared (the sanitizer build catches a second delete or a leak).
TEST_F(ArchiveTest, ReplacingAndClearingPointersDeletesTheOldObjects)
{
    Zorir::PanelDesc panel;
    for (int round = 0; round < 3; ++round) {
        readInto(panel, R"(<look><background className="SolidSurfaceDesc"><color><red>0.25</red></color>
                           </background></look>)");
        ASSERT_NE(panel.background, nullptr);
        EXPECT_EQ(static_cast<Zorir::SolidSurfaceDesc&>(*panel.background).color.red, 0.25f);
        readInto(panel, R"(<look><background className="SolidSurfaceDesc"/></look>)");
        EXPECT_EQ(panel.background, nullptr);
    }
}

TEST_F(ArchiveTest, ATextLookKeepsItsFontWhenTheNewOneCannotBeOpened)
{
    Zorir::TextDesc text(mono, 13);
    text.text = "Quillow";
    const float width = text.textWidth();
    EXPECT_THROW(text.setFont("/nonexistent/font.ttf", 13), StandardException);
    EXPECT_EQ(text.fontFileName(), mono);
    EXPECT_TRUE(Zorir::Font::GLTextRenderer::isAcquired(mono, 13));
    EXPECT_EQ(text.textWidth(), width);

    // Changing to another font gives the old one back once the new one is held.
    text.setFont(sans, 13);
    EXPECT_FALSE(Zorir::Font::GLTextRenderer::isAcquired(mono, 13));
    EXPECT_TRUE(Zorir::Font::GLTextRenderer::isAcquired(sans, 13));
}

TEST_F(ArchiveTest, ABitmapMakesNoTextureWhileBeingRead)
{
    Zorir::BitmapDesc bitmap;
    EXPECT_EQ(bitmap.image(), nullptr);
    readInto(bitmap, "<look><fileName>button.png</fileName><right>3</right></look>");
    EXPECT_EQ(bitmap.image(), &Zorir::NilImage::instance());
    EXPECT_EQ(bitmap.image()->handle(), 0u);
    EXPECT_EQ(bitmap.right, 3);
    EXPECT_EQ(bitmap.bottom, -1);
}

// A widget's own look read from a file with several looks in it.
class LoadAppearanceTest : public ArchiveTest {
protected:
    static Color background(Zorir::StaticText& label)
    {
        return static_cast<Zorir::SolidSurfaceDesc&>(*label.description()->background).color;
    }

    Zorir::StaticText label_{nullptr, "label"};
};

TEST_F(LoadAppearanceTest, ReadsTheNamedLook)
{
    label_.loadAppearance(fixture("labels.xml"), "greenLabel");
    ASSERT_NE(label_.description(), nullptr);
    EXPECT_EQ(background(label_), Color(0, 1, 0, 1));
    EXPECT_EQ(label_.description()->border, nullptr);
    // A second look read over it changes only what it names.
    label_.loadAppearance(fixture("labels.xml"), "redBorderOnly");
    EXPECT_EQ(background(label_), Color(0, 1, 0, 1));
    EXPECT_NE(label_.description()->border, nullptr);
}

// Reading a look over another starts from a copy of it: parts the first
// look cleared stay cleared.
TEST_F(LoadAppearanceTest, ASecondLookKeepsWhatTheFirstCleared)
{
    Zorir::Panel panel(Zorir::Rectangle(0, 0, 10, 10), nullptr, "panel");
    panel.loadAppearance(fixture("labels.xml"), "noBorder");
    ASSERT_NE(panel.description(), nullptr);
    EXPECT_EQ(panel.description()->border, nullptr);
    panel.loadAppearance(fixture("labels.xml"), "blueBackground");
    EXPECT_EQ(panel.description()->border, nullptr);
    EXPECT_EQ(static_cast<Zorir::SolidSurfaceDesc&>(*panel.description()->background).color, Color(0, 0, 1, 1));
}

// Files are read byte by byte; one saved with a UTF-8 byte-order mark still
// gives its looks.
TEST_F(LoadAppearanceTest, AFileWithAByteOrderMarkLoads)
{
    label_.loadAppearance(fixture("byte-order-mark.xml"), "greenLabel");
    ASSERT_NE(label_.description(), nullptr);
    EXPECT_EQ(background(label_), Color(0, 1, 0, 1));
}

TEST_F(LoadAppearanceTest, AMissingFileOrElementLeavesTheDefaults)
{
    label_.loadAppearance(fixture("no-such-file.xml"), "greenLabel");
    ASSERT_NE(label_.description(), nullptr);
    EXPECT_EQ(label_.description()->background, nullptr);
    label_.loadAppearance(fixture("labels.xml"), "noSuchLook");
    EXPECT_EQ(label_.description()->background, nullptr);
}

// A bad file is told on standard output, with the file and the element, and
// the label keeps the look it had.
TEST_F(LoadAppearanceTest, BadLooksAreReportedAndChangeNothing)
{
    struct Case {
        const char* file;
        const char* look;
        const char* told;
    } cases[] = {
        {"malformed.xml", "greenLabel", "not well-formed"},
        {"ends-in-lead-byte.xml", "greenLabel", "not well-formed"},
        {"", "greenLabel", "a folder"},
        {"labels.xml", "unknownEnumeration", "unknownEnumeration/border/style"},
        {"labels.xml", "unknownClass", "unknownClass/background"},
        {"labels.xml", "missingFont", "missingFont/textDesc"},
        {"labels.xml", "wrongClassForText", "wrongClassForText/textDesc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.look);
        Zorir::StaticText label(nullptr, "label");
        label.loadAppearance(fixture("labels.xml"), "greenLabel");
        testing::internal::CaptureStdout();
        label.loadAppearance(fixture(c.file), c.look);
        const std::string told = testing::internal::GetCapturedStdout();
        EXPECT_THAT(told, HasSubstr(fixture(c.file)));
        EXPECT_THAT(told, HasSubstr(c.told));
        EXPECT_EQ(background(label), Color(0, 1, 0, 1));
        EXPECT_EQ(label.description()->textDesc->fontFileName(), sans);
    }
}

// A widget that had no look of its own still gets one with the defaults,
// rather than silently drawing with its kind's look from the scheme.
TEST_F(LoadAppearanceTest, ABadFileStillGivesAWidgetALookOfItsOwn)
{
    for (const char* file : {"malformed.xml", "labels.xml"}) {
        SCOPED_TRACE(file);
        Zorir::StaticText label(nullptr, "label");
        testing::internal::CaptureStdout();
        label.loadAppearance(fixture(file), "unknownClass");
        testing::internal::GetCapturedStdout();
        ASSERT_NE(label.description(), nullptr);
        EXPECT_EQ(label.description()->background, nullptr);
        EXPECT_NE(label.description()->textDesc, nullptr);
    }
}

}  // namespace
