#pragma once

#include <cstddef>
#include <string_view>

// How deeply the elements of an XML text nest, counted the way the parser
// reads the text (comments, CDATA sections, declarations and quoted
// attribute values hold no elements). The parser descends once per level, so
// a hostile file could exhaust the stack; the reader measures first. Counting
// stops as soon as limit is passed.
size_t xmlNestingDepth(std::string_view text, size_t limit);
