#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/model.h"
#include "render/shader_program.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

class ModelTest : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        write_png("stone.png");
        write_png("shine.png");
    }

    void write_png(const std::string& name) {
        FIBITMAP* image = FreeImage_Allocate(4, 4, 24);
        const std::string path = (dir.path() / name).string();
        FreeImage_Save(FIF_PNG, image, path.c_str(), 0);
        FreeImage_Unload(image);
    }

    // Game-style path: backslash before the file name, as the asset constants have it.
    std::string game_path(const std::string& name) const {
        return dir.path().string() + "\\" + name;
    }

    test::scratch_dir dir;
};

const char* const three_objects_mtl = R"(newmtl stone
Ka 0.1 0.2 0.3
Kd 0.4 0.5 0.6
Ks 0.7 0.8 0.9
Ns 100
d 0.5
map_Kd stone.png
map_Ks shine.png
newmtl same_stone
Kd 1 1 1
map_Kd stone.png
)";

const char* const three_objects_obj = R"(mtllib m.mtl
v 0 0 0
v 1 0 0
v 0 1 0
v 5 0 0
v 6 0 0
v 5 1 0
v 9 0 0
v 10 0 0
v 9 1 0
vt 0 0
vt 1 0
vt 0 1
vn 0 0 1
o first
usemtl stone
f 1/1/1 2/2/1 3/3/1
o second
usemtl same_stone
f 4/1/1 5/2/1 6/3/1
o third
usemtl stone
f 7/1/1 8/2/1 9/3/1
)";

TEST_F(ModelTest, MeshesFollowTheNodeWalkAndShareTexturesWithinAModel) {
    dir.write("m.mtl", three_objects_mtl);
    dir.write("m.obj", three_objects_obj);
    model first;
    first.load_model(game_path("m.obj"));
    ASSERT_EQ(first.meshes.size(), 3u);
    EXPECT_FLOAT_EQ(first.meshes[0].vertices[0].position.x, 0.0f);
    EXPECT_FLOAT_EQ(first.meshes[1].vertices[0].position.x, 5.0f);
    EXPECT_FLOAT_EQ(first.meshes[2].vertices[0].position.x, 9.0f);
    EXPECT_EQ(first.directory, dir.path().string());

    // One file name, one texture within the model: diffuse then specular on the first mesh.
    ASSERT_EQ(first.meshes[0].textures.size(), 2u);
    EXPECT_EQ(first.meshes[0].textures[0].type, "texture_diffuse");
    EXPECT_EQ(first.meshes[0].textures[1].type, "texture_specular");
    ASSERT_EQ(first.meshes[1].textures.size(), 1u);
    EXPECT_EQ(first.meshes[1].textures[0].id, first.meshes[0].textures[0].id);
    EXPECT_EQ(first.meshes[2].textures[0].id, first.meshes[0].textures[0].id);
    EXPECT_EQ(first.textures_loaded.size(), 2u);

    // The cache is per model: a second model loads the same file again.
    model second;
    second.load_model(game_path("m.obj"));
    ASSERT_EQ(second.meshes.size(), 3u);
    EXPECT_NE(second.meshes[0].textures[0].id, first.meshes[0].textures[0].id);
}

TEST_F(ModelTest, MaterialValuesAreReadWithShininessQuartered) {
    dir.write("m.mtl", three_objects_mtl);
    dir.write("m.obj", three_objects_obj);
    model m;
    m.load_model(game_path("m.obj"));
    ASSERT_EQ(m.meshes.size(), 3u);
    ASSERT_EQ(m.meshes[0].materials.size(), 1u);
    const material& stone = m.meshes[0].materials[0];
    EXPECT_FLOAT_EQ(stone.ambient.y, 0.2f);
    EXPECT_FLOAT_EQ(stone.diffuse.z, 0.6f);
    EXPECT_FLOAT_EQ(stone.specular.x, 0.7f);
    EXPECT_FLOAT_EQ(stone.shininess, 25.0f);
    EXPECT_FLOAT_EQ(stone.opacity, 0.5f);
    EXPECT_EQ(m.meshes[0].mipmap_mode, 2);
    EXPECT_FALSE(m.meshes[0].nearest_sampling);
}

TEST_F(ModelTest, TangentsOfAKnownTriangle) {
    dir.write("m.mtl", three_objects_mtl);
    dir.write("m.obj", three_objects_obj);
    model m;
    m.load_model(game_path("m.obj"));
    ASSERT_FALSE(m.meshes.empty());
    // The import flips v, so the UV triangle (0,0) (1,0) (0,1) arrives as (0,1) (1,1) (0,0).
    for (const vertex& v : m.meshes[0].vertices) {
        EXPECT_FLOAT_EQ(v.tangent.x, 1.0f);
        EXPECT_FLOAT_EQ(v.tangent.y, 0.0f);
        EXPECT_FLOAT_EQ(v.bitangent.y, -1.0f);
        EXPECT_FLOAT_EQ(v.bitangent.x, 0.0f);
        EXPECT_FLOAT_EQ(v.normal.z, 1.0f);
    }
}

TEST_F(ModelTest, MeshWithoutUvsOrNormalsGetsZerosNotNaN) {
    dir.write("bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    model m;
    m.load_model(game_path("bare.obj"));
    ASSERT_EQ(m.meshes.size(), 1u);
    for (const vertex& v : m.meshes[0].vertices) {
        EXPECT_EQ(v.tex_coords, glm::vec2(0.0f));
        EXPECT_EQ(v.tangent, glm::vec3(0.0f));
        EXPECT_EQ(v.bitangent, glm::vec3(0.0f));
        EXPECT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y));
    }
}

TEST(Tangents, TrailingPartialTriangleAndDegenerateUvsGetZeros) {
    std::vector<vertex> vertices(5);
    vertices[1].position = {1, 0, 0};
    vertices[2].position = {0, 1, 0};
    vertices[3].tangent = {9, 9, 9};
    compute_tangents(vertices);
    for (const vertex& v : vertices) {
        EXPECT_EQ(v.tangent, glm::vec3(0.0f));
        EXPECT_EQ(v.bitangent, glm::vec3(0.0f));
    }
}

TEST_F(ModelTest, PathWithoutBackslashUsesTheWholePathAsDirectory) {
    dir.write("m.mtl", three_objects_mtl);
    const std::string path = dir.write("m.obj", three_objects_obj);
    model m;
    test::stream_capture out;
    m.load_model(path);
    EXPECT_EQ(m.directory, path);
    ASSERT_EQ(m.meshes.size(), 3u);
    // Its textures are looked for below a directory named like the model file, so they fail.
    EXPECT_NE(out.text().find(path + "\\stone.png"), std::string::npos) << out.text();
}

TEST_F(ModelTest, ImportFailureLeavesAnEmptyModel) {
    test::stream_capture out;
    model m;
    m.load_model(game_path("missing.obj"));
    EXPECT_TRUE(m.meshes.empty());
    ASSERT_EQ(out.lines().size(), 1u);
    EXPECT_EQ(out.lines()[0].rfind("ERROR::ASSIMP:: ", 0), 0u);
}

TEST_F(ModelTest, MeshDrawSetsSamplersByTypeCountAndMaterialUniforms) {
    const std::string vs = dir.write("v.glsl", R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)");
    const std::string fs = dir.write("f.glsl", R"(#version 330 core
uniform sampler2D texture_diffuse1;
uniform sampler2D texture_diffuse2;
uniform sampler2D texture_normal1;
uniform float specular_power;
uniform float opacity;
out vec4 color;
void main() {
    color = texture(texture_diffuse1, vec2(0.5)) + texture(texture_diffuse2, vec2(0.5)) +
            texture(texture_normal1, vec2(0.5)) + vec4(specular_power, opacity, 0.0, 0.0);
}
)");
    const shader_program shader(vs.c_str(), fs.c_str());
    GLuint names[3] = {};
    glGenTextures(3, names);
    mesh m;
    m.vertices.resize(3);
    m.indices = {0, 1, 2};
    m.textures = {{names[0], "texture_diffuse", "a.png"},
                  {names[1], "texture_diffuse", "b.png"},
                  {names[2], "texture_normal", "c.png"}};
    material stone;
    stone.shininess = 25.0f;
    stone.opacity = 0.75f;
    m.materials = {stone};
    m.setup_mesh();
    glUseProgram(shader.program);
    m.draw(shader.program);
    auto sampler = [&](const char* name) {
        GLint unit = -1;
        glGetUniformiv(shader.program, glGetUniformLocation(shader.program, name), &unit);
        return unit;
    };
    auto number = [&](const char* name) {
        GLfloat value = -1.0f;
        glGetUniformfv(shader.program, glGetUniformLocation(shader.program, name), &value);
        return value;
    };
    EXPECT_EQ(sampler("texture_diffuse1"), 0);
    EXPECT_EQ(sampler("texture_diffuse2"), 1);
    EXPECT_EQ(sampler("texture_normal1"), 2);
    EXPECT_FLOAT_EQ(number("specular_power"), 25.0f);
    EXPECT_FLOAT_EQ(number("opacity"), 0.75f);
    glUseProgram(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace quillomar
