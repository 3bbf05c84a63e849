#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/core/Serialization.h"

#include <tinyxml.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <typeinfo>

namespace Zorir::Core {

// Writes description objects in the forms XMLInputArchive reads: each field
// a new last child element named after it, in the order the class lists them.
class XMLOutputArchive : public Archive {
public:
    static constexpr bool reading = false;

    // Files leave a null pointer out, so that reading them keeps the
    // default. A copy must keep the null instead: it writes an empty element.
    enum class NullPointers { LeftOut, Written };

    explicit XMLOutputArchive(NullPointers nullPointers = NullPointers::LeftOut);
    XMLOutputArchive(const XMLOutputArchive&) = delete;
    XMLOutputArchive& operator=(const XMLOutputArchive&) = delete;

    // Writes the object as a new top-level element of that name, with the
    // class name of a registered class as its className attribute.
    template <class T>
    void write(const std::string& elementName, T& object)
    {
        TiXmlElement* element = appendElement(&document_, elementName.c_str());
        if (FactoryInterface* factory = findFactoryByTypeName(typeid(object).name())) {
            element->SetAttribute("className", factory->className());
        }
        current_ = element;
        object.serialize(*this);
        current_ = &document_;
    }

    bool saveFile(const std::string& fileName) const;
    std::string text() const;

    void field(const char* name, const float& value);
    void field(const char* name, const int32_t& value);
    void field(const char* name, const std::string& value);
    void field(const char* name, const Color& value);

    template <class E>
    void enumeration(const char* name, const E& value, std::span<const char* const> names)
    {
        writeEnumeration(name, static_cast<int32_t>(value), names);
    }

    template <class T>
    void description(const char* name, const std::unique_ptr<T>& pointer)
    {
        if (pointer) {
            writeDescription(name, *pointer);
        } else if (nullPointers_ == NullPointers::Written) {
            appendElement(current_, name);
        }
    }

    template <class T>
    void nested(const char* name, T& object)
    {
        inNewChild(appendElement(current_, name), [&] { object.serialize(*this); });
    }

private:
    // Runs the writing with the new element current.
    template <class Write>
    void inNewChild(TiXmlElement* child, Write write)
    {
        TiXmlNode* previous = current_;
        current_ = child;
        write();
        current_ = previous;
    }

    static TiXmlElement* appendElement(TiXmlNode* parent, const char* name);
    void writeText(const char* name, const std::string& text);
    void writeEnumeration(const char* name, int32_t value, std::span<const char* const> names);
    void writeDescription(const char* name, Serializable& object);

    TiXmlDocument document_;
    TiXmlNode* current_;
    NullPointers nullPointers_;
};

}  // namespace Zorir::Core
