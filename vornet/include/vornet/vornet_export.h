#pragma once

// The library is built with hidden symbols; only what carries this mark is
// part of its interface. The same mark on the user's side is harmless.
#define VNET_API __attribute__((visibility("default")))
