#pragma once

namespace Zorir {

// The default look of every widget kind, owned by the window manager. Widgets
// without a look of their own draw with the description kept here.
class PropertyScheme {
public:
    PropertyScheme();
    PropertyScheme(const PropertyScheme&) = delete;
    PropertyScheme& operator=(const PropertyScheme&) = delete;
    virtual ~PropertyScheme();
};

}  // namespace Zorir
