// The darkened frame behind a menu: one translucent black triangle over the whole viewport, so
// the level stays in view and the menu's text reads over it.
#pragma once

#include "render/gl_handle.h"

namespace quillomar {

class menu_backdrop {
public:
    // How much of the picture's brightness the backdrop takes away.
    static constexpr float darkness = 0.6f;

    // Blends the backdrop over what is drawn; builds its program on first use. Leaves blending
    // on and no program in use.
    void draw();

private:
    gl_program program_;
    gl_vertex_array vertex_array_;
};

}  // namespace quillomar
