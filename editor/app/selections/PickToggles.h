#pragma once

#include "editor/app/selections/Selection.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>

class SelectionList;

// One pick pass over the selection list: each thing the pick hits is
// selected when it was not, and deselected when it was. What is selected is
// looked up in a table built once per pass, so a rubber band over many
// points costs no search of the list per point; deselected entries leave
// the list together when the pass finishes.
class PickToggles {
public:
    explicit PickToggles(SelectionList& list);
    PickToggles(const PickToggles&) = delete;
    PickToggles& operator=(const PickToggles&) = delete;

    using Maker = std::function<std::unique_ptr<Selection>()>;
    // target: the selected thing as Selection::target names it.
    void toggle(SelectionKind kind, const void* target, const Maker& make);
    // Deletes what the pass deselected.
    void finish();

private:
    struct Key {
        SelectionKind kind;
        const void* target;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const;
    };

    SelectionList& list_;
    std::unordered_map<Key, Selection*, KeyHash> selected_;
    std::unordered_set<const Selection*> deselected_;
};
