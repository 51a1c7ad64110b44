#include "render/texture.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include "framework/asset_paths.h"
#include "render/model.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// Wrap s and t, min and mag filter, width and height of the texture.
std::vector<GLint> state(GLuint texture) {
    std::vector<GLint> values(6, -1);
    glBindTexture(GL_TEXTURE_2D, texture);
    const GLenum names[] = {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_MIN_FILTER,
                            GL_TEXTURE_MAG_FILTER};
    for (int i = 0; i < 4; ++i) {
        glGetTexParameteriv(GL_TEXTURE_2D, names[i], &values[i]);
    }
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &values[4]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &values[5]);
    return values;
}

class TextureTest : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        // A 64 x 32 JPEG with a red left half and a blue right half.
        FIBITMAP* image = FreeImage_Allocate(64, 32, 24);
        for (unsigned x = 0; x < 64; ++x) {
            RGBQUAD colour = {BYTE(x < 32 ? 10 : 220), 20, BYTE(x < 32 ? 220 : 10), 0};
            for (unsigned y = 0; y < 32; ++y) {
                FreeImage_SetPixelColor(image, x, y, &colour);
            }
        }
        EXPECT_TRUE(FreeImage_Save(FIF_JPEG, image, jpeg.c_str(), JPEG_QUALITYSUPERB));
        FreeImage_Unload(image);
    }

    test::scratch_dir dir;
    const std::string jpeg = (dir.path() / "image.jpg").string();
};

// load_texture clamps; texture_from_file joins directory and name with a backslash and repeats.
// Both upload the image opaque with its colours in place, mip-mapped.
TEST_F(TextureTest, BothLoadersUploadTheImageOpaqueWithTheirWrapMode) {
    const std::pair<GLuint, GLint> loaded[] = {
        {load_texture(jpeg), GL_CLAMP_TO_EDGE},
        {texture_from_file("image.jpg", dir.path().string()), GL_REPEAT}};
    for (const auto& [texture, wrap] : loaded) {
        EXPECT_EQ(state(texture),
                  std::vector<GLint>({wrap, wrap, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, 64, 32}));
        std::vector<unsigned char> rgba(64 * 32 * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        for (std::size_t i = 3; i < rgba.size(); i += 4) {
            ASSERT_EQ(rgba[i], 255) << "alpha at byte " << i;
        }
        const unsigned char* left = &rgba[(16 * 64 + 5) * 4];
        const unsigned char* right = &rgba[(16 * 64 + 58) * 4];
        EXPECT_TRUE(left[0] > 180 && left[2] < 60 && right[2] > 180 && right[0] < 60);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, ApplySamplingFollowsTheQualitySettings) {
    const GLuint texture = load_texture(jpeg);
    // Mip-map mode, nearest sampling, min and mag filter; an unknown mode (7) leaves the filters
    // as the row before set them.
    const GLint rows[][4] = {{0, false, GL_LINEAR, GL_LINEAR},
                             {0, true, GL_NEAREST, GL_NEAREST},
                             {1, false, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
                             {1, true, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
                             {2, false, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
                             {2, true, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
                             {7, false, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST}};
    mesh m;
    for (const GLint* row : rows) {
        m.mipmap_mode = row[0];
        m.nearest_sampling = row[1] != 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        apply_sampling(m);
        const std::vector<GLint> now = state(texture);
        EXPECT_EQ(std::vector(now.begin() + 2, now.begin() + 4), std::vector(row + 2, row + 4))
            << row[0] << row[1];
    }
}

TEST_F(TextureTest, MissingOrUndecodableFilePrintsOneLineAndGivesAnEmptyTexture) {
    for (const std::string& path :
         {(dir.path() / "missing.jpeg").string(), dir.write("junk.png", "not an image at all")}) {
        test::stream_capture out;
        const GLuint texture = load_texture(path);
        EXPECT_EQ(out.lines(), std::vector<std::string>{"Unable to load texture: " + path});
        EXPECT_NE(texture, 0u);
        EXPECT_EQ(state(texture)[4], 0) << "no image";
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The projectors spread the shipped start and finish images over a square view.
TEST_F(TextureTest, TheShippedImagesLoadQuietlyAsSquaresOfAtLeast128Texels) {
    for (const char* path : {assets::start_texture, assets::finish_texture}) {
        test::stream_capture out;
        const std::vector<GLint> loaded = state(load_texture(path));
        EXPECT_EQ(out.text(), "");
        EXPECT_EQ(loaded[4], loaded[5]) << path;
        EXPECT_GE(loaded[4], 128) << path;
    }
}

}  // namespace
}  // namespace quillomar
