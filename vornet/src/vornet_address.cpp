#include "vornet/vornet_address.h"

#include <cstdarg>
#include <cstdio>
#include <new>

#include "platform/NameLookup.h"
#include "platform/Thread.h"
#include "vornet/vornet.h"
#include "vornet_address_block.h"
#include "vornet_hostname_lookup.h"
#include "vornet_log.h"
#include "vornet_string.h"
#include "vornet_tls.h"

using namespace Vornet_Private;

class VNet_Address_Private : public HookAllocated {
public:
    ~VNet_Address_Private() { abandonLookup(); }

    // Takes over the result of a finished lookup and reports it.
    void collectLookup()
    {
        if (!lookup) return;
        const eVNet_HostnameResult result = lookup->state();
        if (result == eVNet_HostnameInProgress) return;
        const uint32_t found = lookup->address();
        lookup->release();
        lookup = nullptr;
        resolveState = result;
        if (result != eVNet_HostnameResolved) {
            logMessage(LogError, "VNet_Address: failed to resolve hostname: '%s'", hostText());
            return;
        }
        ip = found;
        logRaw("VNet_Address: resolved hostname '%s' to %d.%d.%d.%d", hostText(), int(ip >> 24), int((ip >> 16) & 0xFF),
               int((ip >> 8) & 0xFF), int(ip & 0xFF));
    }

    // A lookup for values that are being replaced must never write them.
    void abandonLookup()
    {
        if (!lookup) return;
        lookup->release();
        lookup = nullptr;
        resolveState = eVNet_HostnameNotStarted;
    }

    const char* hostText() const { return hostName.getBuffer() ? hostName.getBuffer() : ""; }

    uint32_t ip = 0;
    uint16_t port = 0;
    STRING hostName;
    eVNet_AddressType type = eVNet_AddressLocal;
    uint8_t controlId = 0;
    bool needsResolving = false;
    eVNet_HostnameResult resolveState = eVNet_HostnameNotStarted;
    HostnameLookup* lookup = nullptr;
    // Set when the part lives in its holder's block, not on the heap.
    bool inBlock = false;
};

static_assert(sizeof(VNet_Address_Private) <= sizeof(AddressBlock), "an address's private part outgrew its block");

namespace {

// The C library's atoi, without its undefined overflow: sign and digits
// after leading blanks, anything after them ignored, the value wrapped.
uint16_t portFromText(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + static_cast<uint32_t>(*text - '0');
    return static_cast<uint16_t>(negative ? 0u - value : value);
}

// A dotted address; 255.255.255.255 counts as no address, as the classic
// conversion's error value does, so that text is taken for a host name.
bool parseDotted(const char* text, uint32_t* address)
{
    uint32_t parsed = 0;
    if (!platform::parseDottedIPv4(text, &parsed) || parsed == 0xFFFFFFFFu) return false;
    *address = parsed;
    return true;
}

// Formats into the calling thread's text buffer; long texts are cut.
const char* formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* formatText(const char* format, ...)
{
    tlsdat* block = getTlsData();
    if (!block) return nullptr;
    va_list args;
    va_start(args, format);
    std::vsnprintf(block->textBuffer, sizeof block->textBuffer, format, args);
    va_end(args);
    return block->textBuffer;
}

int octet(uint32_t address, int index)
{
    return static_cast<int>((address >> (8 * (3 - index))) & 0xFF);
}

}  // namespace

VNET_DEFINE_HOOK_ALLOCATION(VNet_Address)

VNet_Address::VNet_Address() : m_priv(new VNet_Address_Private)
{
    if (!m_priv) fatalError("VNet_Address(): ouf of memory");
}

VNet_Address::VNet_Address(AddressBlock& block) : m_priv(::new (block.bytes) VNet_Address_Private)
{
    m_priv->inBlock = true;
}

VNet_Address::VNet_Address(const VNet_Address& other) : VNet_Address()
{
    *this = other;
}

VNet_Address& VNet_Address::operator=(const VNet_Address& other)
{
    if (this == &other) return *this;
    m_priv->abandonLookup();
    other.m_priv->collectLookup();
    m_priv->ip = other.m_priv->ip;
    m_priv->controlId = other.m_priv->controlId;
    m_priv->port = other.m_priv->port;
    m_priv->hostName = other.m_priv->hostName;
    m_priv->type = other.m_priv->type;
    m_priv->needsResolving = other.m_priv->needsResolving;
    return *this;
}

VNet_Address::~VNet_Address()
{
    if (m_priv->inBlock) {
        m_priv->~VNet_Address_Private();
        return;
    }
    delete m_priv;
}

bool VNet_Address::setAddress(eVNet_AddressType type, unsigned char controlId, const char* text)
{
    VNet_Address_Private& p = *m_priv;
    p.abandonLookup();
    p.hostName = text ? text : "";
    p.type = type;
    p.controlId = controlId;
    p.needsResolving = false;
    p.resolveState = eVNet_HostnameNotStarted;

    const int32_t colon = p.hostName.find(':');
    if (colon < 0) return false;
    const char* portText = p.hostText() + colon + 1;
    if (*portText == '\0') return false;
    p.port = portFromText(portText);
    p.hostName = p.hostName.getLeft(colon);
    if (colon == 0) return false;

    if (!parseDotted(p.hostText(), &p.ip)) {
        p.needsResolving = true;
        p.ip = 0;
    }
    return true;
}

uint32_t VNet_Address::getIP() const
{
    m_priv->collectLookup();
    return m_priv->ip;
}

unsigned char VNet_Address::getIP(int index) const
{
    if (index < 0 || index > 3) return 0;
    return static_cast<unsigned char>(octet(getIP(), index));
}

unsigned short VNet_Address::getPort() const
{
    return m_priv->port;
}

eVNet_AddressType VNet_Address::getType() const
{
    return m_priv->type;
}

unsigned char VNet_Address::getControlID() const
{
    return m_priv->controlId;
}

void VNet_Address::setIP(unsigned char a, unsigned char b, unsigned char c, unsigned char d)
{
    setIP((uint32_t{a} << 24) | (uint32_t{b} << 16) | (uint32_t{c} << 8) | d);
    m_priv->hostName.release();
    m_priv->needsResolving = false;
}

void VNet_Address::setIP(uint32_t address)
{
    m_priv->abandonLookup();
    m_priv->ip = address;
}

void VNet_Address::setPort(unsigned short port)
{
    m_priv->port = port;
}

void VNet_Address::setControlID(unsigned char controlId)
{
    m_priv->controlId = controlId;
}

void VNet_Address::setType(eVNet_AddressType type)
{
    m_priv->type = type;
}

const char* VNet_Address::getAddressIP(eVNet_GetIPAddressOption option) const
{
    const uint32_t ip = getIP();
    if (option != eVNet_IPWithPort) {
        return formatText("%d.%d.%d.%d", octet(ip, 0), octet(ip, 1), octet(ip, 2), octet(ip, 3));
    }
    return formatText("%d.%d.%d.%d:%d", octet(ip, 0), octet(ip, 1), octet(ip, 2), octet(ip, 3), int(m_priv->port));
}

const char* VNet_Address::getAddressHostname() const
{
    if (!m_priv->needsResolving) return nullptr;
    return formatText("%s:%d", m_priv->hostText(), int(m_priv->port));
}

const char* VNet_Address::toString() const
{
    const VNet_Address_Private& p = *m_priv;
    switch (p.type) {
    case eVNet_AddressLocal:
        return formatText("[local]::%d", int(p.port));
    case eVNet_AddressUDP:
        if (p.needsResolving && checkHostname() != eVNet_HostnameResolved) {
            return formatText("[udp]:%s:%d", p.hostText(), int(p.port));
        }
        return formatText("[udp]:%d.%d.%d.%d:%d", octet(p.ip, 0), octet(p.ip, 1), octet(p.ip, 2), octet(p.ip, 3),
                          int(p.port));
    default:
        return formatText("invalid address");
    }
}

bool VNet_Address::resolveHostname(bool asynchronous, uint32_t timeoutMs)
{
    VNet_Address_Private& p = *m_priv;
    if (checkHostname() == eVNet_HostnameInProgress) {
        logMessage(LogError, "VNet_Address::resolveHostname(): already in progress");
        return false;
    }
    if (!p.needsResolving) {
        logMessage(LogError, "VNet_Address::resolveHostname(): nothing to resolve: %s", p.hostText());
        return false;
    }
    // The state says "in progress" before the thread exists, so a poll right
    // after an asynchronous start never reads "not started".
    p.lookup = HostnameLookup::start(p.hostText());
    if (!p.lookup) {
        logMessage(LogError, "VNet_Address::resolveHostname(): unable to start the resolver");
        p.resolveState = eVNet_HostnameFailed;
        return false;
    }
    p.resolveState = eVNet_HostnameInProgress;
    if (asynchronous) return true;

    const uint32_t started = Vornet::getTime();
    while (checkHostname() == eVNet_HostnameInProgress && Vornet::getTime() - started < timeoutMs) {
        platform::sleepMilliseconds(5);
    }
    return checkHostname() == eVNet_HostnameResolved;
}

eVNet_HostnameResult VNet_Address::checkHostname() const
{
    m_priv->collectLookup();
    return m_priv->resolveState;
}

bool VNet_Address::operator==(const VNet_Address& other) const
{
    if (m_priv->type != other.m_priv->type || m_priv->controlId != other.m_priv->controlId) return false;
    switch (m_priv->type) {
    case eVNet_AddressLocal:
        return m_priv->port == other.m_priv->port;
    case eVNet_AddressUnused:
    case eVNet_AddressUDP:
        return getIP() == other.getIP() && m_priv->port == other.m_priv->port;
    case eVNet_AddressBoth:
        return true;
    default:
        return false;
    }
}

uint32_t VNet_Address::computeHashKey(uint32_t bucketCount) const
{
    if (bucketCount == 0) bucketCount = 1;
    switch (m_priv->type) {
    case eVNet_AddressLocal:
        return m_priv->port % bucketCount;
    case eVNet_AddressUnused:
    case eVNet_AddressUDP:
        return (getIP() + m_priv->port) % bucketCount;
    default:
        return 0;
    }
}
