#include "tests/world/SampleMap.h"

#include "editor/world/AnimatingSprite.h"
#include "editor/world/MapFileValues.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/TextureManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quillow::test {

namespace {

uint32_t texture(const char* name)
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

struct Look {
    std::vector<Vec2> points;
    std::vector<Vec2> uvs;
    uint16_t uvMapMode;
    const char* image;
    float borderSize;
    int32_t drawtype;
};

void dress(ImageGeometry& drawable, GameObject& owner, const Look& look)
{
    drawable.layerRef = &owner.layer;
    drawable.points = look.points;
    drawable.uvs = look.uvs;
    drawable.uvMapMode = look.uvMapMode;
    drawable.img = texture(look.image);
    drawable.borderSize = look.borderSize;
    drawable.drawtype = look.drawtype;
}

void addLook(GameObject& owner, const Look& look)
{
    auto drawable = std::make_unique<ImageGeometry>();
    dress(*drawable, owner, look);
    owner.drawables.push_back(std::move(drawable));
}

void place(GameObject& object, const Vec2& centre, const Vec2& parallax, uint16_t layer,
           uint16_t alignment)
{
    object.center = centre;
    object.setOriginalCenter(centre);
    object.para = parallax;
    object.layer = layer;
    object.alignment = alignment;
    object.type = 0;
    object.drawables.clear();
}

GameObject* circle()
{
    auto* circle = new Map_Circle();
    place(*circle, Vec2(100, 200), Vec2(0, 0), 3, kAlignmentNone);
    circle->radius = 50;
    addLook(*circle, {{{50, 250}, {150, 250}, {150, 150}, {50, 150}},
                      {{0, 1}, {1, 1}, {1, 0}, {0, 0}},
                      kUvStretch, "grass", 0, kDrawQuads});
    return circle;
}

const std::vector<Vec2> kBoxCorners = {{-400.5f, 90}, {-200.5f, 90}, {-200.5f, -10}, {-400.5f, -10}};

GameObject* box()
{
    auto* box = new Map_Aabb();
    place(*box, Vec2(-300.5f, 40), Vec2(0.5f, 0.25f), 2, 0);
    box->type = kParallaxType;
    box->inheritRot = 0.5f;
    box->inheritTrans = 0;
    box->followFactor = 0.00001f;
    box->width = 200;
    box->height = 100;
    for (int i = 0; i < 4; ++i) box->corners[i] = kBoxCorners[i];
    auto sprite = std::make_unique<AnimatingSprite>();
    dress(*sprite, *box,
          {kBoxCorners, {{-1.00125f, 0.225f}, {-0.50125f, 0.225f}, {-0.50125f, -0.025f},
                         {-1.00125f, -0.025f}},
           kUvTile, "stone", 0, kDrawQuads});
    sprite->animating = true;
    sprite->texWidth = 256;
    sprite->texHeight = 128;
    sprite->addAnimation(256, 128, 128, 32, 4, 64, 64, 3, true);
    sprite->addAnimation(256, 128, 256, 64, 2, 0, 0, 10, false);
    sprite->currentAnim = 1;
    box->drawables.push_back(std::move(sprite));
    addLook(*box, {{{-400.5f, 90}, {-200.5f, 90}, {-200.5f, 98}, {-400.5f, 98}},
                   {{0, 0}, {3.0e7f, 0}, {3.0e7f, 1}, {0, 1}},
                   kUvTile, "bricks", 8, kDrawQuads});
    box->setDrawEnabled(false);
    return box;
}

GameObject* poly()
{
    auto* poly = new Map_Poly();
    place(*poly, Vec2(1234.5678f, -20), Vec2(1, 1), 5, 1);
    poly->points = {{1200, 0}, {1300, 0}, {1250, 100}};
    poly->LineWidth = 5;
    poly->setRendImg(static_cast<int32_t>(texture("sand")));
    addLook(*poly, {{{1200, 0}, {1300, 0}, {1300, 5}, {1200, 5}},
                    {{3, 0}, {3.25f, 0}, {3.25f, 0.0125f}, {3, 0.0125f}},
                    kUvTile, "bricks", 5, kDrawQuads});
    addLook(*poly, {poly->points, {{3, 0}, {3.25f, 0}, {3.125f, 0.25f}}, kUvTile, "sand", 0,
                    kDrawPolygon});
    return poly;
}

void addSpawn(Map& map, uint16_t side, const Vec2& position)
{
    auto spawn = std::make_unique<Spawn>();
    createSpawnMarker(*spawn, side, position);
    map.addSpawn(std::move(spawn));
}

// Values as the file holds them.
std::string text(float value)
{
    return toMapText(value);
}

void expectSamePoints(const std::vector<Vec2>& expected, const std::vector<Vec2>& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(text(expected[i].x), text(actual[i].x)) << "point " << i;
        EXPECT_EQ(text(expected[i].y), text(actual[i].y)) << "point " << i;
    }
}

void expectSameDrawable(const ImageGeometry& expected, const ImageGeometry& actual,
                        const GameObject& owner)
{
    EXPECT_EQ(actual.layerRef, &owner.layer);
    expectSamePoints(expected.points, actual.points);
    expectSamePoints(expected.uvs, actual.uvs);
    EXPECT_EQ(expected.uvMapMode, actual.uvMapMode);
    EXPECT_EQ(expected.img, actual.img);
    EXPECT_EQ(expected.texWidth, actual.texWidth);
    EXPECT_EQ(expected.texHeight, actual.texHeight);
    EXPECT_EQ(expected.borderSize, actual.borderSize);
    EXPECT_EQ(expected.drawtype, actual.drawtype);
    EXPECT_EQ(expected.animating, actual.animating);
    EXPECT_EQ(expected.drawEnabled, actual.drawEnabled);
    const auto* sprite = dynamic_cast<const AnimatingSprite*>(&expected);
    if (!sprite) return;
    const auto* loaded = dynamic_cast<const AnimatingSprite*>(&actual);
    ASSERT_NE(loaded, nullptr) << "a sprite came back as a plain drawable";
    EXPECT_EQ(sprite->currentAnim, loaded->currentAnim);
    ASSERT_EQ(sprite->animations.size(), loaded->animations.size());
    for (size_t i = 0; i < sprite->animations.size(); ++i) {
        const AnimationRecord& a = *sprite->animations[i];
        const AnimationRecord& b = *loaded->animations[i];
        EXPECT_EQ(a.loop, b.loop);
        EXPECT_EQ(a.frameLength, b.frameLength);
        EXPECT_EQ(a.fileWidth, b.fileWidth);
        EXPECT_EQ(a.fileHeight, b.fileHeight);
        EXPECT_EQ(a.animWidth, b.animWidth);
        EXPECT_EQ(a.animHeight, b.animHeight);
        EXPECT_EQ(a.xOffset, b.xOffset);
        EXPECT_EQ(a.yOffset, b.yOffset);
        EXPECT_EQ(a.frameCount(), b.frameCount());
    }
}

void expectSameShape(const GameObject& expected, const GameObject& actual)
{
    if (const auto* c = dynamic_cast<const Circle*>(&expected)) {
        const auto* loaded = dynamic_cast<const Map_Circle*>(&actual);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(c->radius, loaded->radius);
    } else if (const auto* b = dynamic_cast<const Aabb*>(&expected)) {
        const auto* loaded = dynamic_cast<const Map_Aabb*>(&actual);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(b->width, loaded->width);
        EXPECT_EQ(b->height, loaded->height);
        expectSamePoints({b->corners, b->corners + 4}, {loaded->corners, loaded->corners + 4});
    } else if (const auto* p = dynamic_cast<const Poly*>(&expected)) {
        const auto* loaded = dynamic_cast<const Map_Poly*>(&actual);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(p->LineWidth, loaded->LineWidth);
        EXPECT_EQ(p->RendImg, loaded->RendImg);
        expectSamePoints(p->points, loaded->points);
    }
}

void expectSameObject(const GameObject& expected, const GameObject& actual)
{
    EXPECT_EQ(expected.geometry, actual.geometry);
    expectSamePoints({expected.center, expected.originalCenter(), expected.para},
                     {actual.center, actual.originalCenter(), actual.para});
    EXPECT_EQ(expected.layer, actual.layer);
    EXPECT_EQ(expected.alignment, actual.alignment);
    EXPECT_EQ(expected.type, actual.type);
    EXPECT_EQ(expected.draw, actual.draw);
    EXPECT_EQ(text(expected.inheritRot), text(actual.inheritRot));
    EXPECT_EQ(text(expected.inheritTrans), text(actual.inheritTrans));
    EXPECT_EQ(text(expected.followFactor), text(actual.followFactor));
    expectSameShape(expected, actual);
    ASSERT_EQ(expected.drawables.size(), actual.drawables.size());
    for (size_t i = 0; i < expected.drawables.size(); ++i) {
        SCOPED_TRACE("drawable " + std::to_string(i));
        expectSameDrawable(*expected.drawables[i], *actual.drawables[i], actual);
    }
}

}  // namespace

void buildSampleMap(Map& map)
{
    map.objects.push_back(circle());
    map.objects.push_back(box());
    map.objects.push_back(poly());
    addSpawn(map, 1, Vec2(300, -40));
    addSpawn(map, 0, Vec2(10, 20));
    addSpawn(map, 0, Vec2(-64, 0.5f));
}

void expectSameMap(const Map& expected, const Map& actual)
{
    ASSERT_EQ(expected.objects.size(), actual.objects.size());
    auto loaded = actual.objects.begin();
    for (const GameObject* object : expected.objects) {
        SCOPED_TRACE("object of shape " + std::to_string(object->geometry));
        expectSameObject(*object, **loaded++);
    }
    ASSERT_EQ(expected.spawnLists.size(), actual.spawnLists.size());
    for (size_t side = 0; side < expected.spawnLists.size(); ++side) {
        ASSERT_EQ(expected.spawnLists[side].size(), actual.spawnLists[side].size());
        auto spawn = actual.spawnLists[side].begin();
        for (const auto& original : expected.spawnLists[side]) {
            const Spawn& copy = **spawn++;
            EXPECT_EQ(original->alignment, copy.alignment);
            ASSERT_NE(copy.marker, nullptr);
            Vec2 a, b;
            expectSamePoints({original->marker->getCenter(a)}, {copy.marker->getCenter(b)});
        }
    }
}

}  // namespace quillow::test
