// The browser links Assimp: the table points at its functions, and the library is never closed.
#include "render/assimp_library.h"

#include <assimp/cimport.h>
#include <assimp/material.h>

namespace quillomar {
namespace {

const assimp_functions linked = {aiImportFile,
                                 aiReleaseImport,
                                 aiGetErrorString,
                                 aiGetMaterialColor,
                                 aiGetMaterialFloatArray,
                                 aiGetMaterialTextureCount,
                                 aiGetMaterialTexture};

}  // namespace

assimp_library assimp_library::open() {
    assimp_library hold;
    hold.functions_ = &linked;
    return hold;
}

assimp_library::~assimp_library() = default;
assimp_library::assimp_library(const assimp_library&) = default;
assimp_library& assimp_library::operator=(const assimp_library&) = default;
assimp_library::assimp_library(assimp_library&&) noexcept = default;
assimp_library& assimp_library::operator=(assimp_library&&) noexcept = default;

bool assimp_library::is_open() {
    return true;
}

}  // namespace quillomar
