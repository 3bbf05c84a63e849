#pragma once

// The library's assertions hold in release and checking builds alike (plain
// assert would vanish under NDEBUG). A failed assertion is logged as an error
// and the caller goes on, refusing whatever would be unsafe.
namespace Vornet_Private {

// Logs a failed assertion; always false. Kept out of line, so a holding
// assertion costs its test alone.
[[gnu::cold]] bool assertionFailed(const char* expression, const char* message, const char* file, int line);

#ifdef VORNET_CHECKING
inline constexpr bool checkingBuild = true;
#else
inline constexpr bool checkingBuild = false;
#endif

}  // namespace Vornet_Private

#define VNET_ASSERT(condition, message) \
    (static_cast<bool>(condition) || Vornet_Private::assertionFailed(#condition, message, __FILE__, __LINE__))

// Checks only the checking build makes; always true in release.
#ifdef VORNET_CHECKING
#define VNET_CHECK(condition, message) VNET_ASSERT(condition, message)
#else
#define VNET_CHECK(condition, message) true
#endif
