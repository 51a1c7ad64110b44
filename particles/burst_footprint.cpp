#include "particles/burst_footprint.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace quillomar {

pixel_rect burst_footprint(const particle_system& particles, const glm::mat4& projection,
                           const glm::mat4& view, float nearest, glm::ivec2 viewport,
                           int margin) {
    const pixel_rect whole{0, 0, viewport.x, viewport.y};
    // A square's corners lie half a diagonal from its centre, in a plane facing the eye: at the
    // centre's own depth, so each one's offset on screen scales as the centre's.
    constexpr float half_diagonal = 0.70711f;
    const glm::vec2 scale(std::abs(projection[0][0]), std::abs(projection[1][1]));
    const glm::mat4 vp = projection * view;
    const glm::vec3 eye(glm::inverse(view)[3]);
    // The four side planes of the view, (normal, offset) with the normal pointing inwards; a
    // square wholly outside one of them is not seen, however near the eye it is.
    const glm::mat4 rows = glm::transpose(vp);
    glm::vec4 sides[4] = {rows[3] + rows[0], rows[3] - rows[0], rows[3] + rows[1],
                          rows[3] - rows[1]};
    for (glm::vec4& side : sides) {
        side /= glm::length(glm::vec3(side));
    }
    float x0 = std::numeric_limits<float>::max();
    float y0 = x0;
    float x1 = -x0;
    float y1 = -x0;
    for (int i = 0; i < particles.count; ++i) {
        const glm::vec3& centre = particles.positions[static_cast<std::size_t>(i)];
        if (glm::distance(centre, eye) < nearest) {
            continue;
        }
        const float reach = half_diagonal * particles.sizes[static_cast<std::size_t>(i)];
        if (std::any_of(std::begin(sides), std::end(sides), [&](const glm::vec4& side) {
                return glm::dot(glm::vec3(side), centre) + side.w < -reach;
            })) {
            continue;
        }
        const glm::vec4 clip = vp * glm::vec4(centre, 1.0f);
        if (clip.w - reach <= 1e-3f) {
            return whole;
        }
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        const glm::vec2 extent = scale * reach / clip.w;
        x0 = std::min(x0, ndc.x - extent.x);
        x1 = std::max(x1, ndc.x + extent.x);
        y0 = std::min(y0, ndc.y - extent.y);
        y1 = std::max(y1, ndc.y + extent.y);
    }
    if (x0 > x1) {
        return {};
    }
    const auto to_pixels = [margin](float ndc, int size, bool upper) {
        const float pixel = (ndc * 0.5f + 0.5f) * static_cast<float>(size);
        const float edge = upper ? std::ceil(pixel) + static_cast<float>(margin)
                                 : std::floor(pixel) - static_cast<float>(margin);
        return static_cast<int>(std::clamp(edge, 0.0f, static_cast<float>(size)));
    };
    return {to_pixels(x0, viewport.x, false), to_pixels(y0, viewport.y, false),
            to_pixels(x1, viewport.x, true), to_pixels(y1, viewport.y, true)};
}

}  // namespace quillomar
