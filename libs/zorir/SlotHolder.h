#pragma once

#include <set>

namespace Zorir {

class BasicSignal;

// The target side of signals. It remembers every signal that holds a
// connection to it, so that dying it can disconnect itself from all of them.
class SlotHolder {
public:
    SlotHolder() = default;
    SlotHolder(const SlotHolder&) = delete;
    SlotHolder& operator=(const SlotHolder&) = delete;
    virtual ~SlotHolder();

    // Kept by the signals themselves as they connect and die.
    void addSignal(BasicSignal* signal) { signals_.insert(signal); }
    void removeSignal(BasicSignal* signal) { signals_.erase(signal); }
    bool isConnectedTo(const BasicSignal* signal) const
    {
        return signals_.count(const_cast<BasicSignal*>(signal)) != 0;
    }

private:
    std::set<BasicSignal*> signals_;
};

}  // namespace Zorir
