// The editor's camera: the level seen from straight above, and the way back from a point of the
// picture to the cell it shows. Row 0 of the layout is at the top of the picture and column 0 on
// the left, as the level file reads.
#pragma once

#include <functional>
#include <glm/glm.hpp>
#include <optional>

#include "authoring/level_document.h"

namespace quillomar {

struct top_down_view {
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    glm::vec3 eye{0.0f};
    glm::vec3 target{0.0f};
    glm::vec3 up{0.0f, 0.0f, -1.0f};
    // What the projection was built from, for the frustum the renderer culls with.
    float fovy = 0.0f;
    float aspect = 1.0f;
    float near_plane = 0.0f;
    float far_plane = 0.0f;
};

// Frames cells [0, columns) x [0, rows) with a cell to spare on every side, for a picture
// `aspect` times as wide as it is high, in the middle 62% of its height (the HUD has the rest);
// any count below one counts as one.
top_down_view make_top_down_view(int columns, int rows, float aspect);
// The same view `zoom` times closer (1 frames the whole area, less counts as 1), looking down on
// the world point (x, z) `centre` instead of the area's middle.
top_down_view make_top_down_view(int columns, int rows, float aspect, float zoom, glm::vec2 centre);
// The level as the game shows it, from `distance` away, turned `yaw` radians about the upright
// through `target` (0 looks north, towards row 0) and `pitch` radians above the horizon.
top_down_view make_orbit_view(glm::vec3 target, float yaw, float pitch, float distance,
                              float aspect);

// The pointer's ray at `ndc` (-1..1 across, -1 at the bottom): where it enters the view, on the
// near plane, and where it leaves it, on the far plane, in world space.
struct pointer_ray {
    glm::vec3 from;
    glm::vec3 to;
};
pointer_ray ray_at_pointer(const top_down_view& view, glm::vec2 ndc);

// The cell the pointer shows at `ndc` (-1..1 across, -1 at the bottom), given each cell's cube
// height (0 for none, up to 9): the first cube down the pointer's ray, so a high cube's side hides
// what lies behind it, else the empty cell where the ray meets the cubes' base. Nothing left of
// column 0 or above row 0.
std::optional<grid_cell> cell_at_pointer(const top_down_view& view, glm::vec2 ndc,
                                         const std::function<int(grid_cell)>& height);

}  // namespace quillomar
