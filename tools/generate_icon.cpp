// Draws the game's icon: the ball in its blue and cream panels with stitched seams, lit from the
// upper left, on a transparent background. Writes a 256 x 256 PNG to the path given (default
// quillomar.png); the build writes it into the build folder and `cmake --install` installs it.
// Output is the same byte for byte on every run.
#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

#include <glm/glm.hpp>

#include "tools/asset_generation/image.h"

namespace {

using glm::dvec3;
using namespace quillomar::tools;

const int size = 256;
const int samples = 4;       // per side of a pixel, for a smooth outline
const double radius = 0.44;  // of the picture's side
const double pi = 3.14159265358979323846;

// The panel pattern of the ball's texture (generate_models.cpp): 8 panels round, 4 from pole to
// pole, dark seams between them; u round the ball and v from pole to pole, both in [0, 1).
dvec3 ball_colour(double u, double v) {
    const int panel = static_cast<int>(std::floor(u * 8.0)) + static_cast<int>(std::floor(v * 4.0));
    const dvec3 base = panel % 2 == 0 ? rgb(0x2458c8) : rgb(0xf3ead2);
    const double du = std::abs(u * 8.0 - std::round(u * 8.0)) / 8.0;
    const double dv = std::abs(v * 4.0 - std::round(v * 4.0)) / 4.0;
    const double ring = std::max(std::sin(pi * v), 0.05);
    const double seam = smoothstep(0.004, 0.010, std::min(du * 2.0 * ring, dv));
    return mix(rgb(0x1c2030), base, 0.35 + 0.65 * seam);
}

// The colour where the ray through (x, y) (picture units, y up, centre 0) meets the ball, which
// is tipped towards the viewer and turned so that the poles and the seams both show.
dvec3 shade(double x, double y) {
    const dvec3 n(x / radius, y / radius,
                  std::sqrt(std::max(0.0, 1.0 - (x * x + y * y) / (radius * radius))));
    const double tip = 0.45;
    const double turn = 0.35;
    const dvec3 tipped(n.x, n.y * std::cos(tip) - n.z * std::sin(tip),
                       n.y * std::sin(tip) + n.z * std::cos(tip));
    const dvec3 ball(tipped.x * std::cos(turn) + tipped.z * std::sin(turn), tipped.y,
                     -tipped.x * std::sin(turn) + tipped.z * std::cos(turn));
    const double u = std::atan2(ball.z, ball.x) / (2.0 * pi) + 0.5;
    const double v = std::acos(std::clamp(ball.y, -1.0, 1.0)) / pi;
    const dvec3 light = glm::normalize(dvec3(-0.5, 0.6, 0.65));
    const double diffuse = std::max(0.0, glm::dot(n, light));
    const dvec3 half_way = glm::normalize(light + dvec3(0.0, 0.0, 1.0));
    const double specular = std::pow(std::max(0.0, glm::dot(n, half_way)), 48.0);
    return ball_colour(u, v) * (0.28 + 0.8 * diffuse) + dvec3(0.55 * specular);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "quillomar.png";
    FIBITMAP* bitmap = FreeImage_Allocate(size, size, 32);
    if (bitmap == nullptr) {
        std::cout << "could not allocate the icon" << std::endl;
        return 1;
    }
    for (int row = 0; row < size; ++row) {
        // FreeImage's rows run from the bottom, as y does here.
        BYTE* pixel = FreeImage_GetScanLine(bitmap, row);
        for (int column = 0; column < size; ++column, pixel += 4) {
            dvec3 colour(0.0);
            int covered = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double x = (column + (sx + 0.5) / samples) / size - 0.5;
                    const double y = (row + (sy + 0.5) / samples) / size - 0.5;
                    if (x * x + y * y < radius * radius) {
                        colour += shade(x, y);
                        ++covered;
                    }
                }
            }
            // Straight alpha, as PNG stores it: the colour of the covered part, and how much.
            colour = covered > 0 ? colour / static_cast<double>(covered) : colour;
            pixel[FI_RGBA_RED] = to_byte(colour.r);
            pixel[FI_RGBA_GREEN] = to_byte(colour.g);
            pixel[FI_RGBA_BLUE] = to_byte(colour.b);
            pixel[FI_RGBA_ALPHA] = to_byte(covered / static_cast<double>(samples * samples));
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_COMPRESSION) != 0;
    FreeImage_Unload(bitmap);
    if (!saved) {
        std::cout << "could not write " << path << std::endl;
        return 1;
    }
    return 0;
}
