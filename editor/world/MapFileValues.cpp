#include "editor/world/MapFileValues.h"

#include "editor/world/MapTags.h"

#include <cctype>
#include <locale>
#include <sstream>
#include <type_traits>

namespace {

// Streams print a char-sized integer as a character; widen it first.
template <typename T>
auto printable(T value)
{
    if constexpr (std::is_same_v<T, bool>) return static_cast<int>(value);
    else return value;
}

XmlNode* valueElement(const char* name, const std::string& text, XmlDocument& doc)
{
    char* ownName = doc.allocate_string(name);
    char* ownText = doc.allocate_string(text.c_str(), text.size() + 1);
    XmlNode* element = doc.allocate_node(rapidxml::node_element, ownName);
    element->append_node(doc.allocate_node(rapidxml::node_data, nullptr, ownText, 0, text.size()));
    return element;
}

// One stream of each kind in the classic locale serves every value: setting
// up a stream and its locale costs more than the conversion itself, and a
// map holds hundreds of thousands of values.
std::istringstream& inputStream(const std::string& text)
{
    thread_local std::istringstream stream = [] {
        std::istringstream fresh;
        fresh.imbue(std::locale::classic());
        return fresh;
    }();
    stream.clear();
    stream.str(text);
    return stream;
}

std::ostringstream& outputStream()
{
    thread_local std::ostringstream stream = [] {
        std::ostringstream fresh;
        fresh.imbue(std::locale::classic());
        return fresh;
    }();
    stream.clear();
    stream.str(std::string());
    return stream;
}

template <typename T>
bool convert(const std::string& text, T& out)
{
    std::istringstream& stream = inputStream(text);
    T value{};
    // Numbers are never negative where an unsigned field is read; refuse
    // rather than let the stream wrap "-1" into the largest value.
    if constexpr (std::is_unsigned_v<T>) {
        stream >> std::ws;
        if (stream.peek() == '-') return false;
    }
    if (!(stream >> value)) return false;
    out = value;
    return true;
}

template <typename T>
bool readValue(const XmlNode* element, T& out)
{
    if (!element) return false;
    return fromString(std::string(element->value(), element->value_size()), out);
}

}  // namespace

template <typename T>
std::string toMapText(T value)
{
    std::ostringstream& stream = outputStream();
    stream << printable(value);
    return stream.str();
}

template std::string toMapText<uint16_t>(uint16_t);
template std::string toMapText<int16_t>(int16_t);
template std::string toMapText<bool>(bool);
template std::string toMapText<float>(float);
template std::string toMapText<int32_t>(int32_t);
template std::string toMapText<uint32_t>(uint32_t);

XmlNode* writeU16(const char* name, uint16_t value, XmlDocument& doc)
{
    return valueElement(name, toMapText(value), doc);
}

XmlNode* writeI16(const char* name, int16_t value, XmlDocument& doc)
{
    return valueElement(name, toMapText(value), doc);
}

XmlNode* writeBool(const char* name, bool value, XmlDocument& doc)
{
    return valueElement(name, toMapText(value), doc);
}

XmlNode* writeFloat(const char* name, float value, XmlDocument& doc)
{
    return valueElement(name, toMapText(value), doc);
}

XmlNode* writeInt(const char* name, int32_t value, XmlDocument& doc)
{
    return valueElement(name, toMapText(value), doc);
}

XmlNode* writeUInt(const char* name, uint32_t value, XmlDocument& doc)
{
    return valueElement(name, toMapText(value), doc);
}

XmlNode* writeString(const char* name, const std::string& value, XmlDocument& doc)
{
    return valueElement(name, value, doc);
}

XmlNode* writeVec2(const char* name, const Vec2& value, XmlDocument& doc)
{
    XmlNode* element = doc.allocate_node(rapidxml::node_element, doc.allocate_string(name));
    element->append_node(writeFloat(MapTag::kX, value.x, doc));
    element->append_node(writeFloat(MapTag::kY, value.y, doc));
    return element;
}

bool fromString(const std::string& text, float& out) { return convert(text, out); }
bool fromString(const std::string& text, uint32_t& out) { return convert(text, out); }
bool fromString(const std::string& text, uint16_t& out) { return convert(text, out); }
bool fromString(const std::string& text, int32_t& out) { return convert(text, out); }

bool fromString(const std::string& text, bool& out)
{
    // A stream reads a bool as the number 0 or 1; anything else fails.
    return convert(text, out);
}

bool readU16(const XmlNode* element, uint16_t& out) { return readValue(element, out); }
bool readInt(const XmlNode* element, int32_t& out) { return readValue(element, out); }
bool readUInt(const XmlNode* element, uint32_t& out) { return readValue(element, out); }
bool readBool(const XmlNode* element, bool& out) { return readValue(element, out); }
bool readFloat(const XmlNode* element, float& out) { return readValue(element, out); }

bool readVec2(const XmlNode* element, Vec2& out)
{
    if (!element) return false;
    Vec2 value = out;
    const bool x = readFloat(element->first_node(MapTag::kX), value.x);
    const bool y = readFloat(element->first_node(MapTag::kY), value.y);
    out = value;
    return x && y;
}
