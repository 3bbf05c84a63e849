#include "editor/world/MapFileValues.h"
#include "editor/world/MapTags.h"

#include <gtest/gtest.h>

#include <rapidxml_print.hpp>

#include <iterator>
#include <limits>
#include <string>

namespace {

std::string printed(const XmlNode* node)
{
    std::string text;
    rapidxml::print(std::back_inserter(text), *node, rapidxml::print_no_indenting);
    return text;
}

TEST(MapFileValues, NumbersAreWrittenInTheStreamFormats)
{
    struct Case {
        std::string written;
        const char* expected;
    } cases[] = {
        {toMapText(0.1f), "0.1"},
        {toMapText(100.0f), "100"},
        {toMapText(1234.5678f), "1234.57"},
        {toMapText(0.00001f), "1e-05"},
        {toMapText(3.0e7f), "3e+07"},
        {toMapText(-0.5f), "-0.5"},
        {toMapText(123456.0f), "123456"},
        {toMapText(1234567.0f), "1.23457e+06"},
        {toMapText(int16_t(-1)), "-1"},
        {toMapText(uint16_t(65535)), "65535"},
        {toMapText(int32_t(std::numeric_limits<int32_t>::min())), "-2147483648"},
        {toMapText(uint32_t(4294967295u)), "4294967295"},
        {toMapText(true), "1"},
        {toMapText(false), "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.written, c.expected);
}

TEST(MapFileValues, ElementsHoldTheirTextAndVec2HoldsXThenY)
{
    XmlDocument doc;
    EXPECT_EQ(printed(writeU16(MapTag::kLayer, 7, doc)), "<Layer>7</Layer>");
    EXPECT_EQ(printed(writeString(MapTag::kImgName, "a<b", doc)), "<ImgName>a&lt;b</ImgName>");
    EXPECT_EQ(printed(writeVec2(MapTag::kPos, Vec2(1.5f, -2), doc)),
              "<Pos><X>1.5</X><Y>-2</Y></Pos>");
}

struct ReadCase {
    const char* text;
    bool converts;
};

// Reads the text as every reader type would see it inside an element.
template <typename T>
void expectReads(const ReadCase& c, T initial, T expected)
{
    std::string xml = std::string("<v>") + c.text + "</v>";
    XmlDocument doc;
    doc.parse<0>(xml.data());
    T value = initial;
    bool ok = false;
    if constexpr (std::is_same_v<T, float>) ok = readFloat(doc.first_node(), value);
    if constexpr (std::is_same_v<T, int32_t>) ok = readInt(doc.first_node(), value);
    if constexpr (std::is_same_v<T, uint32_t>) ok = readUInt(doc.first_node(), value);
    if constexpr (std::is_same_v<T, uint16_t>) ok = readU16(doc.first_node(), value);
    if constexpr (std::is_same_v<T, bool>) ok = readBool(doc.first_node(), value);
    EXPECT_EQ(ok, c.converts) << c.text;
    EXPECT_EQ(value, c.converts ? expected : initial) << c.text;
}

TEST(MapFileValues, ReadersConvertOrKeepTheOldValue)
{
    expectReads<float>({"1.5", true}, 9.0f, 1.5f);
    expectReads<float>({"  \n 2.5e3", true}, 9.0f, 2500.0f);
    expectReads<float>({"3.25abc", true}, 9.0f, 3.25f);
    expectReads<float>({"abc", false}, 9.0f, 0.0f);
    expectReads<float>({"", false}, 9.0f, 0.0f);
    expectReads<int32_t>({"-42", true}, 5, -42);
    expectReads<int32_t>({"99999999999", false}, 5, 0);
    expectReads<uint32_t>({"4294967295", true}, 5u, 4294967295u);
    expectReads<uint32_t>({"-1", false}, 5u, 0u);
    expectReads<uint16_t>({"65535", true}, uint16_t(5), uint16_t(65535));
    expectReads<uint16_t>({"65536", false}, uint16_t(5), uint16_t(0));
    expectReads<bool>({"1", true}, false, true);
    expectReads<bool>({"0", true}, true, false);
    expectReads<bool>({"2", false}, true, false);
    expectReads<bool>({"true", false}, false, false);
}

TEST(MapFileValues, Vec2ReadsTheFirstXAndYAndMissingPartsKeepTheirValue)
{
    std::string xml = "<Pos><Y>4</Y><X>3</X><X>99</X></Pos>";
    XmlDocument doc;
    doc.parse<0>(xml.data());
    Vec2 value(-1, -1);
    EXPECT_TRUE(readVec2(doc.first_node(), value));
    EXPECT_EQ(value, Vec2(3, 4));

    std::string partial = "<Pos><X>7</X></Pos>";
    XmlDocument other;
    other.parse<0>(partial.data());
    Vec2 kept(1, 2);
    EXPECT_FALSE(readVec2(other.first_node(), kept));
    EXPECT_EQ(kept, Vec2(7, 2));
    EXPECT_FALSE(readVec2(nullptr, kept));
    EXPECT_EQ(kept, Vec2(7, 2));
}

}  // namespace
