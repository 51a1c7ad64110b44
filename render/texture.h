#pragma once

#include <GL/glew.h>

#include <string>

namespace quillomar {

struct mesh;
struct preloaded_assets;

// Loads an image file (any format FreeImage detects) into a mip-mapped RGBA8 texture that clamps
// to its edges. A missing or undecodable file prints one line naming it and gives a texture
// without image. An image in `preloaded` is taken from there instead of being decoded now.
GLuint load_texture(const std::string& path, preloaded_assets* preloaded = nullptr);

// Loads `directory` + "\" + `file_name` into a mip-mapped RGBA8 texture that repeats.
GLuint texture_from_file(const char* file_name, const std::string& directory,
                         preloaded_assets* preloaded = nullptr);

// False for a texture loaded above with a texel whose alpha is below one; true for every other
// name, a texture without image included.
bool texture_is_opaque(GLuint name);

// Sets the min and mag filters of the texture bound to GL_TEXTURE_2D from the mesh's
// mipmap_mode (0 off, 1 nearest, 2 linear) and nearest_sampling; other modes change nothing.
void apply_sampling(const mesh& m);

}  // namespace quillomar
