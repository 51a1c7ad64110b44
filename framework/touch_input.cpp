#include "framework/touch_input.h"

#include <algorithm>
#include <cmath>

namespace quillomar {
namespace {

// Movements beyond any screen's width are no finger's: what is carried stays bounded.
constexpr double max_carried_dx = 100000.0;

}  // namespace

touch_input::finger* touch_input::find(int id) {
    for (finger& f : fingers_) {
        if (f.down && f.id == id) {
            return &f;
        }
    }
    return nullptr;
}

void touch_input::finger_down(int id, double x, double width) {
    if (!std::isfinite(x) || !std::isfinite(width) || width <= 0.0 || find(id) != nullptr) {
        return;
    }
    for (finger& f : fingers_) {
        if (!f.down) {
            f = {id, true, x < width / 2.0, x};
            return;
        }
    }
}

void touch_input::finger_moved(int id, double x) {
    finger* f = find(id);
    if (f == nullptr || !std::isfinite(x)) {
        return;
    }
    if (f->steers) {
        // Moving right turns right, as the mouse does.
        steer_dx_ = std::clamp(steer_dx_ + (x - f->x) * finger_to_mouse_pixels, -max_carried_dx,
                               max_carried_dx);
    }
    f->x = x;
}

void touch_input::finger_up(int id) {
    if (finger* f = find(id)) {
        f->down = false;
    }
}

void touch_input::lift_all() {
    for (finger& f : fingers_) {
        f.down = false;
    }
    steer_dx_ = 0.0;
}

bool touch_input::pushing() const {
    return std::any_of(fingers_.begin(), fingers_.end(),
                       [](const finger& f) { return f.down && !f.steers; });
}

double touch_input::take_steer_dx() {
    const double dx = steer_dx_;
    steer_dx_ = 0.0;
    return dx;
}

}  // namespace quillomar
