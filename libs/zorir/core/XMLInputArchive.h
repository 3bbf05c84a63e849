#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/core/ArchiveError.h"
#include "libs/zorir/core/Serialization.h"

#include <tinyxml.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace Zorir::Core {

// Reads description objects from a TinyXML document. Each field is the first
// child element of the current element with the field's name; a missing
// element, or one whose content is not what the field needs, leaves the field
// as it was. Failures throw (ArchiveError, or a failed assertion for an
// unknown class name) and leave the archive standing at the element that
// failed, so that the caller can say where.
class XMLInputArchive : public Archive {
public:
    static constexpr bool reading = true;

    XMLInputArchive();
    XMLInputArchive(const XMLInputArchive&) = delete;
    XMLInputArchive& operator=(const XMLInputArchive&) = delete;

    // False when the file cannot be opened or is not well-formed XML.
    bool loadFile(const std::string& fileName);
    bool parse(const std::string& text);
    // After a failed load: whether the file was missing rather than malformed,
    // and TinyXML's account of what went wrong.
    bool fileWasMissing() const;
    std::string loadError() const;

    // Reads the object's fields from the first top-level element of that name.
    // False when the document has no such element.
    template <class T>
    bool read(const std::string& elementName, T& object)
    {
        TiXmlElement* element = document_.FirstChildElement(elementName.c_str());
        if (!element) return false;
        current_ = element;
        object.serialize(*this);
        current_ = &document_;
        return true;
    }

    // Where the archive stands, as the element names from the top, for example
    // "ToolBarbuttonDesc/releasedDesc/textDesc".
    std::string currentPath() const;

    void field(const char* name, float& value);
    void field(const char* name, int32_t& value);
    void field(const char* name, std::string& value);
    void field(const char* name, Color& value);

    // The name in the "enum" child picks the value; names compare exactly.
    template <class E>
    void enumeration(const char* name, E& value, std::span<const char* const> names)
    {
        TiXmlNode* previous = current_;
        if (!enter(name)) return;
        value = static_cast<E>(enumerationValue(static_cast<int32_t>(value), names));
        current_ = previous;
    }

    // A description the element chooses by its own className attribute. An
    // element without children clears the pointer. The object created must
    // be of the member's type; the old one is deleted only once the new one
    // has been read whole.
    template <class T>
    void description(const char* name, std::unique_ptr<T>& pointer)
    {
        TiXmlNode* previous = current_;
        if (!enter(name)) return;
        if (current_->NoChildren()) {
            pointer.reset();
        } else {
            std::string className;
            std::unique_ptr<Serializable> created = createFromCurrent(className);
            T* typed = dynamic_cast<T*>(created.get());
            if (!typed) throw ArchiveError("class " + className + " cannot be used for " + name);
            created.release();
            pointer.reset(typed);
        }
        current_ = previous;
    }

    // An object held by value, read from a plain child element.
    template <class T>
    void nested(const char* name, T& object)
    {
        TiXmlNode* previous = current_;
        if (!enter(name)) return;
        object.serialize(*this);
        current_ = previous;
    }

private:
    // Makes the named child element current; false (and no change) when the
    // current element has none.
    bool enter(const char* name);
    // The current element's text, when its first child is a text node.
    const char* currentText() const;
    int32_t enumerationValue(int32_t current, std::span<const char* const> names) const;
    std::unique_ptr<Serializable> createFromCurrent(std::string& className);

    TiXmlDocument document_;
    TiXmlNode* current_;
    std::string fileName_;
};

}  // namespace Zorir::Core
