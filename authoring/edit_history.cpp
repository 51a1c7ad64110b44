#include "authoring/edit_history.h"

namespace quillomar {
namespace {

std::size_t change_bytes(const document_change& change) {
    std::size_t total = 0;
    for (const line_splice& s : change) {
        for (const auto* lines : {&s.removed, &s.added}) {
            for (const text_line& line : *lines) {
                total += sizeof line + line.text.size() + line.ending.size();
            }
        }
    }
    return total;
}

}  // namespace

void edit_history::record(document_change change) {
    while (entries_.size() > position_) {
        bytes_ -= entries_.back().bytes;
        entries_.pop_back();
    }
    const std::size_t bytes = change_bytes(change);
    entries_.push_back({std::move(change), next_state_++, bytes});
    bytes_ += bytes;
    // The newest change stays even when it alone is over the bound.
    while (entries_.size() > 1 && (entries_.size() > max_changes_ || bytes_ > max_bytes_)) {
        base_state_ = entries_.front().state;
        bytes_ -= entries_.front().bytes;
        entries_.pop_front();
    }
    position_ = entries_.size();
}

bool edit_history::undo(level_document& document) {
    if (position_ == 0) {
        return false;
    }
    document.revert(entries_[--position_].change);
    return true;
}

bool edit_history::redo(level_document& document) {
    if (position_ == entries_.size()) {
        return false;
    }
    document.apply(entries_[position_++].change);
    return true;
}

}  // namespace quillomar
