#include "authoring/top_down_view.h"

#include <algorithm>
#include <cmath>

#include "common/float_maths.h"
#include "camera/camera_math.h"

namespace quillomar {
namespace {

constexpr float framed_y = 3.0f;  // a digit-1 top
constexpr float fovy_radians = 0.8f;  // the view around the cursor
constexpr int highest_digit = 9;

int top_of(int digit) {
    return 2 * digit + 1;
}

// A cell is two units wide, centred on (2x, 2z).
int cell_of(float world) {
    return static_cast<int>(std::floor((world + 1.0f) * 0.5f));
}

// OpenGL's orthographic box onto the -1..1 cube, depth along -z of view space.
glm::mat4 orthographic_box(const glm::vec4& box, float near_plane, float far_plane) {
    glm::mat4 m(1.0f);
    m[0][0] = 2.0f / (box.y - box.x);
    m[1][1] = 2.0f / (box.w - box.z);
    m[2][2] = -2.0f / (far_plane - near_plane);
    m[3][0] = -(box.y + box.x) / (box.y - box.x);
    m[3][1] = -(box.w + box.z) / (box.w - box.z);
    m[3][2] = -(far_plane + near_plane) / (far_plane - near_plane);
    return m;
}

map_band tidy(map_band band) {
    constexpr float thinnest = 0.05f;
    if (!std::isfinite(band.top) || !std::isfinite(band.bottom)) {
        return {};
    }
    band.top = std::clamp(band.top, 0.0f, 1.0f);
    band.bottom = std::clamp(band.bottom, 0.0f, 1.0f);
    if (band.bottom - band.top < thinnest) {
        const float middle = std::clamp((band.top + band.bottom) * 0.5f, thinnest * 0.5f,
                                        1.0f - thinnest * 0.5f);
        band = {middle - thinnest * 0.5f, middle + thinnest * 0.5f};
    }
    return band;
}

}  // namespace

glm::vec2 band_ndc(map_band band) {
    band = tidy(band);
    return {1.0f - 2.0f * band.bottom, 1.0f - 2.0f * band.top};
}

top_down_view make_top_down_view(int columns, int rows, float aspect, map_band band) {
    const float width = static_cast<float>(std::max(columns, 1));
    const float depth = static_cast<float>(std::max(rows, 1));
    return make_top_down_view(columns, rows, aspect, 1.0f, {width - 1.0f, depth - 1.0f}, band);
}

top_down_view make_top_down_view(int columns, int rows, float aspect, float zoom,
                                 glm::vec2 centre, map_band band) {
    top_down_view v;
    const float width = static_cast<float>(std::max(columns, 1));
    const float depth = static_cast<float>(std::max(rows, 1));
    v.aspect = aspect > 0.0f && std::isfinite(aspect) ? aspect : 1.0f;
    const glm::vec2 edges = band_ndc(band);
    // Half the framed area in world units: a cell is two wide, one more cell on each side.
    const float half_x = width + 2.0f;
    const float half_z = depth + 2.0f;
    const float closer = zoom > 1.0f && std::isfinite(zoom) ? zoom : 1.0f;
    // World units per unit of the picture's height in device coordinates: the area's depth fills
    // the band, its width the picture's.
    const float band_half = (edges.y - edges.x) * 0.5f;
    const float scale = std::max(half_z / band_half, half_x / v.aspect) / closer;
    const float middle = (edges.x + edges.y) * 0.5f;
    // The box is shifted so that the centre shows in the band's middle.
    v.box = glm::vec4(-v.aspect * scale, v.aspect * scale, -scale * (1.0f + middle),
                      scale * (1.0f - middle));
    v.orthographic = true;
    v.target = glm::vec3(centre.x, framed_y, centre.y);
    constexpr float height_above = 2.0f * highest_digit + 40.0f;
    v.eye = v.target + glm::vec3(0.0f, height_above, 0.0f);
    v.near_plane = 0.5f;
    v.far_plane = height_above + 40.0f;
    v.projection = orthographic_box(v.box, v.near_plane, v.far_plane);
    v.view = look_at(v.eye, v.target, v.up);
    return v;
}

view_frustum frustum_of(const top_down_view& v) {
    view_frustum f;
    f.set_internals(v.fovy, v.aspect, v.near_plane, v.far_plane);
    f.set_camera(v.eye, v.target, v.up);
    if (!v.orthographic) {
        return f;
    }
    // The box's six faces, each facing in.
    const glm::mat4 to_world = glm::inverse(v.view);
    const glm::vec3 right(to_world[0]);
    const glm::vec3 up(to_world[1]);
    const glm::vec3 ahead = -glm::vec3(to_world[2]);
    // A face through `point`, its normal pointing in.
    const auto face = [](const glm::vec3& normal, const glm::vec3& point) {
        view_frustum::plane p;
        p.normal = normal;
        p.d = -glm::dot(normal, point);
        return p;
    };
    const glm::vec3& e = v.eye;
    f.planes[view_frustum::left] = face(right, e + right * v.box.x);
    f.planes[view_frustum::right] = face(-right, e + right * v.box.y);
    f.planes[view_frustum::bottom] = face(up, e + up * v.box.z);
    f.planes[view_frustum::top] = face(-up, e + up * v.box.w);
    f.planes[view_frustum::near_plane] = face(ahead, e + ahead * v.near_plane);
    f.planes[view_frustum::far_plane] = face(-ahead, e + ahead * v.far_plane);
    return f;
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

glm::vec2 pixel_of(const top_down_view& v, const glm::vec3& world, int width, int height) {
    const glm::vec4 clip = v.projection * v.view * glm::vec4(world, 1.0f);
    const glm::vec2 ndc = glm::vec2(clip) / clip.w;
    return {(ndc.x + 1.0f) * 0.5f * static_cast<float>(width),
            (1.0f - ndc.y) * 0.5f * static_cast<float>(height)};
}

pixel_rect cell_top_pixels(const top_down_view& v, grid_cell cell, int digit, int width,
                           int height) {
    const float y = static_cast<float>(digit > 0 ? top_of(digit) : 1);
    pixel_rect r{glm::vec2(1e9f), glm::vec2(-1e9f)};
    for (const int dx : {-1, 1}) {
        for (const int dz : {-1, 1}) {
            const glm::vec2 p = pixel_of(
                v, {static_cast<float>(2 * cell.x + dx), y, static_cast<float>(2 * cell.z + dz)},
                width, height);
            r.low = glm::min(r.low, p);
            r.high = glm::max(r.high, p);
        }
    }
    return r;
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
