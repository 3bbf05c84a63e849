#pragma once

// Element names of the XML map format, shared by the reader and the writer.
namespace MapTag {

constexpr const char* kCircle = "Circle";
constexpr const char* kPoly = "Poly";
constexpr const char* kAabb = "Aabb";
constexpr const char* kRadius = "radius";
constexpr const char* kPos = "Pos";
constexpr const char* kOrigPos = "OrigPos";
constexpr const char* kLayer = "Layer";
constexpr const char* kAlignment = "Alignment";
constexpr const char* kType = "Type";
constexpr const char* kDrawMe = "DrawMe";
constexpr const char* kInheritRot = "InheritRot";
constexpr const char* kInheritTrans = "InheritTrans";
constexpr const char* kFollowFactor = "FollowFactor";
constexpr const char* kDrawables = "Drawables";
constexpr const char* kImgGeo = "ImgGeo";
constexpr const char* kPoints = "Points";
constexpr const char* kPnt = "pnt";
constexpr const char* kP = "p";
constexpr const char* kUVs = "UVs";
constexpr const char* kUv = "uv";
constexpr const char* kUVMapMode = "UVMapMode";
constexpr const char* kImg = "Img";
constexpr const char* kImgName = "ImgName";
constexpr const char* kTexWidth = "TexWidth";
constexpr const char* kTexHeight = "TexHeight";
constexpr const char* kBorderSize = "BorderSize";
constexpr const char* kDrawType = "DrawType";
constexpr const char* kLineWidth = "LineWidth";
constexpr const char* kRendImg = "RendImg";
constexpr const char* kWidth = "Width";
constexpr const char* kHeight = "Height";
constexpr const char* kParallax = "Parallax";
constexpr const char* kCurrAnim = "CurrAnim";
constexpr const char* kAnimations = "Animations";
constexpr const char* kAnim = "Anim";
constexpr const char* kLoop = "Loop";
constexpr const char* kFrameLength = "FrameLength";
constexpr const char* kAnimFileWidth = "AnimFileWidth";
constexpr const char* kAnimFileHeight = "AnimFileHeight";
constexpr const char* kAnimWidth = "AnimWidth";
constexpr const char* kAnimHeight = "AnimHeight";
constexpr const char* kAnimXOffset = "AnimXOffset";
constexpr const char* kAnimYOffset = "AnimYOffset";
constexpr const char* kAnimNumFrames = "AnimNumFrames";
constexpr const char* kX = "X";
constexpr const char* kY = "Y";
constexpr const char* kAnimating = "Animating";
constexpr const char* kSpawns = "Spawns";
constexpr const char* kSpawn = "Spawn";

}  // namespace MapTag
