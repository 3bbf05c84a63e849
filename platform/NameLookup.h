#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Parses a dotted IPv4 address ("a.b.c.d") into host byte order.
bool parseDottedIPv4(const std::string& text, uint32_t* address);

// "a.b.c.d" of an address in host byte order.
std::string formatDottedIPv4(uint32_t address);

// Looks a host name up (IPv4 only); thread-safe, may block.
bool resolveHostIPv4(const std::string& host, uint32_t* address);

// The machine's host name, or "" when it cannot be had.
std::string localHostName();

// An IPv4 interface of this machine: its address and the directed broadcast
// address of its network.
struct LocalInterface {
    uint32_t address;
    uint32_t broadcast;
};

// Every up IPv4 interface; the loopback interface is always in the list.
// While a replacement is set, the replacement instead.
std::vector<LocalInterface> localInterfaces();

// Sets the list that localInterfaces() reports from now on; an empty list
// gives the system's back. A test names 127.0.0.1 as the only interface and
// its broadcast address, so its broadcasts reach this host alone, whatever
// the machine's network allows.
void replaceLocalInterfaces(std::vector<LocalInterface> interfaces);

}  // namespace platform
