#include "authoring/top_down_view.h"

#include <algorithm>
#include <cmath>

#include "common/float_maths.h"
#include "camera/camera_math.h"

namespace quillomar {
namespace {

constexpr float framed_y = 3.0f;  // a digit-1 top
constexpr float fovy_radians = 0.8f;
constexpr int highest_digit = 9;

int top_of(int digit) {
    return 2 * digit + 1;
}

// A cell is two units wide, centred on (2x, 2z).
int cell_of(float world) {
    return static_cast<int>(std::floor((world + 1.0f) * 0.5f));
}

}  // namespace

top_down_view make_top_down_view(int columns, int rows, float aspect) {
    const float width = static_cast<float>(std::max(columns, 1));
    const float depth = static_cast<float>(std::max(rows, 1));
    return make_top_down_view(columns, rows, aspect, 1.0f, {width - 1.0f, depth - 1.0f});
}

top_down_view make_top_down_view(int columns, int rows, float aspect, float zoom,
                                 glm::vec2 centre) {
    top_down_view v;
    const float width = static_cast<float>(std::max(columns, 1));
    const float depth = static_cast<float>(std::max(rows, 1));
    v.aspect = aspect > 0.0f && std::isfinite(aspect) ? aspect : 1.0f;
    v.fovy = fovy_radians;
    // Half the framed area in world units: a cell is two wide, one more cell on each side.
    const float half_x = width + 2.0f;
    const float half_z = depth + 2.0f;
    // The level keeps to the middle of the picture's height: the HUD has the top and bottom.
    constexpr float height_share = 0.62f;
    const float closer = zoom > 1.0f && std::isfinite(zoom) ? zoom : 1.0f;
    const float distance = std::max(half_z / height_share, half_x / v.aspect) /
                           fmath::tan(fovy_radians * 0.5f) / closer;
    v.target = glm::vec3(centre.x, framed_y, centre.y);
    v.eye = v.target + glm::vec3(0.0f, distance, 0.0f);
    v.near_plane = 0.5f;
    v.far_plane = distance + 40.0f;
    v.projection = perspective(v.fovy, v.aspect, v.near_plane, v.far_plane);
    v.view = look_at(v.eye, v.target, v.up);
    return v;
}

top_down_view make_orbit_view(glm::vec3 target, float yaw, float pitch, float distance,
                              float aspect) {
    top_down_view v;
    v.aspect = aspect > 0.0f && std::isfinite(aspect) ? aspect : 1.0f;
    v.fovy = fovy_radians;
    const glm::vec3 back(fmath::sin(yaw) * fmath::cos(pitch), fmath::sin(pitch),
                         fmath::cos(yaw) * fmath::cos(pitch));
    v.target = target;
    v.eye = target + distance * back;
    v.up = glm::vec3(0.0f, 1.0f, 0.0f);
    v.near_plane = 0.5f;
    v.far_plane = distance + 400.0f;
    v.projection = perspective(v.fovy, v.aspect, v.near_plane, v.far_plane);
    v.view = look_at(v.eye, v.target, v.up);
    return v;
}

pointer_ray ray_at_pointer(const top_down_view& v, glm::vec2 ndc) {
    const glm::mat4 inverse = glm::inverse(v.projection * v.view);
    const auto unproject = [&inverse, ndc](float depth) {
        const glm::vec4 p = inverse * glm::vec4(ndc, depth, 1.0f);
        return glm::vec3(p) / p.w;
    };
    return {unproject(-1.0f), unproject(1.0f)};
}

std::optional<grid_cell> cell_at_pointer(const top_down_view& v, glm::vec2 ndc,
                                         const std::function<int(grid_cell)>& height) {
    const auto [from, to] = ray_at_pointer(v, ndc);
    if (!(from.y > to.y)) {
        return std::nullopt;
    }
    // A cube of digit d spans y from 2d - 1 to 2d + 1: the ray is sampled at every cube's top,
    // middle and bottom, highest first; at the cubes' base, y = 1, an empty cell is picked too.
    for (int y = top_of(highest_digit); y >= 1; --y) {
        const float t = (from.y - static_cast<float>(y)) / (from.y - to.y);
        const glm::vec3 p = from + t * (to - from);
        const grid_cell cell{cell_of(p.x), cell_of(p.z)};
        if (cell.x >= 0 && cell.z >= 0 && (y == 1 || std::abs(2 * height(cell) - y) <= 1)) {
            return cell;
        }
    }
    return std::nullopt;
}

}  // namespace quillomar
