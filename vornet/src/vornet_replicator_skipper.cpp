#include "vornet_replicator_skipper.h"

#include <cxxabi.h>

#include <cstdlib>
#include <cstring>

#include "vornet_memory.h"

namespace Vornet_Private {

namespace {

// The set-up's flags and rules in a set-up of the skipper's own: the
// replicator's may belong to the application.
VNet_ReplicatorSetup* copiedSetup(const VNet_Replicator& of)
{
    const VNet_ReplicatorSetup* setup = of.getSetup();
    if (!setup) return nullptr;
    const auto flags = uint8_t((setup->getFlags() | VNET_REPFLAG_OWNEDSETUP) & ~VNET_REPFLAG_SHAREDSETUP);
    return new VNet_ReplicatorSetup(flags, setup->getRules(), setup->getInterceptID(), setup->getMinDelay(),
                                    setup->getMaxDelay());
}

// The replicator's class as its source names it, in the library's memory.
char* className(const VNet_Replicator& of)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(of).name(), nullptr, nullptr, &status);
    const char* name = status == 0 && demangled ? demangled : typeid(of).name();
    const size_t length = std::strlen(name);
    char* copy = allocateArray<char>(length + 1);
    if (copy) std::memcpy(copy, name, length + 1);
    std::free(demangled);
    return copy;
}

}  // namespace

DataSkipper::DataSkipper(const VNet_Replicator& of, Skip skip, unsigned parameter, SetupParameter fromSetup)
    : VNet_ReplicatorBasic(copiedSetup(of)), m_skip(skip), m_parameter(parameter), m_fromSetup(fromSetup)
{
    if (m_setup || !of.getSetup()) m_flags |= VNET_REPLICATOR_INITIALIZED;
    if (!skip) {
        m_flags |= kReplicatorUnreadable;
        m_className = className(of);
    }
    if (fromSetup && of.getSetup()) {
        m_source = of.getSetup();
        m_nextReader = m_source->m_readers;
        m_source->m_readers = this;
    }
}

DataSkipper::~DataSkipper()
{
    stopReading();
    release(m_className);
}

void DataSkipper::stopReading()
{
    if (!m_source) return;
    for (DataSkipper** at = &m_source->m_readers; *at; at = &(*at)->m_nextReader) {
        if (*at != this) continue;
        *at = m_nextReader;
        break;
    }
    m_source = nullptr;
    m_nextReader = nullptr;
}

void DataSkipper::setupGone(VNet_ReplicatorSetup& setup)
{
    while (DataSkipper* reader = setup.m_readers) {
        reader->m_parameter = reader->m_fromSetup(setup);
        reader->stopReading();
    }
}

unsigned DataSkipper::parameter() const
{
    return m_source ? m_fromSetup(*m_source) : m_parameter;
}

void skipBoolValue(VNet_BitStream& stream, unsigned)
{
    stream.getBool();
}

void skipBufferValue(VNet_BitStream& stream, unsigned bytes)
{
    stream.skipBuffer(uint16_t(bytes));
}

void skipStringValue(VNet_BitStream& stream, unsigned)
{
    stream.getStringStatic();
}

void skipWideStringValue(VNet_BitStream& stream, unsigned)
{
    stream.skipString();
}

void DataSkipper::unpackData(VNet_BitStream* stream, bool, unsigned)
{
    if (m_skip && stream) m_skip(*stream, parameter());
}

}  // namespace Vornet_Private
