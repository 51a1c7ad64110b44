#include "render/texture.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <future>
#include <string>

#include "framework/asset_paths.h"
#include "render/asset_preload.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// Wrap s, min filter, width and height of the texture, which stays bound.
std::vector<GLint> state(GLuint texture) {
    std::vector<GLint> values(4, -1);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &values[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &values[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &values[2]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &values[3]);
    return values;
}

using TextureTest = test::gl_test;

// load_texture clamps; texture_from_file joins directory and name with a backslash and repeats.
// Both upload a 64 x 32 JPEG (red left half, blue right half) opaque with its colours in place,
// and so does an image decoded beforehand on another thread.
TEST_F(TextureTest, BothLoadersUploadTheImageOpaqueWithTheirWrapMode) {
    const test::scratch_dir dir;
    FIBITMAP* image = FreeImage_Allocate(64, 32, 24);
    for (unsigned x = 0; x < 64 * 32; ++x) {
        RGBQUAD colour = {BYTE(x % 64 < 32 ? 10 : 220), 20, BYTE(x % 64 < 32 ? 220 : 10), 0};
        FreeImage_SetPixelColor(image, x % 64, x / 64, &colour);
    }
    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, image, (dir.path() / "image.jpg").c_str(), 0));
    FreeImage_Unload(image);
    const std::string path = (dir.path() / "image.jpg").string();
    preloaded_assets preloaded =
        std::async(std::launch::async, [&] { return preload_assets({}, {path}); }).get();
    const std::pair<GLuint, GLint> loaded[] = {
        {load_texture(path), GL_CLAMP_TO_EDGE},
        {texture_from_file("image.jpg", dir.path().string()), GL_REPEAT},
        {load_texture(path, &preloaded), GL_CLAMP_TO_EDGE}};
    EXPECT_TRUE(preloaded.images.empty()) << "taken, not decoded again";
    for (const auto& [texture, wrap] : loaded) {
        EXPECT_EQ(state(texture), std::vector<GLint>({wrap, GL_LINEAR_MIPMAP_LINEAR, 64, 32}));
        std::vector<unsigned char> rgba(64 * 32 * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        const unsigned char* left = &rgba[(16 * 64 + 5) * 4];
        const unsigned char* right = &rgba[(16 * 64 + 58) * 4];
        EXPECT_TRUE(left[0] > 180 && left[2] < 60 && right[2] > 180 && right[0] < 60);
        EXPECT_TRUE(left[3] == 255 && right[3] == 255);
        EXPECT_TRUE(texture_is_opaque(texture)) << "drawn without blending";
        // The mip levels made on the CPU are the driver's own: the same texels on llvmpipe,
        // within one step of rounding on any other.
        GLuint driver_made = 0;
        glGenTextures(1, &driver_made);
        glBindTexture(GL_TEXTURE_2D, driver_made);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 32, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        glGenerateMipmap(GL_TEXTURE_2D);
        const bool llvmpipe = std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER)))
                                  .find("llvmpipe") != std::string::npos;
        for (int level = 1, size = 32 * 16 * 4; level <= 6; ++level, size = std::max(4, size / 4)) {
            std::vector<unsigned char> ours(size), theirs(size);
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, theirs.data());
            glBindTexture(GL_TEXTURE_2D, texture);
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, ours.data());
            glBindTexture(GL_TEXTURE_2D, driver_made);
            for (int i = 0; i < size; ++i) {
                ASSERT_LE(std::abs(ours[i] - theirs[i]), llvmpipe ? 0 : 1) << level << " " << i;
            }
        }
        glDeleteTextures(1, &driver_made);
    }
    // One texel short of opaque is enough to keep the blending.
    FIBITMAP* translucent = FreeImage_Allocate(4, 4, 32);
    for (unsigned x = 0; x < 16; ++x) {
        RGBQUAD colour = {90, 90, 90, BYTE(x == 9 ? 254 : 255)};
        FreeImage_SetPixelColor(translucent, x % 4, x / 4, &colour);
    }
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, translucent, (dir.path() / "glass.png").c_str(), 0));
    FreeImage_Unload(translucent);
    EXPECT_FALSE(texture_is_opaque(texture_from_file("glass.png", dir.path().string())));
}

// A missing or undecodable file prints one line naming it and gives a texture without image;
// the shipped projector images load quietly as squares.
TEST_F(TextureTest, BadFilesPrintOneLineAndTheShippedImagesLoadQuietly) {
    const test::scratch_dir dir;
    const std::string fifo = (dir.path() / "fifo.png").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // refused, not waited on
    for (const std::string& path : {(dir.path() / "missing.jpeg").string(),
                                     dir.write("junk.png", "not an image at all"), fifo}) {
        test::stream_capture out;
        const GLuint texture = load_texture(path);
        EXPECT_EQ(out.lines(), std::vector<std::string>{"Unable to load texture: " + path});
        EXPECT_NE(texture, 0u);
        EXPECT_EQ(state(texture)[2], 0) << "no image";
    }
    for (const char* path : {assets::start_texture, assets::finish_texture}) {
        test::stream_capture out;
        const std::vector<GLint> loaded = state(load_texture(path));
        EXPECT_EQ(out.text(), "");
        EXPECT_TRUE(loaded[2] == loaded[3] && loaded[2] >= 128) << path;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
}  // namespace quillomar
