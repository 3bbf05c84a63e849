#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/core/ArchiveError.h"
#include "libs/zorir/core/Serialization.h"

#include <tinyxml.h>

#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

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

    // False when the file cannot be opened, is no file at all (a folder) or
    // is not well-formed XML.
    bool loadFile(const std::string& fileName);
    // The text ends at its null character; nothing behind it is read.
    bool parse(const char* text);
    bool parse(const std::string& text) { return parse(text.c_str()); }
    // After a failed load: whether the file was missing rather than malformed,
    // and an account of what went wrong.
    bool fileWasMissing() const;
    bool pathWasNoFile() const { return notAFile_; }
    std::string loadError() const;

    // Reads the object's fields from the first top-level element of that name.
    // False when the document has no such element.
    template <class T>
    bool read(const std::string& elementName, T& object)
    {
        TiXmlElement* element = document_.FirstChildElement(elementName.c_str());
        if (!element) return false;
        visited_.insert(element);
        current_ = element;
        object.serialize(*this);
        current_ = &document_;
        return true;
    }

    // Where the archive stands, as the element names from the top, for example
    // "ToolBarbuttonDesc/releasedDesc/textDesc".
    std::string currentPath() const;

    // The elements of the document that no read has looked at, as paths like
    // currentPath's: names the reader does not know, or repeated ones.
    std::vector<std::string> unreadElements() const;

    void field(const char* name, float& value);
    void field(const char* name, int32_t& value);
    void field(const char* name, std::string& value);
    void field(const char* name, Color& value);

    // The name in the "enum" child picks the value; names compare exactly.
    template <class E>
    void enumeration(const char* name, E& value, std::span<const char* const> names)
    {
        inChild(name, [&] { value = static_cast<E>(enumerationValue(static_cast<int32_t>(value), names)); });
    }

    // A description the element chooses by its own className attribute. An
    // element without children clears the pointer. The object created must
    // be of the member's type; the old one is deleted only once the new one
    // has been read whole.
    template <class T>
    void description(const char* name, std::unique_ptr<T>& pointer)
    {
        inChild(name, [&] {
            if (current_->NoChildren()) {
                pointer.reset();
                return;
            }
            std::string className;
            std::unique_ptr<Serializable> created = createFromCurrent(className);
            T* typed = dynamic_cast<T*>(created.get());
            if (!typed) throw ArchiveError("class " + className + " cannot be used for " + name);
            created.release();
            pointer.reset(typed);
        });
    }

    // An object held by value, read from a plain child element.
    template <class T>
    void nested(const char* name, T& object)
    {
        inChild(name, [&] { object.serialize(*this); });
    }

private:
    // Runs the reading with the named child element current, when there is
    // one. A failure leaves the archive at the element that failed.
    template <class Read>
    void inChild(const char* name, Read read)
    {
        TiXmlElement* child = current_->FirstChildElement(name);
        if (!child) return;
        visited_.insert(child);
        TiXmlNode* previous = current_;
        current_ = child;
        read();
        current_ = previous;
    }
    // Reads the current element's text as a number when it starts with one.
    template <class Number>
    void readNumber(const char* name, Number& value);
    // The current element's text, when its first child is a text node.
    const char* currentText() const;
    int32_t enumerationValue(int32_t current, std::span<const char* const> names) const;
    std::unique_ptr<Serializable> createFromCurrent(std::string& className);
    static std::string pathOf(const TiXmlNode* node);
    void collectUnread(const TiXmlNode* parent, std::vector<std::string>& unread) const;

    // Files and strings alike reach TinyXML's parser only through this
    // document, which reads every text byte by byte. TinyXML's UTF-8 mode
    // (chosen by a declaration or a byte-order mark) steps over a multi-byte
    // sequence by the length its lead byte announces, also over the text's
    // terminating null when the text ends in such a lead byte, and then
    // parses whatever memory follows. Looks are Latin-1 text, so nothing is
    // lost by never entering that mode.
    class SingleByteDocument : public TiXmlDocument {
    public:
        const char* Parse(const char* text, TiXmlParsingData* data = nullptr,
                          TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING) override;
    };

    SingleByteDocument document_;
    TiXmlNode* current_;
    std::string fileName_;
    // The last file asked for exists but is no file that could be read.
    bool notAFile_ = false;
    // Mutable: reading an enumeration looks at its "enum" child from a
    // const member.
    mutable std::set<const TiXmlNode*> visited_;
};

}  // namespace Zorir::Core
