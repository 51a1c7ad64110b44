#include "render/texture.h"

#include <FreeImage.h>

#include <iostream>

#include "framework/asset_paths.h"
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

GLuint load_with_wrap(const std::string& game_path, GLint wrap) {
    GLuint name = 0;
    glGenTextures(1, &name);
    FIBITMAP* image = decode_32_bits(platform_path(game_path));
    glBindTexture(GL_TEXTURE_2D, name);
    if (image != nullptr) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(FreeImage_GetWidth(image)),
                     static_cast<GLsizei>(FreeImage_GetHeight(image)), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     FreeImage_GetBits(image));
        glGenerateMipmap(GL_TEXTURE_2D);
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
