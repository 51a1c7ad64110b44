#include "render/texture.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <vector>

#include "framework/asset_paths.h"
#include "render/mip_chain.h"
#include "render/model.h"

namespace quillomar {
namespace {

// Decodes the file into a 32-bit BGRA image, bottom row first. Null when the file is missing or
// its format is unknown.
FIBITMAP* decode_32_bits(const std::string& native_path) {
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(native_path.c_str(), 0);
    if (format == FIF_UNKNOWN) {
        return nullptr;
    }
    FIBITMAP* image = FreeImage_Load(format, native_path.c_str(), 0);
    if (image == nullptr) {
        return nullptr;
    }
    FIBITMAP* converted = FreeImage_ConvertTo32Bits(image);
    FreeImage_Unload(image);
    return converted;
}

// Uploads the image and its mip levels to the bound texture: made here for power-of-two sizes,
// by the driver for any other.
void upload_with_mip_levels(FIBITMAP* image) {
    int w = static_cast<int>(FreeImage_GetWidth(image));
    int h = static_cast<int>(FreeImage_GetHeight(image));
    if (!is_power_of_two(w) || !is_power_of_two(h)) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     FreeImage_GetBits(image));
        glGenerateMipmap(GL_TEXTURE_2D);
        return;
    }
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        const BYTE* row = FreeImage_GetScanLine(image, y);
        std::copy(row, row + w * 4, texels.begin() + static_cast<std::ptrdiff_t>(y) * w * 4);
    }
    for (GLint level = 0;; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     texels.data());
        if (w == 1 && h == 1) {
            break;
        }
        texels = next_mip_level(texels, w, h);
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
    }
}

GLuint load_with_wrap(const std::string& game_path, GLint wrap) {
    GLuint name = 0;
    glGenTextures(1, &name);
    FIBITMAP* image = decode_32_bits(platform_path(game_path));
    glBindTexture(GL_TEXTURE_2D, name);
    if (image != nullptr) {
        upload_with_mip_levels(image);
    } else {
        std::cout << "Unable to load texture: " << game_path << std::endl;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (image != nullptr) {
        FreeImage_Unload(image);
    }
    return name;
}

}  // namespace

GLuint load_texture(const std::string& path) {
    return load_with_wrap(path, GL_CLAMP_TO_EDGE);
}

GLuint texture_from_file(const char* file_name, const std::string& directory) {
    return load_with_wrap(directory + "\\" + file_name, GL_REPEAT);
}

void apply_sampling(const mesh& m) {
    GLint min_filter = 0;
    switch (m.mipmap_mode) {
        case 0:
            min_filter = m.nearest_sampling ? GL_NEAREST : GL_LINEAR;
            break;
        case 1:
            min_filter = m.nearest_sampling ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
            break;
        case 2:
            min_filter = m.nearest_sampling ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
            break;
        default:
            return;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                    m.nearest_sampling ? GL_NEAREST : GL_LINEAR);
}

}  // namespace quillomar
