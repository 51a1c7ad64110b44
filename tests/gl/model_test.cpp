#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/model.h"
#include "render/shader_program.h"
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
    "v 9 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\n"
    "o first\nusemtl stone\nf 1/1/1 2/2/1 3/3/1\n"
    "o second\nusemtl same_stone\nf 4/1/1 5/2/1 6/3/1\n"
    "o third\nusemtl stone\nf 7/1/1 8/2/1 9/3/1\n";

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

    // Game-style path: backslash before the file name, as the asset constants have it.
    std::string game_path(const std::string& name) const {
        return dir.path().string() + "\\" + name;
    }

    test::scratch_dir dir;
    std::string obj_path;
};

TEST_F(ModelTest, MeshesFollowTheNodeWalkWithMaterialsTangentsAndSharedTextures) {
    model first;
    first.load_model(game_path("m.obj"));
    ASSERT_EQ(first.meshes.size(), 3u);
    EXPECT_EQ(first.directory, dir.path().string());
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(first.meshes[k].vertices[0].position.x, std::vector({0.0f, 5.0f, 9.0f})[k]);
    }
    const material& stone = first.meshes[0].materials.at(0);
    const float read[] = {stone.ambient.y, stone.diffuse.z, stone.specular.x, stone.opacity,
                          stone.shininess};
    const float written[] = {0.2f, 0.6f, 0.7f, 0.5f, 100.0f / 4};  // a quarter of the exponent
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(read[i], written[i]) << i;
    }
    // The import flips v, so the UV triangle (0,0) (1,0) (0,1) arrives as (0,1) (1,1) (0,0).
    for (const vertex& v : first.meshes[0].vertices) {
        EXPECT_EQ(v.tangent, glm::vec3(1.0f, 0.0f, 0.0f));
        EXPECT_EQ(v.bitangent, glm::vec3(0.0f, -1.0f, 0.0f));
        EXPECT_EQ(v.normal, glm::vec3(0.0f, 0.0f, 1.0f));
    }
    // One file name, one texture within the model: diffuse then specular on the first mesh.
    ASSERT_EQ(first.meshes[0].textures.size(), 2u);
    EXPECT_EQ(first.meshes[0].textures[0].type, "texture_diffuse");
    EXPECT_EQ(first.meshes[0].textures[1].type, "texture_specular");
    EXPECT_EQ(first.textures_loaded.size(), 2u);
    for (std::size_t k : {1u, 2u}) {
        EXPECT_EQ(first.meshes[k].textures.at(0).id, first.meshes[0].textures[0].id) << k;
    }
    // The cache is per model: a second model loads the same file again.
    model second;
    second.load_model(game_path("m.obj"));
    ASSERT_EQ(second.meshes.size(), 3u);
    EXPECT_NE(second.meshes[0].textures[0].id, first.meshes[0].textures[0].id);
}

// Missing UVs, a degenerate UV triangle and a trailing partial triangle give zero tangents.
TEST_F(ModelTest, TangentsAreZeroNotNaNWhereTheyDoNotExist) {
    dir.write("bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    model m;
    m.load_model(game_path("bare.obj"));
    ASSERT_EQ(m.meshes.size(), 1u);
    std::vector<vertex> vertices = m.meshes[0].vertices;
    vertices.resize(5);
    vertices[3].tangent = {9, 9, 9};
    vertices[4].position = {1, 1, 1};
    compute_tangents(vertices);
    for (const vertex& v : vertices) {
        EXPECT_EQ(v.tex_coords, glm::vec2(0.0f));
        EXPECT_EQ(v.tangent, glm::vec3(0.0f));
        EXPECT_EQ(v.bitangent, glm::vec3(0.0f));
    }
}

// Without a backslash the whole path is the directory: its textures are looked for below a
// directory named like the model file, so they fail. An import failure leaves the model empty.
TEST_F(ModelTest, UnusualPathsAndImportFailuresAreReported) {
    model m;
    test::stream_capture out;
    m.load_model(obj_path);
    EXPECT_EQ(m.directory, obj_path);
    EXPECT_EQ(m.meshes.size(), 3u);
    EXPECT_NE(out.text().find(obj_path + "\\stone.png"), std::string::npos) << out.text();

    out.clear();
    model missing;
    missing.load_model(game_path("missing.obj"));
    EXPECT_TRUE(missing.meshes.empty());
    ASSERT_EQ(out.lines().size(), 1u);
    EXPECT_EQ(out.lines()[0].rfind("ERROR::ASSIMP:: ", 0), 0u);
}

// Two maps of each type, interleaved: each sampler is numbered within its type and gets the unit
// of its place in the list.
TEST_F(ModelTest, MeshDrawSetsSamplersByTypeCountAndMaterialUniforms) {
    const std::string samplers[] = {"texture_diffuse1", "texture_specular1", "texture_normal1",
                                    "texture_diffuse2", "texture_specular2", "texture_normal2"};
    std::string source = "#version 330 core\nuniform float specular_power, opacity;\n";
    std::string sum = "vec4(specular_power, opacity, 0, 0)";
    mesh m;
    for (const std::string& name : samplers) {
        source += "uniform sampler2D " + name + ";\n";
        sum += " + texture(" + name + ", vec2(0.5))";
        m.textures.push_back({0, name.substr(0, name.size() - 1), name + ".png"});
        glGenTextures(1, &m.textures.back().id);
    }
    const std::string vs = dir.write("v.glsl", "#version 330 core\nvoid main() {}\n");
    const std::string fs =
        dir.write("f.glsl", source + "out vec4 color;\nvoid main() { color = " + sum + "; }\n");
    const shader_program shader(vs.c_str(), fs.c_str());
    m.vertices.resize(3);
    m.indices = {0, 1, 2};
    m.materials = {material{{}, {}, {}, 25.0f, 0.75f}};
    m.setup_mesh();
    glUseProgram(shader.program);
    m.draw(shader.program);
    std::vector<GLint> units;
    for (const std::string& name : samplers) {
        units.push_back(-1);
        glGetUniformiv(shader.program, glGetUniformLocation(shader.program, name.c_str()),
                       &units.back());
    }
    EXPECT_EQ(units, std::vector<GLint>({0, 1, 2, 3, 4, 5}));
    GLfloat values[2] = {-1.0f, -1.0f};
    glGetUniformfv(shader.program, glGetUniformLocation(shader.program, "specular_power"), values);
    glGetUniformfv(shader.program, glGetUniformLocation(shader.program, "opacity"), values + 1);
    EXPECT_EQ(std::vector(values, values + 2), std::vector({25.0f, 0.75f}));
    glUseProgram(0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
}  // namespace quillomar
