// The game's models as the game's own loader imports them: quietly, with clean vertex data for
// the shaders, every map in place, and the size the level, the ball and the physics rely on.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/asset_paths.h"
#include "render/model.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// How far the model's vertices may lie from its origin, and how many it may have.
struct shipped_model {
    const char* path;
    float min_radius, max_radius;
    std::size_t max_vertices;
};

// The cube is a 2 x 2 x 2 physics box; the ball's collision sphere has radius 1; items are drawn
// at half size inside a culling sphere of radius 1; the spider is about a hundred units across.
const shipped_model shipped_models[] = {{assets::cube_model, 1.0f, 1.7321f, 36},
                                        {assets::sphere_model, 0.99f, 1.01f, 6000},
                                        {assets::item_model, 0.0f, 2.0f, 1000},
                                        {assets::spider_model, 0.0f, 80.0f, 20000}};

// Names the test case in the test list.
void PrintTo(const shipped_model& m, std::ostream* out) {
    *out << platform_path(m.path).substr(std::string("./Quillomar/objects/").size());
}

class asset_models_test : public test::gl_test,
                          public ::testing::WithParamInterface<shipped_model> {};

TEST_P(asset_models_test, import_quietly_with_clean_vertices_all_three_maps_and_their_size) {
    const shipped_model& expected = GetParam();
    model m;
    test::stream_capture console;
    m.load_model(expected.path);
    EXPECT_EQ(console.text(), "");
    ASSERT_FALSE(m.meshes.empty());
    std::size_t count = 0;
    for (const mesh& part : m.meshes) {
        // The tangent pass reads each run of three vertices as one triangle.
        ASSERT_EQ(part.vertices.size() % 3, 0u);
        count += part.vertices.size();
        for (const vertex& v : part.vertices) {
            ASSERT_NEAR(glm::length(v.normal), 1.0f, 1e-3f);
            // Zero: a triangle without texture extent, whose normal map has no tangent frame.
            ASSERT_GT(glm::length(v.tangent) * glm::length(v.bitangent), 0.0f);
            ASSERT_TRUE(std::isfinite(glm::length(v.tangent) + glm::length(v.bitangent)));
            ASSERT_GE(glm::length(v.position), expected.min_radius);
            ASSERT_LE(glm::length(v.position), expected.max_radius);
        }
        // Same units for every mesh, so a sampler is never left on another mesh's texture;
        // each map decoded, larger than the 1 x 1 the object shader reads as no map.
        ASSERT_EQ(part.textures.size(), 3u);
        const char* const types[] = {"texture_diffuse", "texture_specular", "texture_normal"};
        for (int t = 0; t < 3; ++t) {
            EXPECT_EQ(part.textures[t].type, types[t]);
            GLint side = 0;
            glBindTexture(GL_TEXTURE_2D, part.textures[t].id);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &side);
            EXPECT_GT(side, 1) << part.textures[t].path;
        }
    }
    EXPECT_LE(count, expected.max_vertices);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(shipped, asset_models_test, ::testing::ValuesIn(shipped_models));

}  // namespace
}  // namespace quillomar
