#include "render/texture.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <iostream>
#include <vector>

#include "framework/asset_paths.h"
#include "render/asset_preload.h"
#include "render/mip_chain.h"
#include "render/model.h"
#include "render/gl_platform.h"

namespace quillomar {
namespace {

// Textures with a texel that lets what is behind show through; every other texture covers.
std::unordered_set<GLuint>& translucent_textures() {
    static std::unordered_set<GLuint> names;
    return names;
}

bool has_translucent_texel(const std::vector<std::uint8_t>& texels) {
    // Alpha is the fourth byte of a texel in either order the decoders give.
    for (std::size_t at = 3; at < texels.size(); at += 4) {
        if (texels[at] != 255) {
            return true;
        }
    }
    return false;
}

// Uploads the image and its mip levels to the bound texture: the levels made on decoding, or by
// the driver for a size that is not a power of two.
void upload_with_mip_levels(const decoded_image& image) {
    int w = image.width;
    int h = image.height;
    if (!is_power_of_two(w) || !is_power_of_two(h)) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, decoded_texel_order(), GL_UNSIGNED_BYTE,
                     image.levels.front().data());
        glGenerateMipmap(GL_TEXTURE_2D);
        return;
    }
    for (std::size_t level = 0; level < image.levels.size(); ++level) {
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, w, h, 0, decoded_texel_order(),
                     GL_UNSIGNED_BYTE, image.levels[level].data());
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
    }
}

GLuint load_with_wrap(const std::string& game_path, GLint wrap, preloaded_assets* preloaded) {
    GLuint name = 0;
    glGenTextures(1, &name);
    std::optional<decoded_image> image;
    if (preloaded == nullptr || !preloaded->take_image(game_path, image)) {
        image = decode_image(game_path);
    }
    glBindTexture(GL_TEXTURE_2D, name);
    if (image) {
        upload_with_mip_levels(*image);
        if (!image->levels.empty() && has_translucent_texel(image->levels.front())) {
            translucent_textures().insert(name);
        }
    } else {
        std::cout << "Unable to load texture: " << game_path << std::endl;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

}  // namespace

GLuint load_texture(const std::string& path, preloaded_assets* preloaded) {
    return load_with_wrap(path, GL_CLAMP_TO_EDGE, preloaded);
}

GLuint texture_from_file(const char* file_name, const std::string& directory,
                         preloaded_assets* preloaded) {
    return load_with_wrap(directory + "\\" + file_name, GL_REPEAT, preloaded);
}

bool texture_is_opaque(GLuint name) {
    return translucent_textures().count(name) == 0;
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
