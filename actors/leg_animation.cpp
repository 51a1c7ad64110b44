#include "actors/leg_animation.h"

#include <algorithm>

namespace quillomar {

int stroke_random(random_stream& random) {
    return static_cast<int>(random.below(32768));
}

double stroke_duration(int r) {
    return static_cast<double>(static_cast<float>(r) / 32767.0f * 4.0f * 0.1f + 0.3f);
}

void animate_legs(const leg_lists& legs, double now, random_stream& random) {
    const std::size_t count =
        std::min({legs.offsets.size(), legs.from.size(), legs.durations.size(), legs.started.size(),
                  legs.moving.size(), legs.amplitudes.size()});
    for (std::size_t l = 0; l < count; ++l) {
        if (!legs.moving[l]) {
            legs.moving[l] = true;
            legs.from[l] = legs.offsets[l];
            legs.started[l] = now;
        }
        const double elapsed = now - legs.started[l];
        const float s = legs.from[l].y;
        const float a = legs.amplitudes[l];
        const double duration = legs.durations[l];
        float& y = legs.offsets[l].y;
        if (duration > elapsed) {
            const double t = elapsed / duration;
            if (y > a) {
                const float span = (s - a) * 2.0f;
                y = static_cast<float>(static_cast<double>(s) - static_cast<double>(span) * t);
            } else {
                const float span = (a - s) * 2.0f;
                y = static_cast<float>(static_cast<double>(span) * t + static_cast<double>(s));
            }
        } else {
            y = y > a ? s - (s - a) * 2.0f : (a - s) * 2.0f + s;
            legs.durations[l] = stroke_duration(stroke_random(random));
            legs.moving[l] = false;
        }
    }
}

}  // namespace quillomar
