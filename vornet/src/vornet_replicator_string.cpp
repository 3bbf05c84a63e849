#include "vornet/vornet_replicator_string.h"

#include <cstring>
#include <cwchar>

#include "vornet_log.h"
#include "vornet_memory.h"
#include "vornet_replicator_skipper.h"

using namespace Vornet_Private;

namespace {

VNet_RSetupString* ownedSetup(unsigned short maxLength, unsigned char flags, unsigned char rules,
                              unsigned char interceptId, short minDelay, short maxDelay)
{
    auto* setup = new VNet_RSetupString(maxLength, uint8_t(flags | VNET_REPFLAG_OWNEDSETUP), rules, interceptId,
                                        minDelay, maxDelay);
    if (!setup) logMessage(LogError, "VNet_Replicate_Stringp(): out of memory");
    return setup;
}

// The change test of both string forms: compares up to the terminator
// within the buffer, then takes the text as the shadow.
template <typename Char>
bool takeText(Char* shadow, const Char* text, uint16_t maxLength)
{
    if (!shadow) return true;
    bool differs = false;
    bool ended = false;
    for (uint16_t i = 0; i < maxLength; ++i) {
        const Char c = ended ? Char(0) : text[i];
        if (!ended && c != shadow[i]) differs = true;
        if (c == Char(0)) ended = true;
        shadow[i] = c;
    }
    if (!ended) differs = true;
    shadow[maxLength - 1] = Char(0);
    return differs;
}

template <typename Char>
Char* makeShadow(const Char* text, uint16_t maxLength)
{
    if (maxLength == 0 || !text) return nullptr;
    Char* shadow = allocateArray<Char>(maxLength);
    if (!shadow) return nullptr;
    takeText(shadow, text, maxLength);
    return shadow;
}

}  // namespace

VNet_RSetupString::VNet_RSetupString(unsigned short maxLength, unsigned char flags, unsigned char rules,
                                     unsigned char interceptId, short minDelay, short maxDelay)
    : VNet_ReplicatorSetup(flags, rules, interceptId, minDelay, maxDelay), m_maxLength(maxLength)
{
}

VNet_ReplicatorSetup* VNet_RSetupString::Duplicate()
{
    if (m_flags & VNET_REPFLAG_SHAREDSETUP) return this;
    return new VNet_RSetupString(*this);
}

// ---------------------------------------------------------------------------
// Narrow text

VNet_Replicate_Stringp::VNet_Replicate_Stringp(char* data, VNet_RSetupString* setup) : VNet_ReplicatorBasic(setup)
{
    init(data);
}

VNet_Replicate_Stringp::VNet_Replicate_Stringp(char* data, unsigned short maxLength, unsigned char flags,
                                               unsigned char rules, unsigned char interceptId, short minDelay,
                                               short maxDelay)
    : VNet_ReplicatorBasic(ownedSetup(maxLength, flags, rules, interceptId, minDelay, maxDelay))
{
    init(data);
}

void VNet_Replicate_Stringp::init(char* data)
{
    m_data = data;
    if (!m_setup) return;
    m_maxLength = static_cast<VNet_RSetupString*>(m_setup)->getMaxLength();
    m_shadow = makeShadow(data, m_maxLength);
    if (m_shadow) m_flags |= VNET_REPLICATOR_INITIALIZED;
}

VNet_Replicate_Stringp::~VNet_Replicate_Stringp()
{
    release(m_shadow);
}

void* VNet_Replicate_Stringp::peekData()
{
    VNet_BitStream* stream = getPeekStream();
    if (!stream) return nullptr;
    const char* text = stream->getStringStatic();
    const size_t length = std::strlen(text);
    char* copy = allocateArray<char>(length + 1);
    if (!copy) return nullptr;
    std::memcpy(copy, text, length + 1);
    peekDataStore(copy);
    return copy;
}

void VNet_Replicate_Stringp::clearPeekData()
{
    release(peekDataRetrieve());
}

bool VNet_Replicate_Stringp::checkState()
{
    return takeText(m_shadow, m_data, m_maxLength);
}

void VNet_Replicate_Stringp::packData(VNet_BitStream* stream)
{
    stream->addString(m_data);
}

void VNet_Replicate_Stringp::unpackData(VNet_BitStream* stream, bool store, unsigned)
{
    if (store)
        stream->getString(m_data, m_maxLength);
    else
        stream->getStringStatic();
}

VNet_ReplicatorBasic* VNet_Replicate_Stringp::createSkipper() const
{
    return Vornet_Private::skipperFor(*this, Vornet_Private::skipStringValue, 0);
}

// ---------------------------------------------------------------------------
// Wide text

VNet_Replicate_StringWp::VNet_Replicate_StringWp(wchar_t* data, VNet_RSetupString* setup)
    : VNet_ReplicatorBasic(setup)
{
    init(data);
}

VNet_Replicate_StringWp::VNet_Replicate_StringWp(wchar_t* data, unsigned short maxLength, unsigned char flags,
                                                 unsigned char rules, unsigned char interceptId, short minDelay,
                                                 short maxDelay)
    : VNet_ReplicatorBasic(ownedSetup(maxLength, flags, rules, interceptId, minDelay, maxDelay))
{
    init(data);
}

void VNet_Replicate_StringWp::init(wchar_t* data)
{
    m_data = data;
    if (!m_setup) return;
    m_maxLength = static_cast<VNet_RSetupString*>(m_setup)->getMaxLength();
    m_shadow = makeShadow(data, m_maxLength);
    if (m_shadow) m_flags |= VNET_REPLICATOR_INITIALIZED;
}

VNet_Replicate_StringWp::~VNet_Replicate_StringWp()
{
    release(m_shadow);
}

void* VNet_Replicate_StringWp::peekData()
{
    VNet_BitStream* stream = getPeekStream();
    if (!stream) return nullptr;
    const unsigned length = stream->getStringWLength();
    if (length > 0xFFFE) return nullptr;
    wchar_t* copy = allocateArray<wchar_t>(length + 1);
    if (!copy) return nullptr;
    stream->getStringW(copy, static_cast<unsigned short>(length + 1));
    peekDataStore(copy);
    return copy;
}

void VNet_Replicate_StringWp::clearPeekData()
{
    release(peekDataRetrieve());
}

bool VNet_Replicate_StringWp::checkState()
{
    return takeText(m_shadow, m_data, m_maxLength);
}

void VNet_Replicate_StringWp::packData(VNet_BitStream* stream)
{
    stream->addStringW(m_data);
}

void VNet_Replicate_StringWp::unpackData(VNet_BitStream* stream, bool store, unsigned)
{
    if (store)
        stream->getStringW(m_data, m_maxLength);
    else
        stream->skipString();
}

VNet_ReplicatorBasic* VNet_Replicate_StringWp::createSkipper() const
{
    return Vornet_Private::skipperFor(*this, Vornet_Private::skipWideStringValue, 0);
}
