// The replicated object of the node tests and of the soak peer: a node
// with a bool, a text and a memory block. Public headers only, so that a
// program outside the test binaries can build it too.
#pragma once

#include <cstdio>
#include <cstring>

#include "vornet/vornet_node.h"
#include "vornet/vornet_replicator.h"
#include "vornet/vornet_replicator_memblock.h"

namespace node_test {

constexpr unsigned char kRules = VNET_RULE_AUTHORITY_TO_PROXY | VNET_RULE_AUTHORITY_TO_OWNER;
// Flag bit 0x01 carries no behaviour; replicators need some flag set.
constexpr unsigned char kPlainFlags = 0x01;

// An object whose node replicates a bool, a text and a block of 16 bytes.
struct Thing {
    VNet_Node node;
    bool flag = false;
    char text[32] = {};
    unsigned char block[16] = {};

    // The text's set-up flags may differ (an interceptor's flag): both
    // peers still build the same table.
    explicit Thing(unsigned char textFlags = kPlainFlags)
    {
        node.beginReplicationSetup(3);
        node.addReplicationBool(&flag, kPlainFlags, kRules);
        node.addReplicationString(text, sizeof text, textFlags, kRules);
        node.addReplicator(new VNet_Replicate_Memblock(block, sizeof block, kPlainFlags, kRules, 0, -1, -1), true);
        node.endReplicationSetup();
    }
    void set(int round, int index)
    {
        flag = (round + index) % 2 == 1;
        std::snprintf(text, sizeof text, "thing %d round %d", index, round);
        for (size_t i = 0; i < sizeof block; ++i) block[i] = static_cast<unsigned char>(round * 7 + index + i);
    }
    bool sameAs(const Thing& other) const
    {
        return flag == other.flag && std::strcmp(text, other.text) == 0 &&
               std::memcmp(block, other.block, sizeof block) == 0;
    }
};

}  // namespace node_test
