#include "libs/zorir/core/XMLInputArchive.h"

#include <filesystem>
#include <locale>
#include <sstream>

namespace Zorir::Core {

namespace {

// Standard stream extraction in the classic locale; text that does not start
// with a number leaves the value as it was.
template <class Number>
void parseNumber(const char* text, Number& value)
{
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    Number parsed{};
    if (stream >> parsed) value = parsed;
}

}  // namespace

const char* XMLInputArchive::SingleByteDocument::Parse(const char* text, TiXmlParsingData* data,
                                                     TiXmlEncoding)
{
    // Single-byte mode takes a UTF-8 byte-order mark for text before the
    // first element; files saved with one must still load.
    if (text && text[0] == '\xEF' && text[1] == '\xBB' && text[2] == '\xBF') text += 3;
    return TiXmlDocument::Parse(text, data, TIXML_ENCODING_LEGACY);
}

XMLInputArchive::XMLInputArchive() : current_(&document_) {}

bool XMLInputArchive::loadFile(const std::string& fileName)
{
    fileName_ = fileName;
    current_ = &document_;
    visited_.clear();
    // TinyXML opens a folder as though it were a file and takes the length
    // the stream reports for the size of its text, which no allocation can
    // meet; only regular files are handed to it.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(fileName, error);
    notAFile_ = std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
    if (notAFile_) {
        document_.Clear();
        return false;
    }
    return document_.LoadFile(fileName.c_str());
}

bool XMLInputArchive::parse(const char* text)
{
    current_ = &document_;
    visited_.clear();
    document_.Parse(text);
    return !document_.Error();
}

bool XMLInputArchive::fileWasMissing() const
{
    return !notAFile_ && document_.Error() && document_.ErrorId() == TiXmlBase::TIXML_ERROR_OPENING_FILE;
}

std::string XMLInputArchive::loadError() const
{
    if (notAFile_) return "a folder or a device, not a file";
    if (!document_.Error()) return std::string();
    std::ostringstream text;
    text << document_.ErrorDesc() << " (row " << document_.ErrorRow() << ", column " << document_.ErrorCol() << ")";
    return text.str();
}

std::string XMLInputArchive::currentPath() const
{
    return pathOf(current_);
}

std::string XMLInputArchive::pathOf(const TiXmlNode* node)
{
    std::string path;
    for (; node && node->Type() == TiXmlNode::TINYXML_ELEMENT; node = node->Parent()) {
        path = path.empty() ? node->ValueStr() : node->ValueStr() + "/" + path;
    }
    return path;
}

std::vector<std::string> XMLInputArchive::unreadElements() const
{
    std::vector<std::string> unread;
    collectUnread(&document_, unread);
    return unread;
}

void XMLInputArchive::collectUnread(const TiXmlNode* parent, std::vector<std::string>& unread) const
{
    for (const TiXmlElement* child = parent->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (visited_.count(child)) {
            collectUnread(child, unread);
        } else {
            unread.push_back(pathOf(child));
        }
    }
}

const char* XMLInputArchive::currentText() const
{
    const TiXmlNode* first = current_->FirstChild();
    return first && first->ToText() ? first->Value() : nullptr;
}

template <class Number>
void XMLInputArchive::readNumber(const char* name, Number& value)
{
    inChild(name, [&] {
        if (const char* text = currentText()) parseNumber(text, value);
    });
}

void XMLInputArchive::field(const char* name, float& value)
{
    readNumber(name, value);
}

void XMLInputArchive::field(const char* name, int32_t& value)
{
    readNumber(name, value);
}

void XMLInputArchive::field(const char* name, std::string& value)
{
    inChild(name, [&] {
        if (const char* text = currentText()) value = text;
    });
}

void XMLInputArchive::field(const char* name, Color& value)
{
    inChild(name, [&] {
        field("red", value.red);
        field("green", value.green);
        field("blue", value.blue);
        field("alpha", value.alpha);
    });
}

int32_t XMLInputArchive::enumerationValue(int32_t current, std::span<const char* const> names) const
{
    std::string name = current >= 0 && static_cast<size_t>(current) < names.size() ? names[current] : "";
    if (const TiXmlElement* child = current_->FirstChildElement("enum")) {
        visited_.insert(child);
        const TiXmlNode* first = child->FirstChild();
        if (first && first->ToText()) name = first->Value();
    }
    for (size_t index = 0; index < names.size(); ++index) {
        if (name == names[index]) return static_cast<int32_t>(index);
    }
    throw ArchiveError("Name cannot be converted to enum value");
}

std::unique_ptr<Serializable> XMLInputArchive::createFromCurrent(std::string& className)
{
    // Only the element's own class name counts: a class named further up
    // the file must never choose the class of this member.
    const TiXmlAttribute* first = current_->ToElement()->FirstAttribute();
    if (!first || first->NameTStr() != "className" || first->ValueStr().empty()) {
        throw ArchiveError("the element names no class (className must be its first attribute)");
    }
    className = first->ValueStr();
    FactoryInterface& factory = factoryByClassName(className);
    std::unique_ptr<Serializable> created(factory.create());
    factory.serialize(runTimeTypeName<XMLInputArchive>(), *this, *created);
    return created;
}

}  // namespace Zorir::Core
