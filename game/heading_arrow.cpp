#include "game/heading_arrow.h"

#include "level/ground_index.h"

namespace quillomar {
namespace {

// From the ball's centre: where the arrow begins and ends, and half its width at the base.
constexpr float arrow_from = 1.6f;
constexpr float arrow_to = 3.0f;
constexpr float half_width = 0.7f;
// Just above the cube's top, so the arrow wins the depth test against the face it lies on.
constexpr float lift = 0.04f;

}  // namespace

std::vector<glm::vec3> heading_arrow(const game_state& s) {
    const glm::vec3 along(s.ball.heading.x, 0.0f, s.ball.heading.z);
    if (glm::length(along) < 1e-3f || s.dying || s.won || s.lost) {
        return {};
    }
    const glm::vec3 ahead = glm::normalize(along);
    const glm::vec3 side(-ahead.z, 0.0f, ahead.x);
    const glm::vec3 middle = s.ball.position + ahead * (0.5f * (arrow_from + arrow_to));
    const float top = s.level.height_at(middle.x, middle.z);
    if (top <= no_ground) {
        return {};
    }
    // height_at is where a ball resting on the cube has its centre, one radius above the face.
    const float y = top - 1.0f + lift;
    const auto at = [&](float forward, float across) {
        glm::vec3 p = s.ball.position + ahead * forward + side * across;
        p.y = y;
        return p;
    };
    const float neck = arrow_from + 0.45f * (arrow_to - arrow_from);
    return {
        // The head.
        at(neck, -half_width), at(arrow_to, 0.0f), at(neck, half_width),
        // The shaft.
        at(arrow_from, -0.25f * half_width), at(neck, -0.25f * half_width),
        at(neck, 0.25f * half_width), at(arrow_from, -0.25f * half_width),
        at(neck, 0.25f * half_width), at(arrow_from, 0.25f * half_width),
    };
}

}  // namespace quillomar
