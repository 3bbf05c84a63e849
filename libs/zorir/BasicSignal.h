#pragma once

namespace Zorir {

class SlotHolder;

// What a slot holder needs of every signal, whatever its arguments.
class BasicSignal {
public:
    BasicSignal() = default;
    BasicSignal(const BasicSignal&) = delete;
    BasicSignal& operator=(const BasicSignal&) = delete;
    virtual ~BasicSignal() = default;

    // Deletes every connection whose target is the holder and forgets the
    // holder, so a holder that outlives the signal never reaches back to it.
    virtual void disconnect(SlotHolder* holder) = 0;
    // Adds, for every connection to the old holder, the same connection to the
    // new one; the old connections stay.
    virtual void retarget(SlotHolder* oldHolder, SlotHolder* newHolder) = 0;
};

}  // namespace Zorir
