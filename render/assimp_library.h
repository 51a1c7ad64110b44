// Assimp's C functions that the model loaders call, reached through one table. The desktop opens
// the shared library only while something holds it, an imported scene above all: once the last
// model is loaded and its scene released, the library's pages leave the process. A later load
// (the title menu starting a game) opens it again. The browser links Assimp and never closes it.
//
// The scene's structs (aiScene, aiNode, aiMesh, aiFace, aiString, aiColor4D) are read straight
// from the headers; only their inline members may be called, never one that lives in the library.
#pragma once

#include <assimp/scene.h>

#include <string>

namespace quillomar {

struct assimp_functions {
    const aiScene* (*import_file)(const char* path, unsigned flags) = nullptr;
    void (*release_import)(const aiScene* scene) = nullptr;
    const char* (*error_string)() = nullptr;
    aiReturn (*material_color)(const aiMaterial* material, const char* key, unsigned type,
                               unsigned index, aiColor4D* out) = nullptr;
    aiReturn (*material_float_array)(const aiMaterial* material, const char* key, unsigned type,
                                     unsigned index, ai_real* out, unsigned* count) = nullptr;
    unsigned (*material_texture_count)(const aiMaterial* material, aiTextureType type) = nullptr;
    aiReturn (*material_texture)(const aiMaterial* material, aiTextureType type, unsigned index,
                                 aiString* path, aiTextureMapping* mapping, unsigned* uv_index,
                                 ai_real* blend, aiTextureOp* op, aiTextureMapMode* map_mode,
                                 unsigned* flags) = nullptr;
};

// A hold on the library: the first one opens it, the last one to go closes it; copies hold it too.
// Safe on any thread.
class assimp_library {
public:
    // Holds nothing.
    assimp_library() = default;
    // Holds the library, or nothing when it cannot be opened: the first such failure prints one
    // line naming the library, and the game goes on without models.
    static assimp_library open();

    ~assimp_library();
    assimp_library(const assimp_library& other);
    assimp_library& operator=(const assimp_library& other);
    assimp_library(assimp_library&& other) noexcept;
    assimp_library& operator=(assimp_library&& other) noexcept;

    // Null while nothing is held.
    const assimp_functions* functions() const { return functions_; }

    // Whether anything in the process holds the library now.
    static bool is_open();

private:
    const assimp_functions* functions_ = nullptr;
};

// One imported scene, released when it goes; it keeps the library open until then.
class imported_scene {
public:
    imported_scene() = default;
    ~imported_scene();
    imported_scene(imported_scene&& other) noexcept;
    imported_scene& operator=(imported_scene&& other) noexcept;

    // Imports the file at `path` (the platform's form) with Assimp's post-processing `flags`.
    // On failure `scene()` is null and `error()` says why (empty when the library is missing,
    // which it has said itself).
    static imported_scene import(const std::string& path, unsigned flags);

    const aiScene* scene() const { return scene_; }
    const std::string& error() const { return error_; }
    // False when the library could not be opened.
    bool has_library() const { return library_.functions() != nullptr; }
    // The library's functions; only while `has_library()`.
    const assimp_functions& functions() const { return *library_.functions(); }

private:
    assimp_library library_;
    const aiScene* scene_ = nullptr;
    std::string error_;
};

}  // namespace quillomar
