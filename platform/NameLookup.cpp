#include "platform/NameLookup.h"

#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <utility>

namespace platform {


bool parseDottedIPv4(const std::string& text, uint32_t* address)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1) return false;
    *address = ntohl(parsed.s_addr);
    return true;
}

std::string formatDottedIPv4(uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

bool resolveHostIPv4(const std::string& host, uint32_t* address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* results = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &results) != 0 || !results) return false;
    *address = ntohl(reinterpret_cast<const sockaddr_in*>(results->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(results);
    return true;
}

std::string localHostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

namespace {

std::mutex replacementMutex;
std::vector<LocalInterface> replacement;

std::vector<LocalInterface> systemInterfaces()
{
    std::vector<LocalInterface> interfaces;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
            if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
            if (!(entry->ifa_flags & IFF_UP)) continue;
            const uint32_t address =
                ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
            uint32_t mask = 0xFF000000;
            if (entry->ifa_netmask) {
                mask = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr);
            }
            interfaces.push_back({address, address | ~mask});
        }
        freeifaddrs(list);
    }
    const bool hasLoopback = std::any_of(interfaces.begin(), interfaces.end(),
                                         [](const LocalInterface& i) { return i.address == kLoopbackAddress; });
    if (!hasLoopback) interfaces.push_back({kLoopbackAddress, 0x7FFFFFFF});
    return interfaces;
}

}  // namespace

std::vector<LocalInterface> localInterfaces()
{
    {
        std::lock_guard<std::mutex> lock(replacementMutex);
        if (!replacement.empty()) return replacement;
    }
    return systemInterfaces();
}

void replaceLocalInterfaces(std::vector<LocalInterface> interfaces)
{
    std::lock_guard<std::mutex> lock(replacementMutex);
    replacement = std::move(interfaces);
}

}  // namespace platform
