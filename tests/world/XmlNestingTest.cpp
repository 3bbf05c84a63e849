#include "editor/world/XmlNesting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(XmlNesting, CountsElementsAsTheParserSeesThem)
{
    struct Case {
        const char* text;
        size_t depth;
    } cases[] = {
        {"", 0},
        {"<a/>", 0},
        {"<a><b>1</b><c/></a>", 2},
        {"<?xml version=\"1.0\"?>\n<a>\r\n\t<b><c>x</c></b>\r\n</a>", 3},
        {"<a b=\"/>\" c='>'><d/></a>", 1},
        {"<a><!-- <b><c><d> --></a>", 1},
        {"<a><![CDATA[<b><c>]]></a>", 1},
        {"<!DOCTYPE m [<!ELEMENT a (b)> <!-- ] --> ]><a><b/></a>", 1},
        {"<a></a></a></a><b><c></c></b>", 2},
        {"<a><b", 2},
    };
    for (const Case& c : cases) EXPECT_EQ(xmlNestingDepth(c.text, 100), c.depth) << c.text;
}

TEST(XmlNesting, StopsCountingOncePastTheLimit)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    EXPECT_EQ(xmlNestingDepth(deep, 10), 11u);
}

}  // namespace
