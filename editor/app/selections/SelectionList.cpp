#include "editor/app/selections/SelectionList.h"

#include <algorithm>

SelectionList::~SelectionList()
{
    clear();
}

Selection& SelectionList::append(std::unique_ptr<Selection> selection)
{
    entries_.push_back(std::move(selection));
    return *entries_.back();
}

void SelectionList::removeIf(const std::function<bool(const Selection&)>& doomed)
{
    const auto kept = std::stable_partition(entries_.begin(), entries_.end(),
                                            [&](const auto& entry) { return !doomed(*entry); });
    if (removalListener_) {
        for (auto it = kept; it != entries_.end(); ++it) removalListener_(**it);
    }
    entries_.erase(kept, entries_.end());
}

void SelectionList::remove(const Selection& selection)
{
    removeIf([&](const Selection& entry) { return &entry == &selection; });
}

void SelectionList::clear()
{
    removeIf([](const Selection&) { return true; });
}

std::vector<Selection*> SelectionList::atLevel(bool objectLevel) const
{
    std::vector<Selection*> result;
    for (const auto& entry : entries_) {
        if (entry->objectLevel() == objectLevel) result.push_back(entry.get());
    }
    return result;
}

std::vector<Selection*> SelectionList::snapshot() const
{
    std::vector<Selection*> result;
    result.reserve(entries_.size());
    for (const auto& entry : entries_) result.push_back(entry.get());
    return result;
}
