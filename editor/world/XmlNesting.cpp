#include "editor/world/XmlNesting.h"

namespace {

// Position just after the first terminator at or after from; npos when none.
size_t after(std::string_view text, size_t from, std::string_view terminator)
{
    const size_t found = text.find(terminator, from);
    return found == std::string_view::npos ? found : found + terminator.size();
}

// A document type declaration ends at the first '>' outside its square
// brackets, which may nest.
size_t afterDoctype(std::string_view text, size_t from)
{
    int brackets = 0;
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == '[') ++brackets;
        else if (text[i] == ']' && brackets > 0) --brackets;
        else if (text[i] == '>' && brackets == 0) return i + 1;
    }
    return std::string_view::npos;
}

// Position just after the '>' of a start tag, quoted values passed over;
// selfClosing tells whether it was "/>".
size_t afterStartTag(std::string_view text, size_t from, bool& selfClosing)
{
    char quote = 0;
    for (size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            selfClosing = text[i - 1] == '/';
            return i + 1;
        }
    }
    return std::string_view::npos;
}

}  // namespace

size_t xmlNestingDepth(std::string_view text, size_t limit)
{
    size_t depth = 0;
    size_t deepest = 0;
    size_t at = text.find('<');
    while (at != std::string_view::npos && deepest <= limit) {
        const std::string_view rest = text.substr(at);
        size_t next;
        if (rest.starts_with("<!--")) {
            next = after(text, at + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            next = after(text, at + 9, "]]>");
        } else if (rest.starts_with("<?")) {
            next = after(text, at + 2, "?>");
        } else if (rest.starts_with("<!DOCTYPE")) {
            next = afterDoctype(text, at + 9);
        } else if (rest.starts_with("<!")) {
            next = after(text, at + 2, ">");
        } else if (rest.starts_with("</")) {
            if (depth > 0) --depth;
            next = after(text, at + 2, ">");
        } else {
            bool selfClosing = false;
            next = afterStartTag(text, at + 1, selfClosing);
            if (!selfClosing && ++depth > deepest) deepest = depth;
        }
        // An unterminated construct is the parser's to report.
        at = next == std::string_view::npos ? next : text.find('<', next);
    }
    return deepest;
}
