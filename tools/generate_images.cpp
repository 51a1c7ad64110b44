// Writes the start and finish marks that the level's two projectors cast onto the cubes:
// texture/start.jpeg (a green pennant and "START") and texture/finish.jpg (a chequered flag and
// "FINISH"), below the output root (default: Quillomar). Output is the same byte for byte on every
// run.
//
// The pictures are light on black: black adds nothing where the image is laid over the lit scene,
// so only the marks show. The projectors' frustum is 1.7 times as wide as it is high, so the marks
// are drawn 1.7 times narrower than they should look; on the cubes they come out in proportion.
#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>

#include "tools/asset_generation/image.h"
#include "tools/asset_generation/output.h"
#include "tools/asset_generation/pixel_font.h"

namespace {

using glm::dvec3;
using namespace quillomar::tools;

const int picture_size = 256;
const double projector_aspect = 1.7;
// The picture in the units it is drawn in: as wide as it will look once projected.
const double canvas_width = picture_size * projector_aspect;
const double canvas_height = picture_size;
const double tau = 6.28318530717958647692;

bool in_rounded_frame(double x, double y, double inset, double thickness, double radius) {
    // Distance to a rounded rectangle's outline, positive inside it.
    auto inside_distance = [&](double grow) {
        const double half_w = canvas_width * 0.5 - inset + grow;
        const double half_h = canvas_height * 0.5 - inset + grow;
        const double qx = std::abs(x - canvas_width * 0.5) - (half_w - radius);
        const double qy = std::abs(y - canvas_height * 0.5) - (half_h - radius);
        const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) +
                               std::min(std::max(qx, qy), 0.0) - radius;
        return -outside;
    };
    return inside_distance(0.0) >= 0.0 && inside_distance(-thickness) < 0.0;
}

bool on_pole(double x, double y, double pole_x, double top, double bottom) {
    return std::abs(x - pole_x) <= 3.5 && y >= top && y <= bottom;
}

bool on_knob(double x, double y, double pole_x, double top) {
    return std::hypot(x - pole_x, y - top) <= 7.0;
}

// The flag cloth waves: its rows bend by a sine that grows away from the pole.
double wave(double along) {
    return 7.0 * std::sin(along * tau) * along;
}

dvec3 start_colour(double u, double v) {
    const double x = u * canvas_width;
    const double y = v * canvas_height;
    const dvec3 green = rgb(0x3cf06a);
    const dvec3 light_green = rgb(0xb8ffc8);
    if (in_rounded_frame(x, y, 10.0, 8.0, 30.0)) {
        return green;
    }
    const double pole_x = canvas_width * 0.5 - 70.0;
    const double cloth_length = 140.0;
    const double along = (x - pole_x) / cloth_length;
    if (along > 0.0 && along <= 1.0) {
        const double centre = 64.0 + wave(along);
        const double half_height = 32.0 * (1.0 - along);
        const double offset = y - centre;
        if (std::abs(offset) < half_height) {
            return offset < -half_height * 0.35 ? light_green : green;
        }
    }
    if (on_knob(x, y, pole_x, 30.0)) {
        return rgb(0xffe070);
    }
    if (on_pole(x, y, pole_x, 30.0, 138.0)) {
        return rgb(0xd8d8d8);
    }
    const std::string text = "START";
    const double block = 11.0;
    const double left = (canvas_width - text_columns(text) * block) * 0.5;
    if (text_covers(text, block, x - left, y - 152.0)) {
        return light_green;
    }
    return dvec3(0.0);
}

dvec3 finish_colour(double u, double v) {
    const double x = u * canvas_width;
    const double y = v * canvas_height;
    const dvec3 gold = rgb(0xffc83c);
    const dvec3 light_gold = rgb(0xfff0b0);
    if (in_rounded_frame(x, y, 10.0, 8.0, 30.0)) {
        return gold;
    }
    const double pole_x = canvas_width * 0.5 - 85.0;
    const double cloth_length = 170.0;
    const double along = (x - pole_x) / cloth_length;
    if (along > 0.0 && along <= 1.0) {
        const double top = 32.0 + wave(along);
        const double row_position = (y - top) / 96.0;
        if (row_position >= 0.0 && row_position < 1.0) {
            const int column = static_cast<int>(along * 6.0);
            const int row = static_cast<int>(row_position * 4.0);
            return (column + row) % 2 == 0 ? dvec3(1.0) : rgb(0x303030);
        }
    }
    if (on_knob(x, y, pole_x, 30.0)) {
        return gold;
    }
    if (on_pole(x, y, pole_x, 30.0, 140.0)) {
        return rgb(0xd8d8d8);
    }
    const std::string text = "FINISH";
    const double block = 10.0;
    const double left = (canvas_width - text_columns(text) * block) * 0.5;
    if (text_covers(text, block, x - left, y - 156.0)) {
        return light_gold;
    }
    return dvec3(0.0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir = make_directory(output_root(argc, argv), "texture");
    if (dir.empty()) {
        return 1;
    }
    image start(picture_size, picture_size);
    paint_supersampled(start, 4, start_colour);
    image finish(picture_size, picture_size);
    paint_supersampled(finish, 4, finish_colour);
    if (!save_jpeg(start, (dir / "start.jpeg").string()) ||
        !save_jpeg(finish, (dir / "finish.jpg").string())) {
        return 1;
    }
    std::cout << "start and finish images written below " << dir.string() << std::endl;
    return 0;
}
