// The editor's camera: the level seen from straight above, and the way back from a point of the
// picture to the cell it shows. Row 0 of the layout is at the top of the picture and column 0 on
// the left, as the level file reads. The view from above is orthographic: a cube's top covers
// exactly its cell of the grid, whatever its height.
#pragma once

#include <functional>
#include <glm/glm.hpp>
#include <optional>

#include "authoring/level_document.h"
#include "camera/view_frustum.h"

namespace quillomar {

// The band of the picture the map keeps to, as shares of its height from the top edge: the HUD's
// lines have what lies above and below it.
struct map_band {
    float top = 0.19f;
    float bottom = 0.81f;
};

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
    // Straight down without perspective: the projection's box, in view space, left to right and
    // bottom to top; fovy is not used.
    bool orthographic = false;
    glm::vec4 box{0.0f};
};

// The planes of what the view shows, for the renderer's culling.
view_frustum frustum_of(const top_down_view& view);

// Frames cells [0, columns) x [0, rows) with a cell to spare on every side, for a picture
// `aspect` times as wide as it is high, within `band` of its height (by default the middle 62%);
// any count below one counts as one, and a band thinner than a twentieth of the picture is
// widened about its middle to that.
top_down_view make_top_down_view(int columns, int rows, float aspect, map_band band = {});
// The same view `zoom` times closer (1 frames the whole area, less counts as 1), with the world
// point (x, z) `centre` in the middle of the band instead of the area's middle.
top_down_view make_top_down_view(int columns, int rows, float aspect, float zoom, glm::vec2 centre,
                                 map_band band = {});
// Where the band lies in normalised device coordinates (-1 at the bottom): its low and high edge.
glm::vec2 band_ndc(map_band band);
// The level as the game shows it, from `distance` away, turned `yaw` radians about the upright
// through `target` (0 looks north, towards row 0) and `pitch` radians above the horizon.
top_down_view make_orbit_view(glm::vec3 target, float yaw, float pitch, float distance,
                              float aspect);

// Where the view shows a world point in a window of `width` x `height` pixels, from its top left.
glm::vec2 pixel_of(const top_down_view& view, const glm::vec3& world, int width, int height);

// The pixels a cell's top face covers (a cube of `digit`, or the cubes' base for 0): its corners
// nearest to and farthest from the window's top left.
struct pixel_rect {
    glm::vec2 low;
    glm::vec2 high;
};
pixel_rect cell_top_pixels(const top_down_view& view, grid_cell cell, int digit, int width,
                           int height);

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
