#include <algorithm>

#include "level/ground_index.h"
#include "level/level.h"

namespace quillomar {
namespace {

// The mirror plane of the flip and its duration in seconds.
constexpr float middle = 4.0f;
constexpr double flip_seconds = 2.0;

}  // namespace

void level::flip(double time) {
    if (!flipping) {
        flipping = true;
        flip_done = false;
        flipped = !flipped;
        saved_heights.clear();
        saved_heights.reserve(cubes.size());
        for (const glm::vec3& c : cubes) {
            saved_heights.push_back(c.y);
        }
        flip_started = time;
    }
    const double t = time - flip_started;
    // Cubes that started at the middle never move. Every other cube runs its whole course, even
    // when a step happens to put it exactly on the middle on the way.
    const std::size_t count = std::min(cubes.size(), saved_heights.size());
    if (t >= flip_seconds) {
        for (std::size_t i = 0; i < count; ++i) {
            float& y = cubes[i].y;
            const float s = saved_heights[i];
            if (s == middle) {
                continue;
            }
            y = y <= middle ? (middle - s) * 2.0f + s : s - (s - middle) * 2.0f;
        }
        flip_done = true;
    } else {
        const double progress = t * 0.5;
        for (std::size_t i = 0; i < count; ++i) {
            float& y = cubes[i].y;
            const float s = saved_heights[i];
            if (s == middle) {
                continue;
            }
            if (y <= middle) {
                const float span = (middle - s) * 2.0f;
                y = static_cast<float>(static_cast<double>(span) * progress +
                                       static_cast<double>(s));
            } else {
                const float span = (s - middle) * 2.0f;
                y = static_cast<float>(static_cast<double>(s) -
                                       static_cast<double>(span) * progress);
            }
        }
    }

    const ground_index ground(cubes, items.size() + enemies.size());
    for (glm::vec3& p : items) {
        p.y = ground.height_at(p.x, p.z);
    }
    for (glm::vec3& p : enemies) {
        p.y = ground.height_at(p.x, p.z) - enemy_sink;
    }
}

void level::reverse_flip(double time) {
    if (!flipping) {
        return;
    }
    // Every cube moves along y = s + (8 - 2s) * progress; starting from the far end with the
    // remaining progress retraces the same heights.
    for (float& s : saved_heights) {
        s = middle * 2.0f - s;
    }
    const double elapsed = std::min(time - flip_started, flip_seconds);
    flip_started = time - (flip_seconds - elapsed);
    flipped = !flipped;
    flip_done = false;
}

}  // namespace quillomar
