#include "libs/zorir/SlotHolder.h"

#include "libs/zorir/BasicSignal.h"

namespace Zorir {

SlotHolder::~SlotHolder()
{
    // Each disconnect also takes its signal out of the set: walk a copy.
    const std::set<BasicSignal*> signals = std::move(signals_);
    signals_.clear();
    for (BasicSignal* signal : signals) signal->disconnect(this);
}

}  // namespace Zorir
