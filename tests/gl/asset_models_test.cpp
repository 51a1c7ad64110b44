// The game's models as the game's own loader imports them: shapes and sizes that the level, the
// ball and the physics rely on, clean vertex data for the shaders, and every texture in place.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <glm/glm.hpp>

#include "framework/asset_paths.h"
#include "render/model.h"
#include "render/texture.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

struct bounds {
    glm::vec3 low{std::numeric_limits<float>::max()};
    glm::vec3 high{std::numeric_limits<float>::lowest()};

    void add(const glm::vec3& p) {
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    glm::vec3 centre() const { return (low + high) * 0.5f; }
    glm::vec3 size() const { return high - low; }
};

bounds bounds_of(const mesh& m) {
    bounds b;
    for (const vertex& v : m.vertices) {
        b.add(v.position);
    }
    return b;
}

bounds bounds_of(const model& m) {
    bounds b;
    for (const mesh& part : m.meshes) {
        for (const vertex& v : part.vertices) {
            b.add(v.position);
        }
    }
    return b;
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

struct loaded_model {
    std::string path;
    model m;
    std::string console;
};

class asset_models_test : public test::gl_test {
protected:
    static loaded_model load(const char* path) {
        loaded_model result;
        result.path = path;
        // The console is captured here directly; the loader reports failures only there.
        std::ostringstream console;
        std::streambuf* previous = std::cout.rdbuf(console.rdbuf());
        result.m.load_model(path);
        std::cout.rdbuf(previous);
        result.console = console.str();
        return result;
    }

    static std::vector<const char*> all_models() {
        return {assets::cube_model, assets::sphere_model, assets::item_model, assets::spider_model};
    }
};

TEST_F(asset_models_test, every_model_imports_quietly_with_whole_triangles) {
    for (const char* path : all_models()) {
        SCOPED_TRACE(path);
        const loaded_model loaded = load(path);
        EXPECT_EQ(loaded.console, "");
        ASSERT_FALSE(loaded.m.meshes.empty());
        for (const mesh& part : loaded.m.meshes) {
            ASSERT_FALSE(part.vertices.empty());
            ASSERT_EQ(part.vertices.size() % 3, 0u);
            // The loader's tangent pass reads each run of three vertices as one triangle, which
            // holds only while the indices simply count up.
            ASSERT_EQ(part.indices.size(), part.vertices.size());
            for (std::size_t i = 0; i < part.indices.size(); ++i) {
                ASSERT_EQ(part.indices[i], i);
            }
        }
    }
}

TEST_F(asset_models_test, vertex_data_is_finite_with_unit_normals_and_real_tangents) {
    for (const char* path : all_models()) {
        SCOPED_TRACE(path);
        const loaded_model loaded = load(path);
        for (std::size_t k = 0; k < loaded.m.meshes.size(); ++k) {
            SCOPED_TRACE("mesh " + std::to_string(k));
            const mesh& part = loaded.m.meshes[k];
            for (const vertex& v : part.vertices) {
                ASSERT_TRUE(finite(v.position));
                ASSERT_TRUE(finite(v.normal));
                ASSERT_TRUE(std::isfinite(v.tex_coords.x) && std::isfinite(v.tex_coords.y));
                ASSERT_TRUE(finite(v.tangent));
                ASSERT_TRUE(finite(v.bitangent));
                ASSERT_NEAR(glm::length(v.normal), 1.0f, 1e-3f);
                // A zero tangent means a triangle without texture extent: its normal map would
                // be read in a tangent frame that does not exist.
                ASSERT_GT(glm::length(v.tangent), 0.0f);
                ASSERT_GT(glm::length(v.bitangent), 0.0f);
            }
        }
    }
}

TEST_F(asset_models_test, triangles_face_the_way_their_normals_point) {
    for (const char* path : all_models()) {
        SCOPED_TRACE(path);
        const loaded_model loaded = load(path);
        for (const mesh& part : loaded.m.meshes) {
            for (std::size_t i = 0; i + 2 < part.vertices.size(); i += 3) {
                const vertex& a = part.vertices[i];
                const vertex& b = part.vertices[i + 1];
                const vertex& c = part.vertices[i + 2];
                const glm::vec3 facing =
                    glm::cross(b.position - a.position, c.position - a.position);
                if (glm::length(facing) < 1e-6f) {
                    continue;
                }
                ASSERT_GT(glm::dot(facing, a.normal + b.normal + c.normal), 0.0f)
                    << "triangle at vertex " << i << " is wound against its normals";
            }
        }
    }
}

TEST_F(asset_models_test, every_mesh_has_diffuse_specular_and_normal_maps_that_decode) {
    for (const char* path : all_models()) {
        SCOPED_TRACE(path);
        const loaded_model loaded = load(path);
        for (std::size_t k = 0; k < loaded.m.meshes.size(); ++k) {
            SCOPED_TRACE("mesh " + std::to_string(k));
            const mesh& part = loaded.m.meshes[k];
            // Same units for every mesh (0 diffuse, 1 specular, 2 normal), so a sampler the shader
            // reads is never left pointing at another mesh's texture.
            ASSERT_EQ(part.textures.size(), 3u);
            EXPECT_EQ(part.textures[0].type, "texture_diffuse");
            EXPECT_EQ(part.textures[1].type, "texture_specular");
            EXPECT_EQ(part.textures[2].type, "texture_normal");
            for (const mesh_texture& texture : part.textures) {
                SCOPED_TRACE(texture.path);
                const std::string file = platform_path(loaded.m.directory + "\\" + texture.path);
                ASSERT_TRUE(std::filesystem::is_regular_file(file));
                const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(file.c_str(), 0);
                ASSERT_NE(format, FIF_UNKNOWN);
                FIBITMAP* image = FreeImage_Load(format, file.c_str(), 0);
                ASSERT_NE(image, nullptr);
                const unsigned width = FreeImage_GetWidth(image);
                const unsigned height = FreeImage_GetHeight(image);
                FreeImage_Unload(image);
                // Powers of two keep every mip level an exact halving.
                EXPECT_GT(width, 0u);
                EXPECT_EQ(width & (width - 1), 0u);
                EXPECT_EQ(height & (height - 1), 0u);

                GLint uploaded_width = 0;
                glBindTexture(GL_TEXTURE_2D, texture.id);
                glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &uploaded_width);
                glBindTexture(GL_TEXTURE_2D, 0);
                EXPECT_EQ(uploaded_width, static_cast<GLint>(width));
            }
            ASSERT_EQ(part.materials.size(), 1u);
            EXPECT_FLOAT_EQ(part.materials[0].opacity, 1.0f);
            EXPECT_GT(part.materials[0].shininess, 0.0f);
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The cube model stands for a 2 x 2 x 2 physics box centred on the cube's position.
TEST_F(asset_models_test, cube_spans_exactly_one_unit_each_way_on_every_axis) {
    const loaded_model cube = load(assets::cube_model);
    ASSERT_EQ(cube.m.meshes.size(), 1u);
    const bounds b = bounds_of(cube.m);
    EXPECT_EQ(b.low, glm::vec3(-1.0f));
    EXPECT_EQ(b.high, glm::vec3(1.0f));
    EXPECT_EQ(cube.m.meshes[0].vertices.size(), 36u);
    for (const vertex& v : cube.m.meshes[0].vertices) {
        // Flat faces: the normal is the axis of the face the corner lies on.
        const glm::vec3 along = v.position * v.normal;
        EXPECT_FLOAT_EQ(along.x + along.y + along.z, 1.0f);
    }
}

// The ball's collision sphere has radius 1 around the body's centre.
TEST_F(asset_models_test, sphere_has_radius_one_about_its_origin) {
    const loaded_model sphere = load(assets::sphere_model);
    ASSERT_EQ(sphere.m.meshes.size(), 1u);
    for (const vertex& v : sphere.m.meshes[0].vertices) {
        ASSERT_NEAR(glm::length(v.position), 1.0f, 0.01f);
    }
    const bounds b = bounds_of(sphere.m);
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(b.low[axis], -1.0f, 0.01f);
        EXPECT_NEAR(b.high[axis], 1.0f, 0.01f);
    }
    // Moderate detail: the ball is drawn in every pass of every frame.
    EXPECT_LE(sphere.m.meshes[0].vertices.size(), 6000u);
}

// Items stand on their position, drawn at half size inside the culling sphere of radius 1.
TEST_F(asset_models_test, item_stands_on_its_origin_about_two_units_across) {
    const loaded_model item = load(assets::item_model);
    const bounds b = bounds_of(item.m);
    EXPECT_NEAR(b.low.y, 0.0f, 1e-5f);
    EXPECT_GT(b.size().x, 1.6f);
    EXPECT_LT(b.size().x, 2.4f);
    EXPECT_GT(b.size().z, 1.6f);
    EXPECT_LT(b.size().z, 2.4f);
    EXPECT_NEAR(b.centre().x, 0.0f, 0.05f);
    EXPECT_NEAR(b.centre().z, 0.0f, 0.05f);
    for (const mesh& part : item.m.meshes) {
        for (const vertex& v : part.vertices) {
            EXPECT_LE(glm::length(v.position * 0.5f), 1.0f);
        }
    }
}

class asset_spider_model_test : public asset_models_test {
protected:
    void SetUp() override {
        asset_models_test::SetUp();
        spider = load(assets::spider_model);
        ASSERT_GE(spider.m.meshes.size(), 10u);
    }

    const mesh& leg(int l) const { return spider.m.meshes[static_cast<std::size_t>(l + 2)]; }

    // The lowest point of a leg, its foot.
    glm::vec3 foot(int l) const {
        glm::vec3 lowest(0.0f, std::numeric_limits<float>::max(), 0.0f);
        for (const vertex& v : leg(l).vertices) {
            if (v.position.y < lowest.y) {
                lowest = v.position;
            }
        }
        return lowest;
    }

    loaded_model spider;
};

TEST_F(asset_spider_model_test, is_about_a_hundred_units_across_and_faces_minus_x) {
    const bounds all = bounds_of(spider.m);
    EXPECT_GT(all.size().x, 80.0f);
    EXPECT_LT(all.size().x, 130.0f);
    EXPECT_GT(all.size().z, 80.0f);
    EXPECT_LT(all.size().z, 130.0f);
    // Mesh 1, the head, leads; mesh 0, the abdomen, trails.
    EXPECT_LT(bounds_of(spider.m.meshes[1]).centre().x, bounds_of(spider.m.meshes[0]).centre().x);
    EXPECT_LT(all.low.x, -45.0f);
}

// The level puts a spider 0.6 below the ball's resting height over its cube, which is 1.4 above
// the cube's position, and the visible cube top is 1.0 above it; the spider is scaled by 0.01 in
// y. So the feet must sit 40 model units below the origin to stand on the cube.
TEST_F(asset_spider_model_test, feet_stand_on_the_cube_top_and_the_body_clears_it) {
    const float spider_y_over_cube = 2.0f - 0.6f;
    const float cube_top_over_cube = 1.0f;
    for (int l = 0; l < 8; ++l) {
        SCOPED_TRACE("leg " + std::to_string(l));
        const float foot_world = spider_y_over_cube + 0.01f * foot(l).y;
        EXPECT_NEAR(foot_world, cube_top_over_cube, 0.01f);
    }
    for (std::size_t k : {0u, 1u}) {
        const float lowest_world = spider_y_over_cube + 0.01f * bounds_of(spider.m.meshes[k]).low.y;
        EXPECT_GT(lowest_world, cube_top_over_cube + 0.05f) << "mesh " << k;
    }
}

// The leg strokes are shared out by leg index: pairs from front to back, left (+z when facing -x)
// before right.
TEST_F(asset_spider_model_test, legs_come_in_pairs_from_front_to_back_left_then_right) {
    for (int pair = 0; pair < 4; ++pair) {
        SCOPED_TRACE("pair " + std::to_string(pair));
        const glm::vec3 left = foot(2 * pair);
        const glm::vec3 right = foot(2 * pair + 1);
        EXPECT_GT(left.z, 10.0f);
        EXPECT_LT(right.z, -10.0f);
        EXPECT_NEAR(left.x, right.x, 0.01f);
        if (pair > 0) {
            EXPECT_GT(left.x, foot(2 * pair - 2).x);
        }
    }
}

// A leg is lifted by up to 12 of its units. The leg is an open tube; its open end must stay
// inside the head at every lift, or the hole would show.
TEST_F(asset_spider_model_test, a_lifted_leg_keeps_its_open_end_inside_the_head) {
    const bounds head = bounds_of(spider.m.meshes[1]);
    const glm::vec3 head_radii = head.size() * 0.5f;
    for (int l = 0; l < 8; ++l) {
        SCOPED_TRACE("leg " + std::to_string(l));
        // Edges that only one triangle uses are the rim of the open end.
        std::map<std::pair<std::array<float, 3>, std::array<float, 3>>, int> edge_use;
        auto key = [](const glm::vec3& p) { return std::array<float, 3>{p.x, p.y, p.z}; };
        const std::vector<vertex>& vertices = leg(l).vertices;
        for (std::size_t i = 0; i + 2 < vertices.size(); i += 3) {
            for (int e = 0; e < 3; ++e) {
                auto a = key(vertices[i + e].position);
                auto b = key(vertices[i + (e + 1) % 3].position);
                ++edge_use[std::minmax(a, b)];
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
                        (glm::vec3(p[0], p[1] + lift, p[2]) - head.centre()) / head_radii;
                    EXPECT_LT(glm::length(offset), 0.97f) << "lift " << lift;
                }
            }
        }
        EXPECT_GT(rim_points, 0);
    }
}

TEST_F(asset_models_test, start_and_finish_images_are_square_24_bit_jpegs) {
    for (const char* path : {assets::start_texture, assets::finish_texture}) {
        SCOPED_TRACE(path);
        const std::string file = platform_path(path);
        ASSERT_EQ(FreeImage_GetFileType(file.c_str(), 0), FIF_JPEG);
        FIBITMAP* image = FreeImage_Load(FIF_JPEG, file.c_str(), 0);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(FreeImage_GetBPP(image), 24u);
        EXPECT_EQ(FreeImage_GetWidth(image), FreeImage_GetHeight(image));
        EXPECT_GE(FreeImage_GetWidth(image), 128u);
        FreeImage_Unload(image);

        const GLuint texture = load_texture(path);
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_GT(width, 0);
    }
}

}  // namespace
}  // namespace quillomar
