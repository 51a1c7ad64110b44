#include "shell/list_pointer.h"

#include "framework/key_map.h"

namespace quillomar {

list_pointer take_list_pointer(key_input& keys, const menu_layout& shown) {
    list_pointer p;
    keys.cursor(p.x, p.y);
    if (keys.take_clicks() > 0) {
        p.clicked = entry_at(shown, p.x, p.y);
    }
    return p;
}

}  // namespace quillomar
