// The mouse over a list laid out as a menu page: moving highlights the row under the pointer,
// a click chooses that row and asks to open it, as in the title menu.
#pragma once

#include <cstddef>
#include <optional>

#include "game/menu.h"

namespace quillomar {

class key_input;

struct list_pointer {
    double x = -1.0;
    double y = -1.0;
    std::optional<std::size_t> clicked;  // the row a click this frame landed on
};

// Takes this frame's clicks from `keys`; a click off every row picks nothing.
list_pointer take_list_pointer(key_input& keys, const menu_layout& shown);

}  // namespace quillomar
