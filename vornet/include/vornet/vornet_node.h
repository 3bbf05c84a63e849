#pragma once

#include <cstddef>

#include "vornet/vornet_export.h"
#include "vornet/vornet_types.h"

class VNet_Node_Private;

// The application's handle for one network object. Building and destroying a
// node that is never registered needs no library object: it costs one
// allocation of its private block.
class VNET_API VNet_Node {
public:
    VNet_Node();
    ~VNet_Node();

    // The handle owns its private block; a copy would free it twice.
    VNet_Node(const VNet_Node&) = delete;
    VNet_Node& operator=(const VNet_Node&) = delete;

    static void* operator new(size_t bytes) noexcept;
    static void* operator new[](size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;
    static void operator delete[](void* memory) noexcept;

private:
    VNet_Node_Private* m_priv;
};
