#include <FreeImage.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "render/asset_preload.h"
#include "render/model.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// Three one-triangle objects; the first and third share a material with two maps, the second
// has one map of the same file.
const char* const three_objects_mtl =
    "newmtl stone\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6\nKs 0.7 0.8 0.9\nNs 100\nd 0.5\n"
    "map_Kd stone.png\nmap_Ks shine.png\nnewmtl same_stone\nmap_Kd stone.png\n";
const char* const three_objects_obj =
    "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 0 0\nv 6 0 0\nv 5 1 0\nv 9 0 0\nv 10 0 0\n"
    "v 9 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\no first\nusemtl stone\nf 1/1/1 2/2/1 3/3/1\n"
    "o second\nusemtl same_stone\nf 4/1/1 5/2/1 6/3/1\no third\nusemtl stone\nf 7/1/1 8/2/1 "
    "9/3/1\n";

bool mapped(const std::string& library) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        if (line.find(library) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class ModelTest : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        for (const char* name : {"stone.png", "shine.png"}) {
            FIBITMAP* image = FreeImage_Allocate(4, 4, 24);
            FreeImage_Save(FIF_PNG, image, (dir.path() / name).string().c_str(), 0);
            FreeImage_Unload(image);
        }
        dir.write("m.mtl", three_objects_mtl);
        obj_path = dir.write("m.obj", three_objects_obj);
    }

    test::scratch_dir dir;
    std::string obj_path;
    // Game-style path: a backslash before the file name, as the asset constants have it.
    const std::string game_path = dir.path().string() + "\\m.obj";
};

// Meshes in file order with their material (a quarter of the exponent as shininess), tangents
// from the v-flipped UVs, and one texture per file name within a model, not across models.
TEST_F(ModelTest, MeshesFollowTheFileWithMaterialsTangentsAndSharedTextures) {
    model first, second;
    first.load_model(game_path);
    second.load_model(game_path);
    ASSERT_EQ(first.meshes.size(), 3u);
    EXPECT_EQ(first.meshes[2].vertices[0].position.x, 9.0f);
    const material& stone = first.meshes[0].materials.at(0);
    EXPECT_EQ(glm::vec4(stone.ambient.y, stone.diffuse.z, stone.specular.x, stone.opacity),
              glm::vec4(0.2f, 0.6f, 0.7f, 0.5f));
    EXPECT_FLOAT_EQ(stone.shininess, 25.0f);
    EXPECT_EQ(first.meshes[0].vertices[0].tangent, glm::vec3(1, 0, 0));
    EXPECT_EQ(first.meshes[0].vertices[0].bitangent, glm::vec3(0, -1, 0));
    ASSERT_EQ(first.meshes[0].textures.size(), 2u);
    EXPECT_EQ(first.meshes[0].textures[1].type, "texture_specular");
    EXPECT_EQ(first.meshes[1].textures.at(0).id, first.meshes[0].textures[0].id);
    EXPECT_NE(second.meshes.at(0).textures.at(0).id, first.meshes[0].textures[0].id);
}

// Without UVs the tangents are zero, not NaN.
TEST_F(ModelTest, TangentsAreZeroNotNaNWithoutUVs) {
    dir.write("bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    model m;
    m.load_model(dir.path().string() + "\\bare.obj");
    ASSERT_EQ(m.meshes.size(), 1u);
    for (const vertex& v : m.meshes[0].vertices) {
        EXPECT_EQ(v.tangent + v.bitangent, glm::vec3(0.0f));
    }
}

// Without a backslash the whole path is the directory, so the textures are missing and named; a
// failed import prints one line and leaves the model empty.
TEST_F(ModelTest, UnusualPathsAndImportFailuresAreReported) {
    model m, missing;
    test::stream_capture out;
    m.load_model(obj_path);
    EXPECT_EQ(m.meshes.size(), 3u);
    EXPECT_NE(out.text().find(obj_path + "\\stone.png"), std::string::npos) << out.text();
    out.clear();
    missing.load_model(dir.path().string() + "\\missing.obj");
    EXPECT_TRUE(missing.meshes.empty());
    ASSERT_EQ(out.lines().size(), 1u);
    EXPECT_EQ(out.lines()[0].rfind("ERROR::ASSIMP:: ", 0), 0u);
}

// Assimp is in the process only while a scene is held: each load opens and closes it, and a
// preloaded scene keeps it until the loader has taken it.
TEST_F(ModelTest, AssimpLeavesTheProcessWithTheLastScene) {
    for (int load = 0; load < 2; ++load) {
        model m;
        m.load_model(game_path);
        EXPECT_EQ(m.meshes.size(), 3u);
        EXPECT_FALSE(mapped("libassimp.so"));
    }
    preloaded_assets preloaded = preload_assets({game_path}, {});
    EXPECT_TRUE(mapped("libassimp.so"));
    model m;
    m.load_model(game_path, &preloaded);
    EXPECT_EQ(m.meshes.size(), 3u);
    EXPECT_FALSE(mapped("libassimp.so"));
}

}  // namespace
}  // namespace quillomar
