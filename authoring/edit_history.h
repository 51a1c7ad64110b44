// Undo and redo for a level_document: the changes made to it, newest last, within bounds on their
// number and size so that a long session cannot hold memory without end (the oldest go first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "authoring/level_document.h"

namespace quillomar {

class edit_history {
public:
    explicit edit_history(std::size_t max_changes = 1000, std::size_t max_bytes = 32u << 20)
        : max_changes_(max_changes), max_bytes_(max_bytes) {}

    // A change just applied to the document. Changes undone before it can no longer be redone.
    void record(document_change change);

    // Take back the newest change, or make the newest undone one again; false when none is left.
    bool undo(level_document& document);
    bool redo(level_document& document);

    // Names the document's state: the same value after undo and redo lead back to it, a new one
    // after every other change.
    std::uint64_t state() const { return position_ == 0 ? base_state_ : entries_[position_ - 1].state; }

private:
    struct entry {
        document_change change;
        std::uint64_t state = 0;
        std::size_t bytes = 0;
    };

    std::size_t max_changes_;
    std::size_t max_bytes_;
    std::deque<entry> entries_;
    std::size_t position_ = 0;  // entries_[0, position_) are applied
    std::size_t bytes_ = 0;
    std::uint64_t base_state_ = 0;  // the state before entries_[0]
    std::uint64_t next_state_ = 1;
};

}  // namespace quillomar
