#pragma once

#include "editor/app/selections/Selection.h"

#include <functional>
#include <memory>
#include <vector>

// Every live selection of the editor, in the order picked, and their one
// owner. Whoever keeps selection pointers of its own (the property panel)
// is told before a selection is deleted, so no pointer outlives it.
class SelectionList {
public:
    using Entries = std::vector<std::unique_ptr<Selection>>;
    using RemovalListener = std::function<void(const Selection&)>;

    SelectionList() = default;
    SelectionList(const SelectionList&) = delete;
    SelectionList& operator=(const SelectionList&) = delete;
    ~SelectionList();

    Selection& append(std::unique_ptr<Selection> selection);
    // Deletes every selection the predicate accepts; the others keep
    // their order.
    void removeIf(const std::function<bool(const Selection&)>& doomed);
    void remove(const Selection& selection);
    void clear();

    // The selections of one level: the select tool's or the image tool's.
    std::vector<Selection*> atLevel(bool objectLevel) const;
    // Pointers to every selection, for the property panel.
    std::vector<Selection*> snapshot() const;

    void setRemovalListener(RemovalListener listener) { removalListener_ = std::move(listener); }

    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }
    Selection& operator[](size_t i) const { return *entries_[i]; }
    Entries::const_iterator begin() const { return entries_.begin(); }
    Entries::const_iterator end() const { return entries_.end(); }

private:
    Entries entries_;
    RemovalListener removalListener_;
};
