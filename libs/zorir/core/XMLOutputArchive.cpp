#include "libs/zorir/core/XMLOutputArchive.h"

#include "libs/zorir/NumberText.h"

#include <locale>
#include <sstream>

namespace Zorir::Core {

namespace {

template <class Number>
std::string formatNumber(Number value)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << value;
    return stream.str();
}

}  // namespace

XMLOutputArchive::XMLOutputArchive(NullPointers nullPointers) : current_(&document_), nullPointers_(nullPointers) {}

bool XMLOutputArchive::saveFile(const std::string& fileName) const
{
    return document_.SaveFile(fileName.c_str());
}

std::string XMLOutputArchive::text() const
{
    TiXmlPrinter printer;
    document_.Accept(&printer);
    return printer.Str();
}

TiXmlElement* XMLOutputArchive::appendElement(TiXmlNode* parent, const char* name)
{
    return parent->LinkEndChild(new TiXmlElement(name))->ToElement();
}

void XMLOutputArchive::writeText(const char* name, const std::string& text)
{
    appendElement(current_, name)->LinkEndChild(new TiXmlText(text));
}

void XMLOutputArchive::field(const char* name, const float& value)
{
    writeText(name, formatNumber(value));
}

void XMLOutputArchive::field(const char* name, const int32_t& value)
{
    writeText(name, toString(value));
}

void XMLOutputArchive::field(const char* name, const std::string& value)
{
    writeText(name, value);
}

void XMLOutputArchive::field(const char* name, const Color& value)
{
    inNewChild(appendElement(current_, name), [&] {
        field("red", value.red);
        field("green", value.green);
        field("blue", value.blue);
        field("alpha", value.alpha);
    });
}

void XMLOutputArchive::writeEnumeration(const char* name, int32_t value, std::span<const char* const> names)
{
    const bool known = value >= 0 && static_cast<size_t>(value) < names.size();
    inNewChild(appendElement(current_, name), [&] { writeText("enum", known ? names[value] : formatNumber(value)); });
}

void XMLOutputArchive::writeDescription(const char* name, Serializable& object)
{
    FactoryInterface& factory = factoryByTypeName(typeid(object).name());
    TiXmlElement* element = appendElement(current_, name);
    element->SetAttribute("className", factory.className());
    inNewChild(element, [&] { factory.serialize(runTimeTypeName<XMLOutputArchive>(), *this, object); });
}

}  // namespace Zorir::Core
