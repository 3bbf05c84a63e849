#include "libs/zorir/core/Serialization.h"

#include "libs/zorir/core/ArchiveError.h"
#include "libs/zorir/core/StandardException.h"

namespace Zorir::Core {

namespace {

// Constant-initialised, so factories constructed by static objects of any
// translation unit find it ready.
FactoryInterface* registryHead = nullptr;

template <class Matches>
FactoryInterface* findFactory(Matches matches)
{
    for (FactoryInterface* factory = registryHead; factory; factory = factory->next()) {
        if (matches(*factory)) return factory;
    }
    return nullptr;
}

}  // namespace

FactoryInterface::FactoryInterface() : next_(registryHead)
{
    registryHead = this;
}

FactoryInterface::~FactoryInterface()
{
    for (FactoryInterface** link = &registryHead; *link; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            return;
        }
    }
}

void FactoryInterface::serialize(const std::string& archiveTypeName, Archive& archive, Serializable& object) const
{
    for (const SerializerInterface* serializer = serializers_; serializer; serializer = serializer->next_) {
        if (serializer->archiveTypeName() == archiveTypeName) {
            serializer->serialize(archive, object);
            return;
        }
    }
    throw ArchiveError("trying to access unregistered serializer type");
}

void FactoryInterface::addSerializer(SerializerInterface& serializer)
{
    serializer.next_ = serializers_;
    serializers_ = &serializer;
}

void FactoryInterface::removeSerializer(const SerializerInterface& serializer)
{
    for (SerializerInterface** link = &serializers_; *link; link = &(*link)->next_) {
        if (*link == &serializer) {
            *link = serializer.next_;
            return;
        }
    }
}

FactoryInterface* findFactoryByTypeName(const std::string& typeName)
{
    return findFactory([&typeName](const FactoryInterface& factory) { return factory.typeName() == typeName; });
}

FactoryInterface* findFactoryByClassName(const std::string& className)
{
    return findFactory([&className](const FactoryInterface& factory) { return factory.className() == className; });
}

FactoryInterface& factoryByTypeName(const std::string& typeName)
{
    FactoryInterface* factory = findFactoryByTypeName(typeName);
    ZORIR_ASSERT(factory != 0);
    return *factory;
}

FactoryInterface& factoryByClassName(const std::string& className)
{
    FactoryInterface* factory = findFactoryByClassName(className);
    ZORIR_ASSERT(factory != 0);
    return *factory;
}

}  // namespace Zorir::Core
