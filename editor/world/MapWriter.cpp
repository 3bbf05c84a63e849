// Writing a map file: one document built from the map, printed and put in
// place of the old file only once it is safely written.
#include "editor/world/MapFile.h"

#include "editor/world/AnimatingSprite.h"
#include "editor/world/MapFileAccess.h"
#include "editor/world/MapFileValues.h"
#include "editor/world/MapTags.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/TextureManager.h"
#include "platform/Paths.h"

namespace {

XmlNode* newElement(const char* name, XmlDocument& doc)
{
    return doc.allocate_node(rapidxml::node_element, doc.allocate_string(name));
}

void addAttribute(XmlNode& node, const char* name, const char* value, XmlDocument& doc)
{
    node.append_attribute(
        doc.allocate_attribute(doc.allocate_string(name), doc.allocate_string(value)));
}

XmlNode* writePointList(const char* name, const char* pointName, const Vec2* points,
                        size_t count, XmlDocument& doc)
{
    XmlNode* list = newElement(name, doc);
    for (size_t i = 0; i < count; ++i) list->append_node(writeVec2(pointName, points[i], doc));
    return list;
}

XmlNode* writePointList(const char* name, const char* pointName,
                        const std::vector<Vec2>& points, XmlDocument& doc)
{
    return writePointList(name, pointName, points.data(), points.size(), doc);
}

XmlNode* writeAnimation(const AnimationRecord& record, XmlDocument& doc)
{
    XmlNode* anim = newElement(MapTag::kAnim, doc);
    anim->append_node(writeBool(MapTag::kLoop, record.loop, doc));
    anim->append_node(writeU16(MapTag::kFrameLength, record.frameLength, doc));
    anim->append_node(writeUInt(MapTag::kAnimFileWidth, record.fileWidth, doc));
    anim->append_node(writeUInt(MapTag::kAnimFileHeight, record.fileHeight, doc));
    anim->append_node(writeU16(MapTag::kAnimWidth, record.animWidth, doc));
    anim->append_node(writeU16(MapTag::kAnimHeight, record.animHeight, doc));
    anim->append_node(writeU16(MapTag::kAnimXOffset, record.xOffset, doc));
    anim->append_node(writeU16(MapTag::kAnimYOffset, record.yOffset, doc));
    anim->append_node(writeUInt(MapTag::kAnimNumFrames, record.frameCount(), doc));
    return anim;
}

XmlNode* writeDrawable(const ImageGeometry& drawable, XmlDocument& doc)
{
    // Only a sprite has animations to save.
    const auto* sprite = dynamic_cast<const AnimatingSprite*>(&drawable);
    if (!drawable.animating) sprite = nullptr;
    XmlNode* element = newElement(MapTag::kImgGeo, doc);
    element->append_node(writeBool(MapTag::kAnimating, sprite != nullptr, doc));
    element->append_node(writePointList(MapTag::kPoints, MapTag::kPnt, drawable.points, doc));
    element->append_node(writePointList(MapTag::kUVs, MapTag::kUv, drawable.uvs, doc));
    element->append_node(writeU16(MapTag::kUVMapMode, drawable.uvMapMode, doc));
    element->append_node(writeString(
        MapTag::kImgName, TextureManager::instance()->getTextureName(drawable.img), doc));
    element->append_node(writeInt(MapTag::kTexWidth, drawable.texWidth, doc));
    element->append_node(writeInt(MapTag::kTexHeight, drawable.texHeight, doc));
    element->append_node(writeFloat(MapTag::kBorderSize, drawable.borderSize, doc));
    element->append_node(
        writeUInt(MapTag::kDrawType, static_cast<uint32_t>(drawable.drawtype), doc));
    if (sprite) {
        element->append_node(writeU16(MapTag::kCurrAnim, sprite->currentAnim, doc));
        XmlNode* list = newElement(MapTag::kAnimations, doc);
        for (const auto& record : sprite->animations) {
            list->append_node(writeAnimation(*record, doc));
        }
        element->append_node(list);
    }
    return element;
}

// The part every object element begins with.
XmlNode* writeCommonPart(const char* kind, const GameObject& object, XmlDocument& doc)
{
    XmlNode* element = newElement(kind, doc);
    element->append_node(writeVec2(MapTag::kPos, object.center, doc));
    element->append_node(writeVec2(MapTag::kOrigPos, object.originalCenter(), doc));
    element->append_node(writeVec2(MapTag::kParallax, object.para, doc));
    element->append_node(writeU16(MapTag::kLayer, object.layer, doc));
    element->append_node(writeU16(MapTag::kAlignment, object.alignment, doc));
    element->append_node(writeI16(MapTag::kType, static_cast<int16_t>(object.type), doc));
    element->append_node(writeBool(MapTag::kDrawMe, object.draw, doc));
    element->append_node(writeFloat(MapTag::kInheritRot, object.inheritRot, doc));
    element->append_node(writeFloat(MapTag::kInheritTrans, object.inheritTrans, doc));
    element->append_node(writeFloat(MapTag::kFollowFactor, object.followFactor, doc));
    XmlNode* list = newElement(MapTag::kDrawables, doc);
    for (const auto& drawable : object.drawables) list->append_node(writeDrawable(*drawable, doc));
    element->append_node(list);
    return element;
}

XmlNode* writeCircle(const Circle& circle, XmlDocument& doc)
{
    XmlNode* element = writeCommonPart(MapTag::kCircle, circle, doc);
    element->append_node(writeFloat(MapTag::kRadius, circle.radius, doc));
    return element;
}

XmlNode* writeBox(const Aabb& box, XmlDocument& doc)
{
    XmlNode* element = writeCommonPart(MapTag::kAabb, box, doc);
    element->append_node(writeFloat(MapTag::kWidth, box.width, doc));
    element->append_node(writeFloat(MapTag::kHeight, box.height, doc));
    element->append_node(writePointList(MapTag::kPoints, MapTag::kP, box.corners, 4, doc));
    return element;
}

XmlNode* writePoly(const Poly& poly, XmlDocument& doc)
{
    XmlNode* element = writeCommonPart(MapTag::kPoly, poly, doc);
    element->append_node(writeFloat(MapTag::kLineWidth, poly.LineWidth, doc));
    element->append_node(writeUInt(MapTag::kRendImg, poly.RendImg, doc));
    element->append_node(writePointList(MapTag::kPoints, MapTag::kP, poly.points, doc));
    return element;
}

// Null for objects whose shape code names no shape of the format.
XmlNode* writeObject(const GameObject& object, XmlDocument& doc)
{
    switch (object.geometry) {
    case kGeometryCircle:
        if (const auto* circle = dynamic_cast<const Circle*>(&object)) return writeCircle(*circle, doc);
        break;
    case kGeometryBox:
        if (const auto* box = dynamic_cast<const Aabb*>(&object)) return writeBox(*box, doc);
        break;
    case kGeometryPoly:
        if (const auto* poly = dynamic_cast<const Poly*>(&object)) return writePoly(*poly, doc);
        break;
    }
    return nullptr;
}

// A spawn without a marker has no position and is not written.
XmlNode* writeSpawns(const Map& map, XmlDocument& doc)
{
    XmlNode* spawns = newElement(MapTag::kSpawns, doc);
    for (const auto& list : map.spawnLists) {
        for (const auto& spawn : list) {
            if (!spawn || !spawn->marker) continue;
            Vec2 position;
            XmlNode* element = newElement(MapTag::kSpawn, doc);
            element->append_node(writeU16(MapTag::kAlignment, spawn->alignment, doc));
            element->append_node(writeVec2(MapTag::kPos, spawn->marker->getCenter(position), doc));
            spawns->append_node(element);
        }
    }
    return spawns;
}

}  // namespace

bool saveMap(const Map& map, const std::string& name)
{
    XmlDocument doc;
    XmlNode* declaration = doc.allocate_node(rapidxml::node_declaration);
    addAttribute(*declaration, "version", "1.0", doc);
    addAttribute(*declaration, "encoding", "utf-8", doc);
    doc.append_node(declaration);
    XmlNode* root = newElement("rootnode", doc);
    addAttribute(*root, "version", "1.0", doc);
    addAttribute(*root, "type", "example", doc);
    doc.append_node(root);
    for (const GameObject* object : map.objects) {
        if (!object) continue;
        if (XmlNode* element = writeObject(*object, doc)) root->append_node(element);
    }
    root->append_node(writeSpawns(map, doc));
    return writeXmlFile(doc, platform::joinPath(kMapsFolder, name));
}
