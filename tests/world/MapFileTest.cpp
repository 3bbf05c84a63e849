#include "editor/world/AnimatingSprite.h"
#include "editor/world/MapFile.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/Md5.h"
#include "tests/world/MapTestTree.h"
#include "tests/world/SampleMap.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <regex>

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

class MapFileTest : public quillow::test::MapTestTree {
protected:
    std::unique_ptr<Map> load(const std::string& name, std::string* output = nullptr)
    {
        CaptureStdout();
        std::unique_ptr<Map> map = loadMap(name);
        const std::string text = GetCapturedStdout();
        if (output) *output = text;
        return map;
    }
    bool save(const Map& map, const std::string& name, std::string* output = nullptr)
    {
        CaptureStdout();
        const bool saved = saveMap(map, name);
        const std::string text = GetCapturedStdout();
        if (output) *output = text;
        return saved;
    }
    static void unload(Map& map)
    {
        CaptureStdout();
        map.unload();
        GetCapturedStdout();
    }
};

// A file around the given objects and spawns.
std::string mapText(const std::string& objects, const std::string& spawns = "")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rootnode version=\"1.0\" type=\"example\">" +
           objects + "<Spawns>" + spawns + "</Spawns></rootnode>\n";
}

std::string vec(const char* name, const char* x, const char* y)
{
    return std::string("<") + name + "><X>" + x + "</X><Y>" + y + "</Y></" + name + ">";
}

std::string drawable(const std::string& points, const std::string& uvs,
                     const std::string& animation = "")
{
    return "<ImgGeo><Animating>" + std::string(animation.empty() ? "0" : "1") +
           "</Animating><Points>" + points + "</Points><UVs>" + uvs +
           "</UVs><UVMapMode>0</UVMapMode><ImgName>nothing</ImgName><TexWidth>0</TexWidth>"
           "<TexHeight>0</TexHeight><BorderSize>0</BorderSize><DrawType>7</DrawType>" +
           animation + "</ImgGeo>";
}

const std::string kFourPoints = vec("pnt", "0", "0") + vec("pnt", "1", "0") +
                                vec("pnt", "1", "1") + vec("pnt", "0", "1");

// The common part in the order of the format, with drawables and a layer of
// one's choosing.
std::string common(const std::string& drawables, const char* layer = "4")
{
    return vec("Pos", "1", "2") + vec("OrigPos", "1", "2") + vec("Parallax", "1", "1") +
           "<Layer>" + layer +
           "</Layer><Alignment>0</Alignment><Type>0</Type><DrawMe>1</DrawMe>"
           "<InheritRot>1</InheritRot><InheritTrans>1</InheritTrans><FollowFactor>1</FollowFactor>"
           "<Drawables>" + drawables + "</Drawables>";
}

std::string circle(const std::string& body = common(drawable(kFourPoints, kFourPoints)))
{
    return "<Circle>" + body + "<radius>3</radius></Circle>";
}

std::string spawn(const char* side)
{
    return std::string("<Spawn><Alignment>") + side + "</Alignment>" + vec("Pos", "5", "6") +
           "</Spawn>";
}

// The animations of one sprite: count records alike, each cutting a strip of
// the given width into the given number of frames.
std::string animations(int count, const std::string& frames, const std::string& stripWidth = "128",
                       const char* current = "0")
{
    const std::string anim = "<Anim><Loop>1</Loop><FrameLength>3</FrameLength>"
                             "<AnimFileWidth>256</AnimFileWidth><AnimFileHeight>128</AnimFileHeight>"
                             "<AnimWidth>" + stripWidth +
                             "</AnimWidth><AnimHeight>32</AnimHeight><AnimXOffset>0</AnimXOffset>"
                             "<AnimYOffset>0</AnimYOffset><AnimNumFrames>" + frames +
                             "</AnimNumFrames></Anim>";
    std::string list;
    for (int i = 0; i < count; ++i) list += anim;
    return std::string("<CurrAnim>") + current + "</CurrAnim><Animations>" + list + "</Animations>";
}

std::string animation(const char* frames, const char* current = "0")
{
    return animations(1, frames, "128", current);
}

// A map whose one sprite holds the given animations.
std::string animatedMap(const std::string& animations)
{
    return mapText(circle(common(drawable(kFourPoints, kFourPoints, animations))));
}

size_t framesOf(const Map& map)
{
    const auto* sprite = dynamic_cast<const AnimatingSprite*>(map.objects.front()->drawables[0].get());
    size_t frames = 0;
    if (sprite) {
        for (const auto& record : sprite->animations) frames += record->frames.size();
    }
    return frames;
}

TEST_F(MapFileTest, AMapBuiltInCodeComesBackAsSavedAndSavesTheSameText)
{
    Map built;
    CaptureStdout();
    quillow::test::buildSampleMap(built);
    GetCapturedStdout();
    ASSERT_TRUE(save(built, "sample.xml"));
    const std::string first = readMapFile("sample.xml");

    std::unique_ptr<Map> loaded = load("sample.xml");
    ASSERT_TRUE(loaded);
    quillow::test::expectSameMap(built, *loaded);
    EXPECT_EQ(loaded->md5Text, md5Hex(first));

    // A second round changes nothing: sprites keep their four points.
    ASSERT_TRUE(save(*loaded, "again.xml"));
    EXPECT_EQ(readMapFile("again.xml"), first);
    unload(*loaded);
    unload(built);
}

TEST_F(MapFileTest, ParallaxTypeIsSignedInTheFileAndPositionsKeepSixDigits)
{
    Map map;
    auto* box = new Map_Aabb(Vec2(1234.5678f, 0), 2.0f, 2.0f, 1, 0, 0, 0.0f, 0);
    box->type = kParallaxType;
    map.objects.push_back(box);
    ASSERT_TRUE(save(map, "types.xml"));
    const std::string text = readMapFile("types.xml");
    EXPECT_THAT(text, HasSubstr("<Type>-1</Type>"));
    EXPECT_THAT(text, HasSubstr("<X>1234.57</X>"));
    std::unique_ptr<Map> loaded = load("types.xml");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->objects.front()->type, kParallaxType);
    EXPECT_EQ(loaded->objects.front()->center.x, 1234.57f);
    unload(*loaded);
    unload(map);
}

TEST_F(MapFileTest, AnEmptyMapHasAnEmptySpawnListAndMarkerlessSpawnsAreNotWritten)
{
    Map map;
    auto side5 = std::make_unique<Spawn>();
    createSpawnMarker(*side5, 5, Vec2(1, 1));
    map.addSpawn(std::move(side5));
    ASSERT_TRUE(save(map, "empty.xml"));
    EXPECT_EQ(readMapFile("empty.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
              "<rootnode version=\"1.0\" type=\"example\">\n\t<Spawns/>\n</rootnode>\n\n");
}

TEST_F(MapFileTest, WindowsLineEndsLoadTheSameMapUnderAnotherFingerprint)
{
    const std::string unix = mapText("\n" + circle() + "\n", spawn("1"));
    const std::string windows = std::regex_replace(unix, std::regex("\n"), "\r\n");
    writeMapFile("unix.xml", unix);
    writeMapFile("windows.xml", windows);
    std::unique_ptr<Map> a = load("unix.xml");
    std::unique_ptr<Map> b = load("windows.xml");
    ASSERT_TRUE(a && b);
    quillow::test::expectSameMap(*a, *b);
    EXPECT_EQ(a->md5Text, md5Hex(unix));
    EXPECT_EQ(b->md5Text, md5Hex(windows));
    EXPECT_NE(a->md5Text, b->md5Text);
    unload(*a);
    unload(*b);
}

TEST_F(MapFileTest, LoadedDrawablesAreFreshHiddenWithTheirObjectAndAtItsLayer)
{
    const std::string hidden = std::regex_replace(common(drawable(kFourPoints, kFourPoints)),
                                                  std::regex("<DrawMe>1"), "<DrawMe>0");
    writeMapFile("hidden.xml", mapText(circle(hidden)));
    std::unique_ptr<Map> map = load("hidden.xml");
    ASSERT_TRUE(map);
    GameObject& object = *map->objects.front();
    ASSERT_EQ(object.drawables.size(), 1u);
    const ImageGeometry& loaded = *object.drawables[0];
    EXPECT_FALSE(object.draw);
    EXPECT_FALSE(loaded.drawEnabled);
    EXPECT_EQ(loaded.layerRef, &object.layer);
    EXPECT_EQ(loaded.points.size(), 4u);
    EXPECT_EQ(loaded.uvs.size(), 4u);
    // One depth step each, the last one handed out before this check.
    EXPECT_EQ(loaded.subLayer, ImageGeometry::currentSubLayer());
    unload(*map);
}

// A bad file: what it holds, the message it gives, whether a map still comes.
struct BadFile {
    const char* label;
    std::function<void(const fs::path& maps)> make;
    std::string message;
    bool loads;
    std::function<void(const Map&)> check = nullptr;
};

std::function<void(const fs::path&)> text(const std::string& contents)
{
    return [contents](const fs::path& maps) {
        std::ofstream(maps / "bad.xml", std::ios::binary) << contents;
    };
}

// Elements inside each other, never closed: deep enough to exhaust the
// parser's stack.
std::string nested(int levels)
{
    std::string deep;
    for (int i = 0; i < levels; ++i) deep += "<a>";
    return deep;
}

const std::string kRefused = "Could not load map data from file.\n";

std::vector<BadFile> badFiles()
{
    return {
        {"malformed XML", text("<rootnode><Circle></rootnode>"),
         "RAPID XML EXCEPTION OCCURRED: ", false},
        {"no root", text("<?xml version=\"1.0\"?>\n<map/>"), kRefused, false},
        {"empty file", text(""), kRefused, false},
        {"missing Pos",
         text(mapText("<Circle>" + std::regex_replace(common(""), std::regex("<Pos>.*?</Pos>"), "") +
                      "<radius>1</radius></Circle>")),
         "element 1 of rootnode: Circle has no Pos element\n" + kRefused, false},
        {"missing X", text(mapText(circle(std::regex_replace(common(""), std::regex("<X>1</X>"), "")))),
         "Pos has no X element\n" + kRefused, false},
        {"common part out of order",
         text(mapText(circle(std::regex_replace(common(""),
                                                std::regex("(<Layer>4</Layer>)(<Alignment>0</Alignment>)"),
                                                "$2$1")))),
         "Circle has no Alignment element after Layer\n" + kRefused, false},
        {"drawable without ImgName",
         text(mapText(circle(common(std::regex_replace(drawable("", ""),
                                                       std::regex("<ImgName>.*</ImgName>"), ""))))),
         "ImgGeo has no ImgName element\n" + kRefused, false},
        {"spawn without Pos", text(mapText("", "<Spawn><Alignment>0</Alignment></Spawn>")),
         "spawn 1: Spawn has no Pos element\n" + kRefused, false},
        {"elements nested past any map",
         text(mapText(nested(200000))),
         "elements nest more than 256 levels deep\n" + kRefused, false},
        {"missing map", [](const fs::path&) {}, "GetFileData() function called on an unvalid file", false},
        {"directory", [](const fs::path& maps) { fs::create_directory(maps / "bad.xml"); },
         "GetFileData() function called on an unvalid file", false},
        {"pipe", [](const fs::path& maps) { mkfifo((maps / "bad.xml").c_str(), 0600); },
         "GetFileData() function called on an unvalid file", false},
        {"size beyond 32 bits",
         [](const fs::path& maps) {
             std::ofstream(maps / "bad.xml").close();
             fs::resize_file(maps / "bad.xml", uintmax_t{1} << 31);
         },
         "GetFileData() function called on a file too large to read", false},
        {"empty Points of a polygon",
         text(mapText("<Poly>" + common("") + "<LineWidth>0</LineWidth><RendImg>0</RendImg><Points/></Poly>" +
                      circle())),
         "WARNING: a polygon of the map with 0 points is left out; a polygon needs at least 3\n",
         true, [](const Map& map) {
             ASSERT_EQ(map.objects.size(), 1u);
             EXPECT_EQ(map.objects.front()->geometry, kGeometryCircle);
         }},
        {"side-5 spawn", text(mapText("", spawn("5") + spawn("1"))),
         "WARNING: a spawn of side 5 is left out; only sides 0 and 1 have spawn points\n", true,
         [](const Map& map) {
             ASSERT_EQ(map.spawnLists.size(), 2u);
             EXPECT_TRUE(map.spawnLists[0].empty());
             EXPECT_EQ(map.spawnLists[1].size(), 1u);
         }},
        {"zero animation frames", text(animatedMap(animation("0", "3"))),
         "ERROR: animation refused: 0 frames on a sheet of 256 x 128\n", true,
         [](const Map& map) {
             const auto* sprite =
                 dynamic_cast<const AnimatingSprite*>(map.objects.front()->drawables[0].get());
             ASSERT_NE(sprite, nullptr);
             EXPECT_TRUE(sprite->animations.empty());
             EXPECT_EQ(sprite->currentAnim, 0);
         }},
        {"frames narrower than a pixel of their strip", text(animatedMap(animation("129"))),
         "ERROR: animation refused: 129 frames in a strip 128 pixels wide\n", true,
         [](const Map& map) { EXPECT_EQ(framesOf(map), 0u); }},
        {"frame count beyond 16 bits", text(animatedMap(animation("4294967295"))),
         "ERROR: animation refused: 4294967295 frames in a strip 128 pixels wide\n", true},
        // Some 660 KB of animations of the widest strip, each asking for its
        // 65,535 frames, would cost more than 2 GB.
        {"frames past the map's total", text(animatedMap(animations(2500, "65535", "65535"))),
         "ERROR: animation refused: 65535 frames are more than the 16 left to this map of 1048576\n",
         true, [](const Map& map) { EXPECT_EQ(framesOf(map), 16u * 65535u); }},
        {"value that does not convert", text(mapText(circle(common("", "lots")))),
         "WARNING: the map value Layer \"lots\" does not convert; keeping 1\n", true,
         [](const Map& map) { EXPECT_EQ(map.objects.front()->layer, 1); }},
        {"box with two corners",
         text(mapText("<Aabb>" + common("") + "<Width>4</Width><Height>2</Height><Points>" +
                      vec("p", "9", "9") + vec("p", "9", "9") + "</Points></Aabb>")),
         "WARNING: a box of the map has 2 of its 4 corners; they are placed anew from its "
         "position and size\n",
         true, [](const Map& map) {
             const auto* box = dynamic_cast<const Map_Aabb*>(map.objects.front());
             ASSERT_NE(box, nullptr);
             EXPECT_EQ(box->corners[0], Vec2(-1, 3));
             EXPECT_EQ(box->corners[1], Vec2(3, 3));
             EXPECT_EQ(box->corners[2], Vec2(3, 1));
             EXPECT_EQ(box->corners[3], Vec2(-1, 1));
         }},
        {"fewer texture coordinates than points",
         text(mapText(circle(common(drawable(kFourPoints, vec("uv", "0", "0")))))),
         "WARNING: a drawable of the map has 4 points but 1 texture coordinates; its texture "
         "coordinates are made anew\n",
         true, [](const Map& map) {
             const ImageGeometry& drawable = *map.objects.front()->drawables[0];
             ASSERT_EQ(drawable.uvs.size(), 4u);
             EXPECT_EQ(drawable.uvs[2], Vec2(1.0f / 400, 1.0f / 400));
         }},
    };
}

TEST_F(MapFileTest, BadFilesGiveTheirMessageAndNeverCrash)
{
    for (const BadFile& bad : badFiles()) {
        SCOPED_TRACE(bad.label);
        fs::remove_all(maps());
        fs::create_directories(maps());
        bad.make(maps());
        std::string output;
        std::unique_ptr<Map> map = load("bad.xml", &output);
        EXPECT_THAT(output, HasSubstr(bad.message));
        EXPECT_EQ(map != nullptr, bad.loads);
        if (map && bad.check) bad.check(*map);
        if (map) unload(*map);
    }
}

TEST_F(MapFileTest, AFailedSaveLeavesTheOldFileAsItWasAndSaysSo)
{
    Map map;
    CaptureStdout();
    quillow::test::buildSampleMap(map);
    GetCapturedStdout();
    const std::string old = "<rootnode>the designer's last good save</rootnode>";
    writeMapFile("keep.xml", old);
    fs::create_directories(maps() / "folder.xml" / "inside");

    std::string output;
    for (const char* name : {"missing/keep.xml", "keep.xml/inside.xml", "folder.xml"}) {
        EXPECT_FALSE(save(map, name, &output)) << name;
        EXPECT_THAT(output, HasSubstr("ERROR: could not save the map file")) << name;
    }
    // A folder the editor may not write to; the superuser may write anyway.
    fs::permissions(maps(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const bool writable = std::ofstream(maps() / "probe").is_open();
    if (!writable) {
        EXPECT_FALSE(save(map, "keep.xml", &output));
        EXPECT_THAT(output, HasSubstr("ERROR: could not save the map file"));
    }
    EXPECT_EQ(readMapFile("keep.xml"), old);
    EXPECT_TRUE(fs::is_directory(maps() / "folder.xml" / "inside"));
    unload(map);
}

}  // namespace
