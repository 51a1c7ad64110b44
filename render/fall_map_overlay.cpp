#include "render/fall_map_overlay.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "level/ground_index.h"
#include "level/level_cell.h"

namespace quillomar {
namespace {

// Where a fallen ball lies: the ground plane's top.
constexpr float ground_top = -19.0f;
// Just above the top, so the quad wins the depth test against its own cube's face.
constexpr float lift = 0.03f;
// A little inside the cell's square, so neighbouring cells stay apart.
constexpr float half_side = 0.92f;

}  // namespace

glm::vec4 fall_map_colour(float share) {
    const float s = std::clamp(share, 0.0f, 1.0f);
    return {1.0f, 0.9f * (1.0f - s), 0.3f * (1.0f - s), 0.55f + 0.25f * s};
}

void fall_map_overlay::draw(const glm::mat4& view_projection, const level& lvl) {
    if (!shown || deaths.empty()) {
        return;
    }
    long most = 1;
    for (const auto& [cell, count] : deaths) {
        most = std::max(most, count);
    }
    std::vector<tinted_vertex> vertices;
    vertices.reserve(deaths.size() * 6);
    for (const auto& [cell, count] : deaths) {
        const glm::vec2 middle = cell_centre(cell);
        const float x = middle.x;
        const float z = middle.y;
        const float top = lvl.height_at(x, z);
        // height_at is where a ball resting on the cube has its centre, one radius above the face.
        const float y = (top > no_ground ? top - 1.0f : ground_top) + lift;
        const glm::vec4 tint = fall_map_colour(static_cast<float>(count) / static_cast<float>(most));
        const glm::vec3 a(x - half_side, y, z - half_side);
        const glm::vec3 b(x + half_side, y, z - half_side);
        const glm::vec3 c(x + half_side, y, z + half_side);
        const glm::vec3 d(x - half_side, y, z + half_side);
        for (const glm::vec3& p : {a, b, c, a, c, d}) {
            vertices.push_back({p, tint});
        }
    }
    triangles_.draw(vertices, view_projection);
}

fall_map_legend_place place_fall_map_legend(const fall_map_legend& words, int width, int height,
                                            float text_scale, const text_metrics& metrics) {
    const float s = std::max(text_scale, 0.5f);
    constexpr float word_size = 0.7f;
    const auto pixels = [s](float v) { return static_cast<int>(std::lround(v * s)); };
    const int margin = pixels(12.0f);
    // As wide as its heading or the two ends side by side, and never wider than the window.
    const float words_width = std::max(text_width(metrics, words.heading, word_size * s),
                                       text_width(metrics, words.few + "    " + words.many,
                                                  word_size * s));
    const int bar_width = std::min(std::max(pixels(180.0f), static_cast<int>(words_width) + 4),
                                   std::max(1, width - 2 * margin));
    fall_map_legend_place place;
    place.right = width - margin;
    place.left = place.right - bar_width;
    // Halfway down the right edge: clear of the HUD's lines at the top left, the end message
    // under them, the practice note at the top right and the panels at the bottom.
    const int heading_baseline = std::max(pixels(20.0f), std::min(height / 2, height - pixels(60.0f)));
    place.top = heading_baseline + pixels(8.0f);
    place.bottom = place.top + pixels(16.0f);
    const int words_baseline = place.bottom + pixels(24.0f);
    const int many_width = static_cast<int>(std::ceil(text_width(metrics, words.many, word_size * s)));
    // The lines carry their own size only: the renderer multiplies it by the text size.
    place.lines.push_back({words.heading, true, place.left, heading_baseline, hud_tone::plain,
                           word_size});
    place.lines.push_back({words.few, true, place.left, words_baseline, hud_tone::dim, word_size});
    place.lines.push_back({words.many, true, place.right - many_width, words_baseline,
                           hud_tone::dim, word_size});
    return place;
}

std::vector<hud_line> fall_map_overlay::draw_legend(int width, int height, float text_scale,
                                                    const text_metrics& metrics) {
    if (!shown || deaths.empty() || !legend || width <= 0 || height <= 0) {
        return {};
    }
    const fall_map_legend_place place =
        place_fall_map_legend(*legend, width, height, text_scale, metrics);
    // The bar in clip space, in steps of the map's own colours, just inside the near plane.
    const auto x = [width](int px) { return 2.0f * static_cast<float>(px) / width - 1.0f; };
    const auto y = [height](int px) { return 1.0f - 2.0f * static_cast<float>(px) / height; };
    constexpr int steps = 12;
    std::vector<tinted_vertex> vertices;
    for (int i = 0; i < steps; ++i) {
        const int from = place.left + (place.right - place.left) * i / steps;
        const int to = place.left + (place.right - place.left) * (i + 1) / steps;
        glm::vec4 tint = fall_map_colour(static_cast<float>(i + 1) / steps);
        tint.a = 1.0f;  // opaque: the key shows the colours as they read over a pale cube
        const glm::vec3 a(x(from), y(place.top), -0.99f);
        const glm::vec3 b(x(to), y(place.top), -0.99f);
        const glm::vec3 c(x(to), y(place.bottom), -0.99f);
        const glm::vec3 d(x(from), y(place.bottom), -0.99f);
        for (const glm::vec3& p : {a, b, c, a, c, d}) {
            vertices.push_back({p, tint});
        }
    }
    legend_bar_.draw(vertices, glm::mat4(1.0f));
    return place.lines;
}

}  // namespace quillomar
