#include "tests/editor/support/MapText.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace quillow::test {

namespace {

std::string point(const char* tag, float x, float y)
{
    std::ostringstream out;
    out << "<" << tag << "><X>" << x << "</X><Y>" << y << "</Y></" << tag << ">";
    return out.str();
}

std::string boxText(const MapBox& box)
{
    const float half = box.size / 2;
    const float left = box.x - half, right = box.x + half, top = box.y + half, bottom = box.y - half;
    std::ostringstream out;
    out << "<Aabb>" << point("Pos", box.x, box.y) << point("OrigPos", box.x, box.y) << point("Parallax", 0, 0)
        << "<Layer>1</Layer><Alignment>60000</Alignment><Type>0</Type><DrawMe>1</DrawMe>"
        << "<InheritRot>1</InheritRot><InheritTrans>1</InheritTrans><FollowFactor>1</FollowFactor>"
        << "<Drawables>";
    // The border ahead of the body, as the editor builds a box; its strips
    // are the editor's to rebuild, so the outline stands in for them.
    const auto drawable = [&](const char* image, float borderSize) {
        out << "<ImgGeo><Animating>0</Animating><Points>" << point("pnt", left, top) << point("pnt", right, top)
            << point("pnt", right, bottom) << point("pnt", left, bottom) << "</Points><UVs>" << point("uv", 0, 1)
            << point("uv", 1, 1) << point("uv", 1, 0) << point("uv", 0, 0) << "</UVs>"
            << "<UVMapMode>1</UVMapMode><ImgName>" << image << "</ImgName><TexWidth>256</TexWidth>"
            << "<TexHeight>128</TexHeight><BorderSize>" << borderSize << "</BorderSize><DrawType>7</DrawType></ImgGeo>";
    };
    if (box.border > 0.0f) drawable(kMapBoxBorder, box.border);
    drawable(kMapBoxBody, 0.0f);
    out << "</Drawables>"
        << "<Width>" << box.size << "</Width><Height>" << box.size << "</Height><Points>" << point("p", left, top)
        << point("p", right, top) << point("p", right, bottom) << point("p", left, bottom) << "</Points></Aabb>\n";
    return out.str();
}

// The points whose X and Y follow what the pattern opening matches.
std::vector<Position> pointsAfter(const std::string& text, const std::string& opening)
{
    const std::regex point(opening + "\\s*<X>([-0-9.e+]+)</X>\\s*<Y>([-0-9.e+]+)</Y>");
    std::vector<Position> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), point); it != std::sregex_iterator(); ++it) {
        found.push_back({std::stof((*it)[1]), std::stof((*it)[2])});
    }
    return found;
}

}  // namespace

std::string boxMapText(const std::vector<MapBox>& boxes)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rootnode version=\"1.0\" type=\"example\">\n";
    for (const MapBox& box : boxes) text += boxText(box);
    return text + "<Spawns/>\n</rootnode>\n";
}

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t countOf(const std::string& text, const std::string& element)
{
    size_t count = 0;
    for (size_t at = text.find(element); at != std::string::npos; at = text.find(element, at + 1)) ++count;
    return count;
}

std::vector<Position> positionsOf(const std::string& text, const std::string& kind)
{
    return pointsAfter(text, "<" + kind + ">\\s*<Pos>");
}

std::vector<Position> pointsOf(const std::string& text, const std::string& element)
{
    return pointsAfter(text, "<" + element + ">");
}

std::vector<std::string> objectTexts(const std::string& text, const std::string& kind)
{
    const std::string opening = "<" + kind + ">", closing = "</" + kind + ">";
    std::vector<std::string> found;
    for (size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1)) {
        const size_t end = text.find(closing, at);
        found.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end + closing.size() - at));
    }
    return found;
}

std::vector<std::string> valuesOf(const std::string& text, const std::string& element)
{
    const std::regex value("<" + element + ">([^<]*)</" + element + ">");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), value); it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[1]);
    }
    return found;
}

}  // namespace quillow::test
