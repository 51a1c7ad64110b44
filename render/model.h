// Wavefront OBJ models imported with Assimp into GPU meshes with their materials and textures.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <string>
#include <vector>

struct aiNode;
struct aiScene;
struct aiMesh;
struct aiMaterial;

namespace quillomar {

struct preloaded_assets;
struct assimp_functions;

// One mesh corner, uploaded as 14 tightly packed floats.
struct vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f};
    glm::vec2 tex_coords{0.0f};
    glm::vec3 tangent{0.0f};
    glm::vec3 bitangent{0.0f};
};

struct mesh_texture {
    GLuint id = 0;
    std::string type;  // "texture_diffuse", "texture_specular" or "texture_normal"
    std::string path;  // the file name as the material stores it; the cache key
};

struct material {
    glm::vec3 ambient{0.0f};
    glm::vec3 diffuse{0.0f};
    glm::vec3 specular{0.0f};
    float shininess = 0.0f;  // a quarter of the MTL specular exponent
    float opacity = 0.0f;
};

struct mesh {
    std::vector<vertex> vertices;
    std::vector<unsigned> indices;
    std::vector<mesh_texture> textures;  // diffuse maps, then specular maps, then normal maps
    std::vector<material> materials;     // exactly one: the mesh's material
    int mipmap_mode = 2;
    bool nearest_sampling = false;
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint ebo = 0;

    mesh() = default;
    // The vertex array and buffers go with the mesh; the context must be current.
    ~mesh();
    mesh(const mesh&) = delete;
    mesh& operator=(const mesh&) = delete;
    mesh(mesh&& other) noexcept;
    mesh& operator=(mesh&& other) noexcept;

    // Creates the vertex array and uploads vertices and indices.
    void setup_mesh();

    // Binds the textures to units 0 and up, sets the sampler, "specular_power" and "opacity"
    // uniforms of `program` (which the caller has made current) and draws the triangles.
    void draw(GLuint program) const;

    // True when the mesh hides what is behind it: its material is fully opaque and no diffuse map
    // has a translucent texel.
    bool covers_what_is_behind() const;
};

struct model {
    std::vector<mesh> meshes;  // in node-walk order
    std::string directory;     // the model path up to its last backslash
    std::vector<mesh_texture> textures_loaded;

    model() = default;
    // The loaded textures go with the model (the meshes take their own objects along).
    ~model();
    model(const model&) = delete;
    model& operator=(const model&) = delete;
    model(model&& other) noexcept = default;
    model& operator=(model&& other) noexcept;

    // Imports the file; an import failure prints "ERROR::ASSIMP:: ..." and leaves the model empty.
    // A scene and images in `preloaded` are taken from there instead of being read now.
    void load_model(const std::string& path, preloaded_assets* preloaded = nullptr);

    // Every mesh's triangles with whatever program and uniforms are current.
    void draw_depth() const;

private:
    preloaded_assets* preloaded_ = nullptr;    // only while load_model runs
    const assimp_functions* assimp_ = nullptr;  // only while load_model runs
    void process_node(const aiNode* node, const aiScene* scene);
    mesh process_mesh(const aiMesh* source, const aiScene* scene);
    std::vector<mesh_texture> load_material_textures(const aiMaterial* source, int type,
                                                     const char* type_name);
};

// Draws every mesh of the model with `program` (in use, its object uniforms set), after writing
// the sampling options into the first mesh only, as the ball, cube and item draws do.
void draw_with_first_mesh_sampling(model& m, GLuint program, unsigned mipmap_mode,
                                   bool nearest_sampling);

// The material's colours, shininess (times 0.25) and opacity; absent keys stay 0.
material load_material(const assimp_functions& ai, const aiMaterial* source);

// Per-triangle tangent space of consecutive vertex triples. A triangle whose texture coordinates
// are degenerate gets zero tangent and bitangent; a trailing partial triangle gets zeros too.
void compute_tangents(std::vector<vertex>& vertices);

}  // namespace quillomar
