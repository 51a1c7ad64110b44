// The pixels the item burst can touch: the smallest rectangle of the viewport that holds every
// drawn particle's square, so the passes that draw it off screen work on that much and no more.
#pragma once

#include <glm/glm.hpp>

#include "particles/particle_system.h"

namespace quillomar {

// Pixel columns x0 .. x1 - 1 and rows y0 .. y1 - 1 of a viewport; empty when x0 >= x1 or
// y0 >= y1.
struct pixel_rect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// The rectangle of a `viewport`-sized picture that the staged particles cover when drawn as
// squares of their size facing the camera at `eye`, grown by `margin` pixels on every side and
// kept inside the picture. A particle nearer the eye than `nearest` is not drawn and counts for
// nothing, and so does one wholly beside the view; one in view whose square reaches behind the
// eye may cover anything: the whole picture.
pixel_rect burst_footprint(const particle_system& particles, const glm::mat4& projection,
                           const glm::mat4& view, float nearest, glm::ivec2 viewport, int margin);

}  // namespace quillomar
