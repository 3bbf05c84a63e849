#pragma once

// Map files as text, for end-to-end tests that hand the editor a map and
// read back what it saved without linking the world model.

#include <filesystem>
#include <string>
#include <vector>

namespace quillow::test {

// A square box of the map, textured with a real image of the graphics folder;
// with a border of that width when border is above 0, in another image.
struct MapBox {
    float x, y;
    float size;
    float border = 0.0f;
};

// The images of a MapBox's body and border.
inline constexpr const char* kMapBoxBody = "stone";
inline constexpr const char* kMapBoxBorder = "hedge3";

// A map file holding the boxes, in the format the editor writes.
std::string boxMapText(const std::vector<MapBox>& boxes);

std::string fileText(const std::filesystem::path& path);

// How often element (say "<Aabb>") occurs in text.
size_t countOf(const std::string& text, const std::string& element);

struct Position {
    float x, y;
};

// The position of every object of that kind ("Aabb", "Circle", "Poly"), in file order.
std::vector<Position> positionsOf(const std::string& text, const std::string& kind);
// Every point written as that element ("Parallax"), in file order.
std::vector<Position> pointsOf(const std::string& text, const std::string& element);
// The text of every object of that kind ("Poly"), in file order.
std::vector<std::string> objectTexts(const std::string& text, const std::string& kind);
// What every element of that name ("Layer") holds, in file order.
std::vector<std::string> valuesOf(const std::string& text, const std::string& element);

}  // namespace quillow::test
