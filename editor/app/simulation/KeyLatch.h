#pragma once

#include "platform/KeyState.h"

// Lets a held key act once per press: set when the key acts, cleared once
// the key is seen up. Whoever owns a latch refreshes it every tick, so a key
// let go while nothing else was watching can act again at its next press.
class KeyLatch {
public:
    explicit KeyLatch(int key) : key_(key) {}

    int key() const { return key_; }
    bool isSet() const { return set_; }
    void set() { set_ = true; }
    void clearIfUp()
    {
        if (!platform::isKeyDown(key_)) set_ = false;
    }

private:
    int key_;
    bool set_ = false;
};
