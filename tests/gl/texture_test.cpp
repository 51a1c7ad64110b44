#include <FreeImage.h>
#include <gtest/gtest.h>

#include <vector>

#include "render/model.h"
#include "render/texture.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

class TextureTest : public test::gl_test {
protected:
    // A 24-bit JPEG of the given size, a red left half and a blue right half.
    std::string write_jpeg(const std::string& name, int w, int h) {
        FIBITMAP* image = FreeImage_Allocate(w, h, 24);
        for (int y = 0; y < h; ++y) {
            BYTE* row = FreeImage_GetScanLine(image, y);
            for (int x = 0; x < w; ++x) {
                const bool left = x < w / 2;
                row[x * 3 + FI_RGBA_RED] = left ? 220 : 10;
                row[x * 3 + FI_RGBA_GREEN] = 20;
                row[x * 3 + FI_RGBA_BLUE] = left ? 10 : 220;
            }
        }
        const std::string path = (dir.path() / name).string();
        EXPECT_TRUE(FreeImage_Save(FIF_JPEG, image, path.c_str(), JPEG_QUALITYSUPERB));
        FreeImage_Unload(image);
        return path;
    }

    static GLint parameter(GLuint texture, GLenum name) {
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        glBindTexture(GL_TEXTURE_2D, 0);
        return value;
    }

    test::scratch_dir dir;
};

TEST_F(TextureTest, JpegLoadsOpaqueWithItsColoursInPlace) {
    const GLuint texture = load_texture(write_jpeg("start.jpeg", 64, 32));
    ASSERT_NE(texture, 0u);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0;
    GLint h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    ASSERT_EQ(w, 64);
    ASSERT_EQ(h, 32);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w * h * 4));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    for (std::size_t i = 3; i < rgba.size(); i += 4) {
        ASSERT_EQ(rgba[i], 255) << "alpha at byte " << i;
    }
    const unsigned char* left = &rgba[(16 * 64 + 5) * 4];
    const unsigned char* right = &rgba[(16 * 64 + 58) * 4];
    EXPECT_GT(left[0], 180);
    EXPECT_LT(left[2], 60);
    EXPECT_GT(right[2], 180);
    EXPECT_LT(right[0], 60);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureTest, LoadersSetWrapAndFilters) {
    const std::string path = write_jpeg("image.jpg", 16, 16);
    const GLuint clamped = load_texture(path);
    EXPECT_EQ(parameter(clamped, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(clamped, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(clamped, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(clamped, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    const GLuint repeated = texture_from_file("image.jpg", dir.path().string());
    EXPECT_EQ(parameter(repeated, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(repeated, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(parameter(repeated, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(repeated, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    GLint w = 0;
    glBindTexture(GL_TEXTURE_2D, repeated);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(w, 16) << "the directory and file name are joined with a backslash, then mapped";
}

TEST_F(TextureTest, ApplySamplingFollowsTheQualitySettings) {
    const GLuint texture = load_texture(write_jpeg("image.jpg", 16, 16));
    struct row {
        int mipmap_mode;
        bool nearest;
        GLint min_filter;
        GLint mag_filter;
    };
    const row rows[] = {
        {0, false, GL_LINEAR, GL_LINEAR},
        {0, true, GL_NEAREST, GL_NEAREST},
        {1, false, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
        {1, true, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
        {2, false, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {2, true, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
    };
    mesh m;
    for (const row& r : rows) {
        m.mipmap_mode = r.mipmap_mode;
        m.nearest_sampling = r.nearest;
        glBindTexture(GL_TEXTURE_2D, texture);
        apply_sampling(m);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(parameter(texture, GL_TEXTURE_MIN_FILTER), r.min_filter) << r.mipmap_mode;
        EXPECT_EQ(parameter(texture, GL_TEXTURE_MAG_FILTER), r.mag_filter) << r.mipmap_mode;
    }
    // An unknown mode leaves the filters as they were.
    m.mipmap_mode = 7;
    glBindTexture(GL_TEXTURE_2D, texture);
    apply_sampling(m);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
}

TEST_F(TextureTest, MissingOrUndecodableFilePrintsOneLineAndGivesAnEmptyTexture) {
    for (const std::string& path :
         {(dir.path() / "missing.jpeg").string(), dir.write("junk.png", "not an image at all")}) {
        test::stream_capture out;
        const GLuint texture = load_texture(path);
        EXPECT_NE(texture, 0u);
        const std::vector<std::string> lines = out.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(path), std::string::npos) << lines[0];
        GLint w = -1;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(w, 0);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace quillomar
