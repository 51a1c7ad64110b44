#include "render/shader_constants.h"

#include <charconv>

#include "common/real_chars.h"

namespace quillomar {

std::string shader_prelude() {
    // The shortest text that reads back as the same float, so the shaders compute with exactly
    // the C++ value.
    char scale[32] = {};
    const auto written = real_to_chars(scale, scale + sizeof scale - 1, shadow_depth_scale);
    *written.ptr = '\0';
    return "#define SHADOW_BLUR_RADIUS " + std::to_string(shadow_blur_radius) + "\n" +
           "#define SHADOW_DEPTH_SCALE " + scale + "\n";
}

}  // namespace quillomar
