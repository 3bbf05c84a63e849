// Reading a map file: the document is parsed in place, every object and
// spawn is built in full before the map takes it, and a file that lacks an
// element the map needs is refused as a whole, so a half-read map can never
// be saved over the designer's file.
#include "editor/world/MapFile.h"

#include "editor/world/AnimatingSprite.h"
#include "editor/world/MapFileAccess.h"
#include "editor/world/MapFileValues.h"
#include "editor/world/MapTags.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/Md5.h"
#include "editor/world/TextureManager.h"
#include "editor/world/XmlNesting.h"
#include "platform/Paths.h"

#include <rapidxml.hpp>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace {

// Far deeper than any map (its deepest value sits seven levels down), far
// shallower than what would exhaust the parser's stack.
constexpr size_t kMaxNesting = 256;

// Every frame an animation asks for costs a 16-byte record, while the file
// spends a few bytes on the count: unbounded, a map of a few hundred
// kilobytes could ask for gigabytes. A map holds at most this many frames
// in all (16 MiB of records), far more than any map shows.
constexpr uint32_t kMaxFramesPerMap = 1u << 20;

// The frames the animations read so far have left to the rest of the map.
struct FrameBudget {
    uint32_t left = kMaxFramesPerMap;
};

// An element the map needs is missing; the message says which.
class MapFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string nameOf(const XmlNode& node)
{
    return std::string(node.name(), node.name_size());
}

std::string textOf(const XmlNode& node)
{
    return std::string(node.value(), node.value_size());
}

// Child elements only: stray text between elements is no value of the map.
const XmlNode* nextElement(const XmlNode* node)
{
    while (node && node->type() != rapidxml::node_element) node = node->next_sibling();
    return node;
}
const XmlNode* firstElement(const XmlNode& parent)
{
    return nextElement(parent.first_node());
}
const XmlNode* elementAfter(const XmlNode& node)
{
    return nextElement(node.next_sibling());
}

const XmlNode& child(const XmlNode& parent, const char* name)
{
    const XmlNode* found = parent.first_node(name);
    if (!found) throw MapFormatError(nameOf(parent) + " has no " + name + " element");
    return *found;
}

// The conversions, by the type of the field they fill.
bool convert(const XmlNode& element, uint16_t& out) { return readU16(&element, out); }
bool convert(const XmlNode& element, int32_t& out) { return readInt(&element, out); }
bool convert(const XmlNode& element, uint32_t& out) { return readUInt(&element, out); }
bool convert(const XmlNode& element, bool& out) { return readBool(&element, out); }
bool convert(const XmlNode& element, float& out) { return readFloat(&element, out); }

// A value that does not convert costs only that value: the field keeps what
// it held and loading goes on.
template <typename T>
void readValue(const XmlNode& element, T& field)
{
    if (convert(element, field)) return;
    std::cout << "WARNING: the map value " << nameOf(element) << " \"" << textOf(element)
              << "\" does not convert; keeping " << toMapText(field) << std::endl;
}

template <typename T>
void readChild(const XmlNode& parent, const char* name, T& field)
{
    readValue(child(parent, name), field);
}

void readPoint(const XmlNode& element, Vec2& out)
{
    readChild(element, MapTag::kX, out.x);
    readChild(element, MapTag::kY, out.y);
}

// Every child element, whatever its name, is one point.
void readPointList(const XmlNode& list, std::vector<Vec2>& out)
{
    for (const XmlNode* e = firstElement(list); e; e = elementAfter(*e)) {
        Vec2 point;
        readPoint(*e, point);
        out.push_back(point);
    }
}

// A frame is at least one pixel of its strip wide, so a strip holds no more
// frames than it has pixels across (one frame even when it has none).
bool framesFit(uint32_t frames, uint16_t stripWidth, FrameBudget& budget)
{
    const uint32_t usable = std::max<uint32_t>(stripWidth, 1);
    if (frames > usable) {
        std::cout << "ERROR: animation refused: " << frames << " frames in a strip " << stripWidth
                  << " pixels wide" << std::endl;
        return false;
    }
    if (frames > budget.left) {
        std::cout << "ERROR: animation refused: " << frames << " frames are more than the "
                  << budget.left << " left to this map of " << kMaxFramesPerMap << std::endl;
        return false;
    }
    budget.left -= frames;
    return true;
}

void readAnimation(const XmlNode& anim, AnimatingSprite& sprite, FrameBudget& budget)
{
    bool loop = false;
    uint16_t frameLength = 0, width = 0, height = 0, xOffset = 0, yOffset = 0;
    uint32_t fileWidth = 0, fileHeight = 0, frames = 0;
    readChild(anim, MapTag::kLoop, loop);
    readChild(anim, MapTag::kFrameLength, frameLength);
    readChild(anim, MapTag::kAnimFileWidth, fileWidth);
    readChild(anim, MapTag::kAnimFileHeight, fileHeight);
    readChild(anim, MapTag::kAnimWidth, width);
    readChild(anim, MapTag::kAnimHeight, height);
    readChild(anim, MapTag::kAnimXOffset, xOffset);
    readChild(anim, MapTag::kAnimYOffset, yOffset);
    readChild(anim, MapTag::kAnimNumFrames, frames);
    if (!framesFit(frames, width, budget)) return;
    // A refused animation has already been reported by the sprite.
    sprite.addAnimation(fileWidth, fileHeight, width, height, static_cast<uint16_t>(frames),
                        xOffset, yOffset, frameLength, loop);
}

void readAnimations(const XmlNode& element, AnimatingSprite& sprite, FrameBudget& budget)
{
    uint16_t current = 0;
    readChild(element, MapTag::kCurrAnim, current);
    const XmlNode& list = child(element, MapTag::kAnimations);
    for (const XmlNode* anim = list.first_node(MapTag::kAnim); anim;
         anim = anim->next_sibling(MapTag::kAnim)) {
        readAnimation(*anim, sprite, budget);
    }
    if (current < sprite.animations.size()) sprite.currentAnim = current;
}

// Drawing and editing index points and texture coordinates together.
void matchTexCoords(ImageGeometry& drawable)
{
    if (drawable.uvs.size() == drawable.points.size()) return;
    std::cout << "WARNING: a drawable of the map has " << drawable.points.size()
              << " points but " << drawable.uvs.size()
              << " texture coordinates; its texture coordinates are made anew" << std::endl;
    drawable.uvs.assign(drawable.points.size(), Vec2());
    drawable.computeTexCoords(drawable.uvMapMode);
}

std::unique_ptr<ImageGeometry> readDrawable(const XmlNode& element, GameObject& owner,
                                           FrameBudget& budget)
{
    bool animating = false;
    readChild(element, MapTag::kAnimating, animating);
    std::unique_ptr<ImageGeometry> drawable;
    AnimatingSprite* sprite = nullptr;
    if (animating) {
        std::cout << "never be in here wtf" << std::endl;
        auto made = std::make_unique<AnimatingSprite>();
        // Marked as playing so that the writer saves its animations again.
        made->animating = true;
        sprite = made.get();
        drawable = std::move(made);
    } else {
        drawable = std::make_unique<ImageGeometry>();
    }
    drawable->layerRef = &owner.layer;
    readPointList(child(element, MapTag::kPoints), drawable->points);
    readPointList(child(element, MapTag::kUVs), drawable->uvs);
    readChild(element, MapTag::kUVMapMode, drawable->uvMapMode);
    drawable->img = static_cast<uint32_t>(
        TextureManager::instance()->getTextureId(textOf(child(element, MapTag::kImgName))));
    readChild(element, MapTag::kTexWidth, drawable->texWidth);
    readChild(element, MapTag::kTexHeight, drawable->texHeight);
    readChild(element, MapTag::kBorderSize, drawable->borderSize);
    uint32_t drawtype = static_cast<uint32_t>(drawable->drawtype);
    readChild(element, MapTag::kDrawType, drawtype);
    drawable->drawtype = static_cast<int32_t>(drawtype);
    matchTexCoords(*drawable);
    if (sprite) readAnimations(element, *sprite, budget);
    return drawable;
}

// Pos, OrigPos and Parallax anywhere in the object; the rest in a fixed
// order after Parallax.
void readCommonPart(const XmlNode& element, GameObject& object, FrameBudget& budget)
{
    readPoint(child(element, MapTag::kPos), object.center);
    Vec2 anchor;
    readPoint(child(element, MapTag::kOrigPos), anchor);
    object.setOriginalCenter(anchor);
    const XmlNode* at = &child(element, MapTag::kParallax);
    readPoint(*at, object.para);
    auto next = [&](const char* name) -> const XmlNode& {
        const XmlNode* found = at->next_sibling(name);
        if (!found) {
            throw MapFormatError(nameOf(element) + " has no " + name + " element after " +
                                 nameOf(*at));
        }
        at = found;
        return *found;
    };
    readValue(next(MapTag::kLayer), object.layer);
    readValue(next(MapTag::kAlignment), object.alignment);
    // Stored signed: the parallax type 65535 is written as -1.
    int32_t type = object.type;
    readValue(next(MapTag::kType), type);
    object.type = static_cast<uint16_t>(type);
    bool draw = object.draw;
    readValue(next(MapTag::kDrawMe), draw);
    readValue(next(MapTag::kInheritRot), object.inheritRot);
    readValue(next(MapTag::kInheritTrans), object.inheritTrans);
    readValue(next(MapTag::kFollowFactor), object.followFactor);
    const XmlNode& list = next(MapTag::kDrawables);
    std::vector<std::unique_ptr<ImageGeometry>> drawables;
    for (const XmlNode* e = firstElement(list); e; e = elementAfter(*e)) {
        drawables.push_back(readDrawable(*e, object, budget));
    }
    object.drawables = std::move(drawables);
    // Applied once the drawables are the loaded ones, so a hidden object
    // stays hidden.
    object.setDrawEnabled(draw);
}

// The body (the first drawable without a border width) and the border (the
// first with one) of a loaded box or polygon.
struct LoadedLooks {
    const ImageGeometry* body = nullptr;
    const ImageGeometry* border = nullptr;
};

LoadedLooks looksOf(const GameObject& object)
{
    LoadedLooks looks;
    for (const auto& drawable : object.drawables) {
        const ImageGeometry*& slot = drawable->borderSize > 0.0f ? looks.border : looks.body;
        if (!slot) slot = drawable.get();
    }
    return looks;
}

std::unique_ptr<GameObject> readCircle(const XmlNode& element, FrameBudget& budget)
{
    auto circle = std::make_unique<Map_Circle>();
    readCommonPart(element, *circle, budget);
    readChild(element, MapTag::kRadius, circle->radius);
    return circle;
}

void placeBoxCorners(Aabb& box)
{
    const float halfWidth = box.width * 0.5f;
    const float halfHeight = box.height * 0.5f;
    const Vec2& c = box.center;
    box.corners[0] = Vec2(c.x - halfWidth, c.y + halfHeight);
    box.corners[1] = Vec2(c.x + halfWidth, c.y + halfHeight);
    box.corners[2] = Vec2(c.x + halfWidth, c.y - halfHeight);
    box.corners[3] = Vec2(c.x - halfWidth, c.y - halfHeight);
}

std::unique_ptr<GameObject> readBox(const XmlNode& element, FrameBudget& budget)
{
    auto box = std::make_unique<Map_Aabb>();
    readCommonPart(element, *box, budget);
    readChild(element, MapTag::kWidth, box->width);
    readChild(element, MapTag::kHeight, box->height);
    int corners = 0;
    const XmlNode& list = child(element, MapTag::kPoints);
    for (const XmlNode* p = nextElement(list.first_node(MapTag::kP)); p && corners < 4;
         p = elementAfter(*p)) {
        readPoint(*p, box->corners[corners++]);
    }
    if (corners < 4) {
        std::cout << "WARNING: a box of the map has " << corners
                  << " of its 4 corners; they are placed anew from its position and size"
                  << std::endl;
        placeBoxCorners(*box);
    }
    // A later corner edit rebuilds the drawables from these fields.
    const LoadedLooks looks = looksOf(*box);
    if (looks.body) {
        box->textureId = looks.body->img;
        box->animatedBody = looks.body->animating;
    }
    if (looks.border) {
        box->borderTextureId = looks.border->img;
        box->borderSize = looks.border->borderSize;
    }
    return box;
}

// Null when the polygon has too few points to be one.
std::unique_ptr<GameObject> readPoly(const XmlNode& element, FrameBudget& budget)
{
    auto poly = std::make_unique<Map_Poly>();
    readCommonPart(element, *poly, budget);
    readChild(element, MapTag::kLineWidth, poly->LineWidth);
    uint32_t rendImg = poly->RendImg;
    readChild(element, MapTag::kRendImg, rendImg);
    poly->setRendImg(static_cast<int32_t>(rendImg));
    readPointList(child(element, MapTag::kPoints), poly->points);
    if (poly->points.size() < 3) {
        std::cout << "WARNING: a polygon of the map with " << poly->points.size()
                  << " points is left out; a polygon needs at least 3" << std::endl;
        return nullptr;
    }
    // Texture ids change between sessions; the drawables hold the textures
    // by name, so a later vertex edit rebuilds them from these.
    const LoadedLooks looks = looksOf(*poly);
    if (looks.body) poly->setRendImg(static_cast<int32_t>(looks.body->img));
    if (looks.border) {
        poly->borderTextureId = looks.border->img;
        poly->LineWidth = looks.border->borderSize;
    }
    return poly;
}

// Null for elements that are no object (or a polygon left out).
std::unique_ptr<GameObject> readObject(const XmlNode& element, FrameBudget& budget)
{
    const std::string_view kind(element.name(), element.name_size());
    if (kind == MapTag::kCircle) return readCircle(element, budget);
    if (kind == MapTag::kAabb) return readBox(element, budget);
    if (kind == MapTag::kPoly) return readPoly(element, budget);
    return nullptr;
}

std::vector<std::unique_ptr<GameObject>> readObjects(const XmlNode& root)
{
    std::vector<std::unique_ptr<GameObject>> objects;
    FrameBudget budget;
    int index = 0;
    for (const XmlNode* e = firstElement(root); e; e = elementAfter(*e)) {
        ++index;
        try {
            if (auto object = readObject(*e, budget)) objects.push_back(std::move(object));
        } catch (const MapFormatError& error) {
            throw MapFormatError("element " + std::to_string(index) + " of rootnode: " +
                                 error.what());
        }
    }
    return objects;
}

// Every element from the first Spawn on is one spawn.
void readSpawns(const XmlNode& root, Map& map)
{
    const XmlNode* spawns = root.first_node(MapTag::kSpawns);
    if (!spawns) return;
    int index = 0;
    for (const XmlNode* e = nextElement(spawns->first_node(MapTag::kSpawn)); e;
         e = elementAfter(*e)) {
        ++index;
        uint16_t side = 0;
        Vec2 position;
        try {
            readChild(*e, MapTag::kAlignment, side);
            readPoint(child(*e, MapTag::kPos), position);
        } catch (const MapFormatError& error) {
            throw MapFormatError("spawn " + std::to_string(index) + ": " + error.what());
        }
        if (!spawnMarkerImage(side)) {
            std::cout << "WARNING: a spawn of side " << side
                      << " is left out; only sides 0 and 1 have spawn points" << std::endl;
            continue;
        }
        auto spawn = std::make_unique<Spawn>();
        createSpawnMarker(*spawn, side, position);
        map.addSpawn(std::move(spawn));
    }
}

std::unique_ptr<Map> buildMap(const XmlNode& root, std::string md5Text)
{
    std::vector<std::unique_ptr<GameObject>> objects = readObjects(root);
    auto map = std::make_unique<Map>();
    map->md5Text = std::move(md5Text);
    readSpawns(root, *map);
    for (auto& object : objects) map->objects.push_back(object.release());
    return map;
}

// Reports why the file at path gives no map (when the reason is known).
std::unique_ptr<Map> refuse(const std::string& path, const std::string& reason)
{
    if (!reason.empty()) std::cout << "ERROR: " << path << ": " << reason << std::endl;
    std::cout << "Could not load map data from file." << std::endl;
    return nullptr;
}

}  // namespace

std::unique_ptr<Map> loadMap(const std::string& name)
{
    const std::string path = platform::joinPath(kMapsFolder, name);
    int32_t size = 0;
    std::unique_ptr<char[]> text = GetFileData(path, size);
    if (!text) return nullptr;
    // Parsing rewrites the buffer, so the file's text is fingerprinted
    // first; the text ends at the first null byte.
    const std::string_view contents(text.get());
    std::string md5Text = md5Hex(contents);
    if (xmlNestingDepth(contents, kMaxNesting) > kMaxNesting) {
        return refuse(path, "elements nest more than " + std::to_string(kMaxNesting) +
                                " levels deep");
    }
    XmlDocument doc;
    try {
        doc.parse<0>(text.get());
    } catch (const rapidxml::parse_error& error) {
        std::cout << "RAPID XML EXCEPTION OCCURRED: " << error.what() << std::endl;
        return nullptr;
    }
    const XmlNode* root = doc.first_node("rootnode");
    if (!root) return refuse(path, "");
    try {
        return buildMap(*root, std::move(md5Text));
    } catch (const MapFormatError& error) {
        return refuse(path, error.what());
    }
}
