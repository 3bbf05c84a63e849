#include "vornet_memory.h"

#include <cstdint>
#include <cstdlib>

#include "vornet/vornet.h"

namespace Vornet_Private {

namespace {

void* runtimeAllocate(unsigned int bytes)
{
    return std::malloc(bytes);
}

void runtimeFree(void* memory)
{
    std::free(memory);
}

Vornet::AllocateFunction allocateHook = runtimeAllocate;
Vornet::FreeFunction freeHook = runtimeFree;

}  // namespace

void* allocate(size_t bytes) noexcept
{
    // The hook takes a 32-bit count; a larger request cannot be served.
    if (bytes > UINT32_MAX) return nullptr;
    return allocateHook(static_cast<unsigned int>(bytes));
}

void release(void* memory) noexcept
{
    if (memory) freeHook(memory);
}

}  // namespace Vornet_Private

void Vornet::overrideMemoryHandlers(AllocateFunction allocate, FreeFunction release)
{
    Vornet_Private::allocateHook = allocate ? allocate : Vornet_Private::runtimeAllocate;
    Vornet_Private::freeHook = release ? release : Vornet_Private::runtimeFree;
}
