#include "render/model.h"

#include <memory>
#include <new>
#include <utility>

#include "render/gl_handle.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstddef>
#include <iostream>
#include <string>

#include "framework/asset_paths.h"
#include "render/asset_preload.h"
#include "render/assimp_library.h"
#include "render/texture.h"

namespace quillomar {
namespace {

bool all_finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Assimp is given the platform's path; the model keeps the game's form for its textures.
std::string directory_of(const std::string& game_path) {
    const std::size_t last = game_path.find_last_of('\\');
    return last == std::string::npos ? game_path : game_path.substr(0, last);
}

}  // namespace

void compute_tangents(std::vector<vertex>& vertices) {
    const std::size_t whole = vertices.size() - vertices.size() % 3;
    for (std::size_t i = 0; i < whole; i += 3) {
        vertex& v0 = vertices[i];
        vertex& v1 = vertices[i + 1];
        vertex& v2 = vertices[i + 2];
        const glm::vec3 e1 = v1.position - v0.position;
        const glm::vec3 e2 = v2.position - v0.position;
        const glm::vec2 d1 = v1.tex_coords - v0.tex_coords;
        const glm::vec2 d2 = v2.tex_coords - v0.tex_coords;
        const float f = 1.0f / (d1.x * d2.y - d2.x * d1.y);
        glm::vec3 tangent = f * (d2.y * e1 - d1.y * e2);
        glm::vec3 bitangent = f * (d1.x * e2 - d2.x * e1);
        // A degenerate UV triangle would put NaN or infinity into the vertex buffer.
        if (!all_finite(tangent) || !all_finite(bitangent)) {
            tangent = glm::vec3(0.0f);
            bitangent = glm::vec3(0.0f);
        }
        v0.tangent = v1.tangent = v2.tangent = tangent;
        v0.bitangent = v1.bitangent = v2.bitangent = bitangent;
    }
    for (std::size_t i = whole; i < vertices.size(); ++i) {
        vertices[i].tangent = glm::vec3(0.0f);
        vertices[i].bitangent = glm::vec3(0.0f);
    }
}

material load_material(const assimp_functions& ai, const aiMaterial* source) {
    material result;
    aiColor4D color;
    if (ai.material_color(source, AI_MATKEY_COLOR_AMBIENT, &color) == AI_SUCCESS) {
        result.ambient = glm::vec3(color.r, color.g, color.b);
    }
    if (ai.material_color(source, AI_MATKEY_COLOR_DIFFUSE, &color) == AI_SUCCESS) {
        result.diffuse = glm::vec3(color.r, color.g, color.b);
    }
    if (ai.material_color(source, AI_MATKEY_COLOR_SPECULAR, &color) == AI_SUCCESS) {
        result.specular = glm::vec3(color.r, color.g, color.b);
    }
    ai_real value = 0;
    if (ai.material_float_array(source, AI_MATKEY_SHININESS, &value, nullptr) == AI_SUCCESS) {
        result.shininess = static_cast<float>(value) * 0.25f;
    }
    if (ai.material_float_array(source, AI_MATKEY_OPACITY, &value, nullptr) == AI_SUCCESS) {
        result.opacity = static_cast<float>(value);
    }
    return result;
}

void model::load_model(const std::string& path, preloaded_assets* preloaded) {
    imported_scene imported = preloaded != nullptr ? preloaded->take_scene(path) : imported_scene();
    if (imported.scene() == nullptr) {
        imported = imported_scene::import(platform_path(path), model_import_flags());
    }
    const aiScene* scene = imported.scene();
    if (scene == nullptr || scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE ||
        scene->mRootNode == nullptr) {
        // A missing library has said so once already.
        if (imported.has_library()) {
            std::cout << "ERROR::ASSIMP:: " << imported.error() << std::endl;
        }
        return;
    }
    directory = directory_of(path);
    preloaded_ = preloaded;
    assimp_ = &imported.functions();
    process_node(scene->mRootNode, scene);
    assimp_ = nullptr;
    preloaded_ = nullptr;
}

void model::process_node(const aiNode* node, const aiScene* scene) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const unsigned index = node->mMeshes[i];
        if (index < scene->mNumMeshes) {
            meshes.push_back(process_mesh(scene->mMeshes[index], scene));
        }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        process_node(node->mChildren[i], scene);
    }
}

mesh model::process_mesh(const aiMesh* source, const aiScene* scene) {
    mesh result;
    result.vertices.reserve(source->mNumVertices);
    for (unsigned i = 0; i < source->mNumVertices; ++i) {
        vertex v;
        v.position =
            glm::vec3(source->mVertices[i].x, source->mVertices[i].y, source->mVertices[i].z);
        if (source->mNormals != nullptr) {
            v.normal =
                glm::vec3(source->mNormals[i].x, source->mNormals[i].y, source->mNormals[i].z);
        }
        if (source->mTextureCoords[0] != nullptr) {
            v.tex_coords =
                glm::vec2(source->mTextureCoords[0][i].x, source->mTextureCoords[0][i].y);
        }
        result.vertices.push_back(v);
    }
    for (unsigned f = 0; f < source->mNumFaces; ++f) {
        const aiFace& face = source->mFaces[f];
        result.indices.insert(result.indices.end(), face.mIndices,
                              face.mIndices + face.mNumIndices);
    }

    const aiMaterial* source_material = source->mMaterialIndex < scene->mNumMaterials
                                            ? scene->mMaterials[source->mMaterialIndex]
                                            : nullptr;
    if (source_material != nullptr) {
        for (const auto& [type, type_name] :
             {std::pair<aiTextureType, const char*>{aiTextureType_DIFFUSE, "texture_diffuse"},
              {aiTextureType_SPECULAR, "texture_specular"},
              {aiTextureType_HEIGHT, "texture_normal"}}) {
            std::vector<mesh_texture> maps =
                load_material_textures(source_material, type, type_name);
            result.textures.insert(result.textures.end(), maps.begin(), maps.end());
        }
        result.materials.push_back(load_material(*assimp_, source_material));
    } else {
        result.materials.push_back(material{});
    }

    compute_tangents(result.vertices);
    result.setup_mesh();
    return result;
}

std::vector<mesh_texture> model::load_material_textures(const aiMaterial* source, int type,
                                                        const char* type_name) {
    const auto texture_type = static_cast<aiTextureType>(type);
    std::vector<mesh_texture> result;
    for (unsigned i = 0; i < assimp_->material_texture_count(source, texture_type); ++i) {
        aiString name;
        if (assimp_->material_texture(source, texture_type, i, &name, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr) != AI_SUCCESS) {
            continue;
        }
        const std::string file_name(name.C_Str(), name.length);
        bool cached = false;
        for (const mesh_texture& loaded : textures_loaded) {
            if (loaded.path == file_name) {
                result.push_back(loaded);
                cached = true;
                break;
            }
        }
        if (cached) {
            continue;
        }
        mesh_texture texture;
        texture.id = texture_from_file(file_name.c_str(), directory, preloaded_);
        texture.type = type_name;
        texture.path = file_name;
        result.push_back(texture);
        textures_loaded.push_back(texture);
    }
    return result;
}

mesh::~mesh() {
    release_gl_names(gl_kind::buffer, {&vbo, &ebo});
    release_gl_names(gl_kind::vertex_array, {&vao});
}

mesh::mesh(mesh&& other) noexcept
    : vertices(std::move(other.vertices)),
      indices(std::move(other.indices)),
      textures(std::move(other.textures)),
      materials(std::move(other.materials)),
      mipmap_mode(other.mipmap_mode),
      nearest_sampling(other.nearest_sampling),
      vao(std::exchange(other.vao, 0)),
      vbo(std::exchange(other.vbo, 0)),
      ebo(std::exchange(other.ebo, 0)) {}

mesh& mesh::operator=(mesh&& other) noexcept {
    if (this != &other) {
        this->~mesh();
        new (this) mesh(std::move(other));
    }
    return *this;
}

model::~model() {
    for (mesh_texture& t : textures_loaded) {
        release_gl_names(gl_kind::texture, {&t.id});
    }
}

model& model::operator=(model&& other) noexcept {
    if (this != &other) {
        this->~model();
        new (this) model(std::move(other));
    }
    return *this;
}

void mesh::setup_mesh() {
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ebo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(vertex)),
                 vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned)), indices.data(),
                 GL_STATIC_DRAW);

    struct attribute {
        GLuint location;
        GLint components;
        std::size_t offset;
    };
    const attribute layout[] = {{0, 3, offsetof(vertex, position)},
                                {1, 3, offsetof(vertex, normal)},
                                {2, 2, offsetof(vertex, tex_coords)},
                                {3, 3, offsetof(vertex, tangent)},
                                {4, 3, offsetof(vertex, bitangent)}};
    for (const attribute& a : layout) {
        glEnableVertexAttribArray(a.location);
        glVertexAttribPointer(a.location, a.components, GL_FLOAT, GL_FALSE, sizeof(vertex),
                              reinterpret_cast<const void*>(a.offset));
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

bool mesh::covers_what_is_behind() const {
    for (const material& m : materials) {
        if (!(m.opacity >= 1.0f)) {
            return false;
        }
    }
    for (const mesh_texture& t : textures) {
        if (t.type == "texture_diffuse" && !texture_is_opaque(t.id)) {
            return false;
        }
    }
    return true;
}

void mesh::draw(GLuint program) const {
    unsigned diffuse_number = 1;
    unsigned specular_number = 1;
    unsigned normal_number = 1;
    for (std::size_t i = 0; i < textures.size(); ++i) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        const std::string& type = textures[i].type;
        std::string number;
        if (type == "texture_diffuse") {
            number = std::to_string(diffuse_number++);
        } else if (type == "texture_specular") {
            number = std::to_string(specular_number++);
        } else if (type == "texture_normal") {
            number = std::to_string(normal_number++);
        }
        glBindTexture(GL_TEXTURE_2D, textures[i].id);
        apply_sampling(*this);
        glUniform1i(glGetUniformLocation(program, (type + number).c_str()), static_cast<GLint>(i));
    }
    for (const material& m : materials) {
        glUniform1f(glGetUniformLocation(program, "specular_power"), m.shininess);
        glUniform1f(glGetUniformLocation(program, "opacity"), m.opacity);
    }
    // Blending an opaque mesh over what is behind it gives exactly its own colour (alpha 1 keeps
    // none of the background), so it is drawn without: llvmpipe then neither reads the
    // background back nor blends, about a tenth of the frame.
    const bool unblended = covers_what_is_behind() && glIsEnabled(GL_BLEND) == GL_TRUE;
    if (unblended) {
        glDisable(GL_BLEND);
    }
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    if (unblended) {
        glEnable(GL_BLEND);
    }
    for (std::size_t i = 0; i < textures.size(); ++i) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void draw_with_first_mesh_sampling(model& m, GLuint program, unsigned mipmap_mode,
                                   bool nearest_sampling) {
    if (!m.meshes.empty()) {
        m.meshes.front().mipmap_mode = static_cast<int>(mipmap_mode);
        m.meshes.front().nearest_sampling = nearest_sampling;
    }
    for (const mesh& part : m.meshes) {
        part.draw(program);
    }
}

void model::draw_depth() const {
    for (const mesh& m : meshes) {
        glBindVertexArray(m.vao);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m.indices.size()), GL_UNSIGNED_INT,
                       nullptr);
        glBindVertexArray(0);
    }
}

}  // namespace quillomar
