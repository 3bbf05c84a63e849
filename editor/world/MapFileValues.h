#pragma once

#include "editor/world/Vec2.h"

#include <rapidxml.hpp>

#include <cstdint>
#include <string>

// One value of a map file is one element whose only content is the value's
// text, formatted and parsed as stream output and input in the classic
// locale (floats with six significant digits).
using XmlDocument = rapidxml::xml_document<char>;
using XmlNode = rapidxml::xml_node<char>;

// Writers: a new element of the document (which owns every string), holding
// the value's text; the caller appends it where it belongs.
XmlNode* writeU16(const char* name, uint16_t value, XmlDocument& doc);
XmlNode* writeI16(const char* name, int16_t value, XmlDocument& doc);
XmlNode* writeBool(const char* name, bool value, XmlDocument& doc);
XmlNode* writeFloat(const char* name, float value, XmlDocument& doc);
XmlNode* writeInt(const char* name, int32_t value, XmlDocument& doc);
XmlNode* writeUInt(const char* name, uint32_t value, XmlDocument& doc);
XmlNode* writeString(const char* name, const std::string& value, XmlDocument& doc);
XmlNode* writeVec2(const char* name, const Vec2& value, XmlDocument& doc);

// Readers: convert the element's text. A missing element or a text that does
// not convert leaves the out-value as it was and gives false.
bool readU16(const XmlNode* element, uint16_t& out);
bool readInt(const XmlNode* element, int32_t& out);
bool readUInt(const XmlNode* element, uint32_t& out);
bool readBool(const XmlNode* element, bool& out);
bool readFloat(const XmlNode* element, float& out);
bool readVec2(const XmlNode* element, Vec2& out);

// Text conversions behind the readers; out is changed only on success.
bool fromString(const std::string& text, float& out);
bool fromString(const std::string& text, uint32_t& out);
bool fromString(const std::string& text, uint16_t& out);
bool fromString(const std::string& text, int32_t& out);
bool fromString(const std::string& text, bool& out);

// The value as written into a map file.
template <typename T>
std::string toMapText(T value);
