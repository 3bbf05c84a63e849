#pragma once

// The library's assertions hold in release and checking builds alike (plain
// assert would vanish under NDEBUG). A failed assertion is logged as an error
// and the caller goes on, refusing whatever would be unsafe.
namespace Vornet_Private {

bool assertionHolds(bool condition, const char* expression, const char* message, const char* file,
                    int line);

#ifdef VORNET_CHECKING
inline constexpr bool checkingBuild = true;
#else
inline constexpr bool checkingBuild = false;
#endif

}  // namespace Vornet_Private

#define VNET_ASSERT(condition, message) \
    (Vornet_Private::assertionHolds(static_cast<bool>(condition), #condition, message, __FILE__, __LINE__))

// Checks only the checking build makes; always true in release.
#ifdef VORNET_CHECKING
#define VNET_CHECK(condition, message) VNET_ASSERT(condition, message)
#else
#define VNET_CHECK(condition, message) true
#endif
