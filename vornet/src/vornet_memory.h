#pragma once

#include <cstddef>

// Every allocation of the library goes through the two process-wide hooks set
// by Vornet::overrideMemoryHandlers. The library never replaces the global
// operator new: in a shared library that would take over the whole process.
namespace Vornet_Private {

// Null on failure or for sizes the hook cannot express; never throws.
void* allocate(size_t bytes) noexcept;
void release(void* memory) noexcept;

// Base of the private classes: plain `new` and `delete` on them use the
// hooks, and a failed allocation yields null instead of an exception.
struct HookAllocated {
    static void* operator new(size_t bytes) noexcept { return allocate(bytes); }
    static void* operator new[](size_t bytes) noexcept { return allocate(bytes); }
    static void operator delete(void* memory) noexcept { release(memory); }
    static void operator delete[](void* memory) noexcept { release(memory); }
};

// Byte and value arrays of plain types, uninitialised.
template <typename T>
T* allocateArray(size_t count) noexcept
{
    if (count > static_cast<size_t>(-1) / sizeof(T)) return nullptr;
    return static_cast<T*>(allocate(count * sizeof(T)));
}

}  // namespace Vornet_Private

// The exported classes declare their own operator new and delete; this
// defines them over the hooks.
#define VNET_DEFINE_HOOK_ALLOCATION(Class)                                                      \
    void* Class::operator new(size_t bytes) noexcept { return Vornet_Private::allocate(bytes); } \
    void* Class::operator new[](size_t bytes) noexcept { return Vornet_Private::allocate(bytes); } \
    void Class::operator delete(void* memory) noexcept { Vornet_Private::release(memory); }       \
    void Class::operator delete[](void* memory) noexcept { Vornet_Private::release(memory); }
