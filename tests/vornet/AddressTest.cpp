// Addresses: parsing, texts, equality and hashing, host-name lookup on a
// thread of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "vornet/vornet.h"
#include "vornet/vornet_address.h"

namespace {

std::string text(const char* value)
{
    return value ? value : "(null)";
}

struct ParseCase {
    eVNet_AddressType type;
    const char* input;
    bool accepted;
    uint32_t ip;
    unsigned short port;
    bool needsResolving;  // tells getAddressHostname's null from its text
    const char* asString;
};

TEST(Address, SetAddressParsesTheAcceptedFormsAndRefusesTheOthers)
{
    const ParseCase cases[] = {
        {eVNet_AddressUDP, "127.0.0.1:5000", true, 0x7F000001, 5000, false, "[udp]:127.0.0.1:5000"},
        {eVNet_AddressUDP, "10.1.2.3:80", true, 0x0A010203, 80, false, "[udp]:10.1.2.3:80"},
        {eVNet_AddressUDP, "myhost:80", true, 0, 80, true, "[udp]:myhost:80"},
        // The classic conversion's error value is taken for a host name.
        {eVNet_AddressUDP, "255.255.255.255:9", true, 0, 9, true, "[udp]:255.255.255.255:9"},
        {eVNet_AddressUDP, "1.2.3.4:80abc", true, 0x01020304, 80, false, "[udp]:1.2.3.4:80"},
        {eVNet_AddressUDP, "1.2.3.4:65537", true, 0x01020304, 1, false, "[udp]:1.2.3.4:1"},
        {eVNet_AddressUDP, "1.2.3.4:-1", true, 0x01020304, 65535, false, "[udp]:1.2.3.4:65535"},
        {eVNet_AddressUDP, "1.2.3.4:99999999999999999999", true, 0x01020304, 65535, false, "[udp]:1.2.3.4:65535"},
        {eVNet_AddressLocal, "localhost:12", true, 0, 12, true, "[local]::12"},
        {eVNet_AddressUDP, "127.0.0.1", false, 0, 0, false, nullptr},
        {eVNet_AddressUDP, "127.0.0.1:", false, 0, 0, false, nullptr},
        {eVNet_AddressUDP, ":5000", false, 0, 5000, false, nullptr},
        {eVNet_AddressUDP, "", false, 0, 0, false, nullptr},
        {eVNet_AddressBoth, "1.2.3.4:5", true, 0x01020304, 5, false, "invalid address"},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.input);
        VNet_Address address;
        EXPECT_EQ(address.setAddress(c.type, 7, c.input), c.accepted);
        EXPECT_EQ(address.getType(), c.type);
        EXPECT_EQ(address.getControlID(), 7);
        EXPECT_EQ(address.checkHostname(), eVNet_HostnameNotStarted);
        if (!c.accepted) {
            EXPECT_EQ(address.getPort(), c.port);
            continue;
        }
        EXPECT_EQ(address.getIP(), c.ip);
        EXPECT_EQ(address.getPort(), c.port);
        EXPECT_EQ(address.getAddressHostname() != nullptr, c.needsResolving);
        EXPECT_EQ(text(address.toString()), c.asString);
    }
}

TEST(Address, TextsOfANumericAndANamedAddress)
{
    VNet_Address numeric;
    ASSERT_TRUE(numeric.setAddress(eVNet_AddressUDP, 0, "127.0.0.1:5000"));
    EXPECT_EQ(numeric.getAddressHostname(), nullptr);
    EXPECT_EQ(text(numeric.getAddressIP(eVNet_IPWithPort)), "127.0.0.1:5000");
    EXPECT_EQ(text(numeric.getAddressIP(eVNet_IPOnly)), "127.0.0.1");

    VNet_Address named;
    ASSERT_TRUE(named.setAddress(eVNet_AddressUDP, 0, "myhost:80"));
    EXPECT_EQ(text(named.getAddressHostname()), "myhost:80");
    EXPECT_EQ(text(named.getAddressIP(eVNet_IPWithPort)), "0.0.0.0:80");
}

TEST(Address, LongHostNamesAreCutToTheTextBuffer)
{
    const std::string name(400, 'n');
    VNet_Address address;
    ASSERT_TRUE(address.setAddress(eVNet_AddressUDP, 0, (name + ":80").c_str()));
    const std::string asString = text(address.toString());
    EXPECT_EQ(asString.size(), 255u);
    EXPECT_EQ(asString.rfind("[udp]:nnn", 0), 0u);
    EXPECT_EQ(text(address.getAddressHostname()).size(), 255u);
}

TEST(Address, OctetsAndSetters)
{
    VNet_Address address;
    address.setIP(10, 1, 2, 3);
    EXPECT_EQ(address.getIP(), 0x0A010203u);
    EXPECT_EQ(address.getIP(0), 10);
    EXPECT_EQ(address.getIP(3), 3);
    EXPECT_EQ(address.getIP(4), 0);
    EXPECT_EQ(address.getIP(-1), 0);

    ASSERT_TRUE(address.setAddress(eVNet_AddressUDP, 0, "myhost:80"));
    address.setIP(1, 2, 3, 4);  // forgets the host name
    EXPECT_EQ(address.getAddressHostname(), nullptr);
    EXPECT_EQ(text(address.toString()), "[udp]:1.2.3.4:80");
}

VNet_Address make(eVNet_AddressType type, unsigned char controlId, uint32_t ip, unsigned short port)
{
    VNet_Address address;
    address.setType(type);
    address.setControlID(controlId);
    address.setIP(ip);
    address.setPort(port);
    return address;
}

struct EqualityCase {
    const char* what;
    VNet_Address left;
    VNet_Address right;
    bool equal;
};

TEST(Address, EqualityFollowsTheType)
{
    const EqualityCase cases[] = {
        {"local, same port, other IPs", make(eVNet_AddressLocal, 1, 1, 5), make(eVNet_AddressLocal, 1, 2, 5), true},
        {"local, other port", make(eVNet_AddressLocal, 1, 1, 5), make(eVNet_AddressLocal, 1, 1, 6), false},
        {"local and UDP", make(eVNet_AddressLocal, 1, 1, 5), make(eVNet_AddressUDP, 1, 1, 5), false},
        {"UDP, same", make(eVNet_AddressUDP, 1, 9, 5), make(eVNet_AddressUDP, 1, 9, 5), true},
        {"UDP, other IP", make(eVNet_AddressUDP, 1, 9, 5), make(eVNet_AddressUDP, 1, 8, 5), false},
        {"UDP, other control id", make(eVNet_AddressUDP, 1, 9, 5), make(eVNet_AddressUDP, 2, 9, 5), false},
        {"type 1 like UDP", make(eVNet_AddressUnused, 0, 9, 5), make(eVNet_AddressUnused, 0, 9, 5), true},
        {"both, anything else differs", make(eVNet_AddressBoth, 3, 1, 2), make(eVNet_AddressBoth, 3, 7, 8), true},
        {"both, other control id", make(eVNet_AddressBoth, 3, 1, 2), make(eVNet_AddressBoth, 4, 1, 2), false},
        {"unknown type", make(eVNet_AddressType(9), 0, 1, 2), make(eVNet_AddressType(9), 0, 1, 2), false},
    };
    for (const EqualityCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.left == c.right, c.equal);
        EXPECT_EQ(c.right == c.left, c.equal);
    }
}

TEST(Address, HashKeysByType)
{
    EXPECT_EQ(make(eVNet_AddressUDP, 0, 1, 2).computeHashKey(16), 3u);
    EXPECT_EQ(make(eVNet_AddressUnused, 0, 1, 2).computeHashKey(16), 3u);
    EXPECT_EQ(make(eVNet_AddressLocal, 0, 1000, 53).computeHashKey(53), 0u);
    EXPECT_EQ(make(eVNet_AddressUDP, 0, 0xFFFFFFFF, 2).computeHashKey(7), 1u % 7);  // wraps in 32 bits
    EXPECT_EQ(make(eVNet_AddressBoth, 0, 1, 2).computeHashKey(16), 0u);
    EXPECT_EQ(make(eVNet_AddressUDP, 0, 1, 2).computeHashKey(0), 0u);  // counts as one bucket
}

TEST(Address, CopiesTakeTheValuesButNotTheLookup)
{
    VNet_Address original;
    ASSERT_TRUE(original.setAddress(eVNet_AddressUDP, 4, "myhost:80"));
    VNet_Address copy(original);
    EXPECT_TRUE(copy == original);
    EXPECT_EQ(text(copy.toString()), "[udp]:myhost:80");
    EXPECT_EQ(text(copy.getAddressHostname()), "myhost:80");
    EXPECT_EQ(copy.getControlID(), 4);
}

std::vector<std::string> logged;

bool wasLogged(const std::string& line)
{
    return std::find(logged.begin(), logged.end(), line) != logged.end();
}

// Lookups report on the owner's thread when it takes their result.
class Resolving : public ::testing::Test {
protected:
    void SetUp() override { logged.clear(); }
    Vornet library{[](const char* line) { logged.push_back(line); }};
};

TEST_F(Resolving, LocalhostResolves)
{
    VNet_Address address;
    ASSERT_TRUE(address.setAddress(eVNet_AddressUDP, 0, "localhost:4000"));
    EXPECT_TRUE(address.resolveHostname(false, 10000));
    EXPECT_EQ(address.checkHostname(), eVNet_HostnameResolved);
    EXPECT_EQ(address.getIP(), 0x7F000001u);
    EXPECT_EQ(text(address.toString()), "[udp]:127.0.0.1:4000");
    EXPECT_TRUE(wasLogged("VNet_Address: resolved hostname 'localhost' to 127.0.0.1"));
    // Still a named address: a second lookup may run.
    EXPECT_EQ(text(address.getAddressHostname()), "localhost:4000");
}

TEST_F(Resolving, AsynchronousLookupIsInProgressAtOnce)
{
    VNet_Address address;
    ASSERT_TRUE(address.setAddress(eVNet_AddressUDP, 0, "localhost:4000"));
    ASSERT_TRUE(address.resolveHostname(true, 0));
    const eVNet_HostnameResult first = address.checkHostname();
    EXPECT_TRUE(first == eVNet_HostnameInProgress || first == eVNet_HostnameResolved);
    if (first == eVNet_HostnameInProgress) {
        EXPECT_FALSE(address.resolveHostname(true, 0));
        EXPECT_TRUE(wasLogged("! ERROR: VNet_Address::resolveHostname(): already in progress"));
    }
    while (address.checkHostname() == eVNet_HostnameInProgress) Vornet::Sleep(1);
    EXPECT_EQ(address.checkHostname(), eVNet_HostnameResolved);
}

TEST_F(Resolving, AnUnresolvableNameFails)
{
    // A label longer than 63 characters is refused before any query leaves.
    const std::string name = std::string(70, 'x') + ".invalid:80";
    VNet_Address address;
    ASSERT_TRUE(address.setAddress(eVNet_AddressUDP, 0, name.c_str()));
    EXPECT_FALSE(address.resolveHostname(false, 10000));
    EXPECT_EQ(address.checkHostname(), eVNet_HostnameFailed);
    EXPECT_EQ(address.getIP(), 0u);
    EXPECT_TRUE(wasLogged("! ERROR: VNet_Address: failed to resolve hostname: '" + name.substr(0, name.size() - 3) + "'"));
}

TEST_F(Resolving, NumericAddressesHaveNothingToResolve)
{
    VNet_Address address;
    ASSERT_TRUE(address.setAddress(eVNet_AddressUDP, 0, "127.0.0.1:80"));
    EXPECT_FALSE(address.resolveHostname(false, 100));
    EXPECT_EQ(address.checkHostname(), eVNet_HostnameNotStarted);
    EXPECT_TRUE(wasLogged("! ERROR: VNet_Address::resolveHostname(): nothing to resolve: 127.0.0.1"));
}

TEST_F(Resolving, AddressesReassignedOrDestroyedDuringALookupStayClean)
{
    for (int round = 0; round < 20; ++round) {
        auto* destroyed = new VNet_Address;
        ASSERT_TRUE(destroyed->setAddress(eVNet_AddressUDP, 0, "localhost:1"));
        ASSERT_TRUE(destroyed->resolveHostname(true, 0));
        delete destroyed;

        VNet_Address reset;
        ASSERT_TRUE(reset.setAddress(eVNet_AddressUDP, 0, "localhost:1"));
        ASSERT_TRUE(reset.resolveHostname(true, 0));
        ASSERT_TRUE(reset.setAddress(eVNet_AddressUDP, 0, "10.0.0.1:2"));

        VNet_Address assigned;
        ASSERT_TRUE(assigned.setAddress(eVNet_AddressUDP, 0, "localhost:1"));
        ASSERT_TRUE(assigned.resolveHostname(true, 0));
        assigned = reset;

        Vornet::Sleep(2);
        // The old lookups have had time to finish; their results reach nobody.
        for (VNet_Address* address : {&reset, &assigned}) {
            EXPECT_EQ(address->checkHostname(), eVNet_HostnameNotStarted);
            EXPECT_EQ(address->getIP(), 0x0A000001u);
            EXPECT_EQ(text(address->toString()), "[udp]:10.0.0.1:2");
        }
    }
    EXPECT_TRUE(logged.empty());  // abandoned lookups report nothing
}

}  // namespace
