// A floating-point RGB picture for the generators, written with FreeImage. Row 0 is the top of the
// picture, as it is seen; the writer turns it into FreeImage's bottom-up rows.
#pragma once

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <glm/glm.hpp>

namespace quillomar::tools {

struct image {
    int width = 0;
    int height = 0;
    std::vector<glm::dvec3> pixels;  // linear RGB in [0, 1], row by row from the top

    image(int w, int h, glm::dvec3 fill = glm::dvec3(0.0))
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

    glm::dvec3& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const glm::dvec3& at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
};

// Fills every pixel from its centre in texture coordinates (u right, v down, both in [0, 1)).
inline void paint(image& picture, const std::function<glm::dvec3(double u, double v)>& colour) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            picture.at(x, y) = colour((x + 0.5) / picture.width, (y + 0.5) / picture.height);
        }
    }
}

// Averages `samples` x `samples` points per pixel, for shapes with hard edges.
inline void paint_supersampled(image& picture, int samples,
                               const std::function<glm::dvec3(double u, double v)>& colour) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            glm::dvec3 sum(0.0);
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    sum += colour((x + (sx + 0.5) / samples) / picture.width,
                                  (y + (sy + 0.5) / samples) / picture.height);
                }
            }
            picture.at(x, y) = sum / static_cast<double>(samples * samples);
        }
    }
}

// A tangent-space normal map from a height field that repeats at its borders. Heights are in
// texels times `strength`; green points to the top of the picture, the OpenGL convention that the
// loader's bitangent (towards increasing t, the picture's top) expects.
inline image normal_map_from_heights(const std::vector<double>& heights, int width, int height,
                                     double strength) {
    image result(width, height);
    auto h = [&](int x, int y) {
        x = (x % width + width) % width;
        y = (y % height + height) % height;
        return heights[static_cast<std::size_t>(y) * width + x];
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (h(x + 1, y) - h(x - 1, y)) * 0.5 * strength;
            const double dy_down = (h(x, y + 1) - h(x, y - 1)) * 0.5 * strength;
            const glm::dvec3 n = glm::normalize(glm::dvec3(-dx, dy_down, 1.0));
            result.at(x, y) = n * 0.5 + 0.5;
        }
    }
    return result;
}

inline BYTE to_byte(double value) {
    return static_cast<BYTE>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

// Writes a 24-bit picture; the format follows from `format`, compression settings from `flags`.
// Prints one line and returns false when the file cannot be written.
inline bool save_image(const image& picture, const std::string& path, FREE_IMAGE_FORMAT format,
                       int flags) {
    FIBITMAP* bitmap = FreeImage_Allocate(picture.width, picture.height, 24);
    if (bitmap == nullptr) {
        std::cout << "could not allocate a picture for " << path << std::endl;
        return false;
    }
    for (int y = 0; y < picture.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const glm::dvec3& c = picture.at(x, y);
            row[x * 3 + FI_RGBA_RED] = to_byte(c.r);
            row[x * 3 + FI_RGBA_GREEN] = to_byte(c.g);
            row[x * 3 + FI_RGBA_BLUE] = to_byte(c.b);
        }
    }
    const bool saved = FreeImage_Save(format, bitmap, path.c_str(), flags) != FALSE;
    FreeImage_Unload(bitmap);
    if (!saved) {
        std::cout << "could not write " << path << std::endl;
    }
    return saved;
}

inline bool save_png(const image& picture, const std::string& path) {
    return save_image(picture, path, FIF_PNG, PNG_Z_BEST_COMPRESSION);
}

// Quality 90 without chroma subsampling keeps coloured letter edges clean.
inline bool save_jpeg(const image& picture, const std::string& path) {
    return save_image(picture, path, FIF_JPEG, 90 | JPEG_SUBSAMPLING_444 | JPEG_OPTIMIZE);
}

inline glm::dvec3 rgb(int hex) {
    return glm::dvec3((hex >> 16) & 0xff, (hex >> 8) & 0xff, hex & 0xff) / 255.0;
}

inline glm::dvec3 mix(const glm::dvec3& a, const glm::dvec3& b, double t) {
    return a + (b - a) * t;
}

inline double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

}  // namespace quillomar::tools
