#pragma once

#include <cstddef>

// The editor's menu windows, in the order the menu manager creates them.
enum MenuIndex : size_t {
    kToolBarMenu = 0,
    kCreateObjectMenu = 1,
    kTopMenu = 2,
    kFileMenu = 3,
    kEditMenu = 4,
    kViewMenu = 5,
    kSaveMenu = 6,
    kOpenMenu = 7,
    kPropertyMenu = 8,
    kMirrorMenu = 9,
    kMenuCount = 10,
};
