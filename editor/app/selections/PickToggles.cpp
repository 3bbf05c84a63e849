#include "editor/app/selections/PickToggles.h"

#include "editor/app/selections/SelectionList.h"

PickToggles::PickToggles(SelectionList& list) : list_(list)
{
    for (const auto& entry : list_) selected_[{entry->kind(), entry->target()}] = entry.get();
}

size_t PickToggles::KeyHash::operator()(const Key& key) const
{
    return std::hash<const void*>()(key.target) ^ key.kind;
}

void PickToggles::toggle(SelectionKind kind, const void* target, const Maker& make)
{
    const Key key{kind, target};
    if (const auto found = selected_.find(key); found != selected_.end()) {
        deselected_.insert(found->second);
        selected_.erase(found);
        return;
    }
    selected_[key] = &list_.append(make());
}

void PickToggles::finish()
{
    if (deselected_.empty()) return;
    list_.removeIf([this](const Selection& entry) { return deselected_.count(&entry) != 0; });
    deselected_.clear();
}
