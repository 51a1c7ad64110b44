// The game's models as the game's own loader imports them: shapes and sizes that the level, the
// ball and the physics rely on, clean vertex data for the shaders, and every texture in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "framework/asset_paths.h"
#include "render/model.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

struct box {
    glm::vec3 low{INFINITY};
    glm::vec3 high{-INFINITY};
};

box box_of(const std::vector<vertex>& vertices, box b = {}) {
    for (const vertex& v : vertices) {
        b.low = glm::min(b.low, v.position);
        b.high = glm::max(b.high, v.position);
    }
    return b;
}

// Where the model's lowest and highest corners must lie (each between two points), how far its
// vertices may lie from its origin, and how many vertices it may have.
struct shipped_model {
    const char* path;
    glm::vec3 low_from, low_to, high_from, high_to;
    float min_radius, max_radius;
    std::size_t max_vertices;
};

const shipped_model shipped_models[] = {
    // The cube stands for a 2 x 2 x 2 physics box centred on the cube's position.
    {assets::cube_model, glm::vec3(-1), glm::vec3(-1), glm::vec3(1), glm::vec3(1), 1.0f, 1.7321f,
     36},
    // The ball's collision sphere has radius 1 around the body's centre; it is drawn every pass.
    {assets::sphere_model, glm::vec3(-1.01f), glm::vec3(-0.99f), glm::vec3(0.99f), glm::vec3(1.01f),
     0.99f, 1.01f, 6000},
    // Items stand on their position, drawn at half size inside the culling sphere of radius 1.
    {assets::item_model, glm::vec3(-1.2f, 0, -1.2f), glm::vec3(-0.8f, 0, -0.8f),
     glm::vec3(0.8f, 0, 0.8f), glm::vec3(1.2f, 2, 1.2f), 0.0f, 2.0f, 1000},
    // The spider is about a hundred units across and faces -x; its feet are 40 units down.
    {assets::spider_model, glm::vec3(-65, -40, -65), glm::vec3(-45, -40, -40), glm::vec3(20, 0, 40),
     glm::vec3(65, 60, 65), 0.0f, 80.0f, 20000},
};

// Names the test case in the test list.
void PrintTo(const shipped_model& m, std::ostream* out) {
    *out << platform_path(m.path).substr(std::string("./Quillomar/objects/").size());
}

class asset_models_test : public test::gl_test,
                          public ::testing::WithParamInterface<shipped_model> {};

TEST_P(asset_models_test, import_quietly_with_clean_vertices_all_three_maps_and_their_size) {
    model m;
    test::stream_capture console;
    m.load_model(GetParam().path);
    EXPECT_EQ(console.text(), "");
    ASSERT_FALSE(m.meshes.empty());
    box all;
    std::size_t count = 0;
    for (const mesh& part : m.meshes) {
        // The tangent pass reads each run of three vertices as one triangle, which holds only
        // while the indices simply count up.
        ASSERT_EQ(part.vertices.size() % 3, 0u);
        ASSERT_EQ(part.indices.size(), part.vertices.size());
        for (std::size_t i = 0; i < part.indices.size(); ++i) {
            ASSERT_EQ(part.indices[i], i);
            const vertex& v = part.vertices[i];
            ASSERT_NEAR(glm::length(v.normal), 1.0f, 1e-3f) << "vertex " << i;
            // Zero: a triangle without texture extent, whose normal map has no tangent frame.
            ASSERT_GT(glm::length(v.tangent) * glm::length(v.bitangent), 0.0f) << "vertex " << i;
            ASSERT_TRUE(std::isfinite(glm::length(v.tex_coords) + glm::length(v.tangent) +
                                      glm::length(v.bitangent)));
            ASSERT_GE(glm::length(v.position), GetParam().min_radius) << "vertex " << i;
            ASSERT_LE(glm::length(v.position), GetParam().max_radius) << "vertex " << i;
        }
        for (std::size_t i = 0; i < part.vertices.size(); i += 3) {
            const vertex* t = &part.vertices[i];
            const glm::vec3 facing =
                glm::cross(t[1].position - t[0].position, t[2].position - t[0].position);
            ASSERT_FALSE(glm::length(facing) > 1e-6f &&
                         glm::dot(facing, t[0].normal + t[1].normal + t[2].normal) <= 0.0f)
                << "triangle at vertex " << i << " is wound against its normals";
        }
        all = box_of(part.vertices, all);
        count += part.vertices.size();
        // Same units for every mesh (0 diffuse, 1 specular, 2 normal), so a sampler the shader
        // reads is never left pointing at another mesh's texture.
        ASSERT_EQ(part.textures.size(), 3u);
        const char* const types[] = {"texture_diffuse", "texture_specular", "texture_normal"};
        for (int t = 0; t < 3; ++t) {
            EXPECT_EQ(part.textures[t].type, types[t]);
            // Decoded and uploaded; larger than 1 x 1, which the object shader reads as no map;
            // powers of two keep every mip level an exact halving.
            GLint size[2] = {};
            glBindTexture(GL_TEXTURE_2D, part.textures[t].id);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
            for (GLint side : size) {
                EXPECT_TRUE(side > 1 && (side & (side - 1)) == 0) << part.textures[t].path;
            }
        }
        ASSERT_EQ(part.materials.size(), 1u);
        EXPECT_FLOAT_EQ(part.materials[0].opacity, 1.0f);
        EXPECT_GT(part.materials[0].shininess, 0.0f);
    }
    const shipped_model& expected = GetParam();
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_GE(all.low[axis], expected.low_from[axis] - 1e-5f) << axis;
        EXPECT_LE(all.low[axis], expected.low_to[axis] + 1e-5f) << axis;
        EXPECT_GE(all.high[axis], expected.high_from[axis] - 1e-5f) << axis;
        EXPECT_LE(all.high[axis], expected.high_to[axis] + 1e-5f) << axis;
    }
    EXPECT_LE(count, expected.max_vertices);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(shipped, asset_models_test, ::testing::ValuesIn(shipped_models));

// Mesh 0 is the abdomen, mesh 1 the head, meshes 2 to 9 the legs: pairs from front to back, left
// (+z when facing -x) before right. The level puts a spider 0.6 below the ball's resting height
// over its cube, 1.4 above the cube's position; the visible cube top is 1.0 above it, and the
// spider is scaled by 0.01 in y. So the feet stand on the cube top with the body clear of it.
TEST(asset_spider_model_test, stands_on_four_pairs_of_legs_whose_open_ends_stay_in_the_head) {
    ASSERT_NE(test::shared_gl_window(), nullptr);
    model spider;
    spider.load_model(assets::spider_model);
    ASSERT_GE(spider.meshes.size(), 10u);
    const box head = box_of(spider.meshes[1].vertices);
    const box abdomen = box_of(spider.meshes[0].vertices);
    EXPECT_LT(head.low.x + head.high.x, abdomen.low.x + abdomen.high.x) << "the head leads";
    EXPECT_GT(1.4f + 0.01f * std::min(head.low.y, abdomen.low.y), 1.05f);
    glm::vec3 feet[8];
    for (int l = 0; l < 8; ++l) {
        const std::vector<vertex>& leg = spider.meshes[l + 2].vertices;
        feet[l] = std::min_element(leg.begin(), leg.end(), [](const vertex& a, const vertex& b) {
                      return a.position.y < b.position.y;
                  })->position;
        EXPECT_NEAR(1.4f + 0.01f * feet[l].y, 1.0f, 0.01f) << "leg " << l;
        EXPECT_GT(feet[l].z * (l % 2 == 0 ? 1 : -1), 10.0f) << "leg " << l;
        EXPECT_NEAR(feet[l].x, feet[l - l % 2].x, 0.01f) << "leg " << l;
        EXPECT_TRUE(l < 2 || feet[l].x > feet[l - 2].x) << "leg " << l;

        // A leg is lifted by up to 12 of its units. It is an open tube: the ends of edges that
        // only one triangle uses, its rim, must stay inside the head at every lift.
        std::map<std::pair<std::array<float, 3>, std::array<float, 3>>, int> edge_use;
        auto key = [](const glm::vec3& p) { return std::array<float, 3>{p.x, p.y, p.z}; };
        for (std::size_t i = 0; i + 2 < leg.size(); i += 3) {
            for (int e = 0; e < 3; ++e) {
                ++edge_use[std::minmax(key(leg[i + e].position),
                                       key(leg[i + (e + 1) % 3].position))];
            }
        }
        int rim_points = 0;
        for (const auto& [edge, uses] : edge_use) {
            if (uses != 1) {
                continue;
            }
            for (const std::array<float, 3>& p : {edge.first, edge.second}) {
                ++rim_points;
                for (float lift : {0.0f, 12.0f}) {
                    const glm::vec3 offset =
                        glm::vec3(p[0], p[1] + lift, p[2]) - (head.low + head.high) * 0.5f;
                    EXPECT_LT(glm::length(offset / (head.high - head.low) * 2.0f), 0.97f) << l;
                }
            }
        }
        EXPECT_GT(rim_points, 0) << "leg " << l;
    }
}

}  // namespace
}  // namespace quillomar
