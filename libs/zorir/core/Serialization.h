#pragma once

#include <string>
#include <typeinfo>

namespace Zorir::Core {

// The base of everything a factory can create: descriptions are deleted and
// type-checked through it.
class Serializable {
public:
    virtual ~Serializable() = default;
};

// The base of the XML archives, so that one serializer interface serves both.
class Archive {
public:
    virtual ~Archive() = default;
};

// Reads or writes the fields of one class for one archive class.
class SerializerInterface {
public:
    virtual ~SerializerInterface() = default;
    virtual const std::string& archiveTypeName() const = 0;
    virtual void serialize(Archive& archive, Serializable& object) const = 0;

private:
    friend class FactoryInterface;
    SerializerInterface* next_ = nullptr;
};

// Creates objects of one class by its registered name and finds the
// serializers of that class. Factories are static objects that link
// themselves into one process-wide registry when the program starts.
class FactoryInterface {
public:
    FactoryInterface(const FactoryInterface&) = delete;
    FactoryInterface& operator=(const FactoryInterface&) = delete;
    virtual ~FactoryInterface();

    // A name unique per class, taken from the run-time type.
    virtual const std::string& typeName() const = 0;
    // The name XML files use in their className attributes.
    virtual const std::string& className() const = 0;
    // A new object of the class with its defaults; the caller owns it.
    virtual Serializable* create() const = 0;
    // Runs this class's serializer for the archive class of the given name;
    // throws an ArchiveError when there is none.
    virtual void serialize(const std::string& archiveTypeName, Archive& archive, Serializable& object) const;

    void addSerializer(SerializerInterface& serializer);
    void removeSerializer(const SerializerInterface& serializer);

    // The next factory of the registry.
    FactoryInterface* next() const { return next_; }

protected:
    FactoryInterface();

private:
    FactoryInterface* next_ = nullptr;
    SerializerInterface* serializers_ = nullptr;
};

// The registry lookups; a name that no factory carries is a failed assertion.
FactoryInterface& factoryByTypeName(const std::string& typeName);
FactoryInterface& factoryByClassName(const std::string& className);
// Null when no factory carries the name.
FactoryInterface* findFactoryByTypeName(const std::string& typeName);
FactoryInterface* findFactoryByClassName(const std::string& className);

template <class T>
const std::string& runTimeTypeName()
{
    static const std::string name = typeid(T).name();
    return name;
}

template <class T>
class Factory : public FactoryInterface {
public:
    explicit Factory(const char* className) : className_(className) {}

    const std::string& typeName() const override { return runTimeTypeName<T>(); }
    const std::string& className() const override { return className_; }
    Serializable* create() const override { return new T; }

private:
    std::string className_;
};

// Calls the class's own serialize template with the archive: one member
// template per class describes its fields for reading and writing alike.
template <class ArchiveType, class T>
class Serializer : public SerializerInterface {
public:
    explicit Serializer(Factory<T>& factory) : factory_(factory) { factory_.addSerializer(*this); }
    ~Serializer() override { factory_.removeSerializer(*this); }

    const std::string& archiveTypeName() const override { return runTimeTypeName<ArchiveType>(); }
    void serialize(Archive& archive, Serializable& object) const override
    {
        dynamic_cast<T&>(object).serialize(static_cast<ArchiveType&>(archive));
    }

private:
    Factory<T>& factory_;
};

}  // namespace Zorir::Core

// Registers a class under its XML class name with one serializer per XML
// archive. Goes into the class's source file, where its serialize template
// is defined; the class needs a default constructor.
#define ZORIR_REGISTER_SERIALIZABLE(Class, name)                                                             \
    template void Class::serialize<::Zorir::Core::XMLInputArchive>(::Zorir::Core::XMLInputArchive&);         \
    template void Class::serialize<::Zorir::Core::XMLOutputArchive>(::Zorir::Core::XMLOutputArchive&);       \
    namespace {                                                                                              \
    ::Zorir::Core::Factory<Class> factoryOf##Class(name);                                                    \
    ::Zorir::Core::Serializer<::Zorir::Core::XMLInputArchive, Class> inputSerializerOf##Class(factoryOf##Class); \
    ::Zorir::Core::Serializer<::Zorir::Core::XMLOutputArchive, Class> outputSerializerOf##Class(               \
        factoryOf##Class);                                                                                   \
    }
