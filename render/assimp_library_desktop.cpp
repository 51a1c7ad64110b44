// The desktop opens libassimp.so.5 while something holds it and closes it when the last hold
// goes: Assimp's 5 MiB of resident pages are needed only while the models load.
#include "render/assimp_library.h"

#include <utility>

#include "framework/opened_library.h"

namespace quillomar {
namespace {

assimp_functions bound;

bool bind(void* library) {
    assimp_functions& f = bound;
    return find_function(library, "aiImportFile", f.import_file) &&
           find_function(library, "aiReleaseImport", f.release_import) &&
           find_function(library, "aiGetErrorString", f.error_string) &&
           find_function(library, "aiGetMaterialColor", f.material_color) &&
           find_function(library, "aiGetMaterialFloatArray", f.material_float_array) &&
           find_function(library, "aiGetMaterialTextureCount", f.material_texture_count) &&
           find_function(library, "aiGetMaterialTexture", f.material_texture);
}

// libdraco binds unique symbols, which keeps it in the process once opened, and with it every
// library whose symbols it bound. Opened as a dependency of Assimp it binds some of Assimp's
// (the type names of std::shared_ptr's internals), so Assimp would never go; opened on its own
// first, it binds none, and only its own 0.7 MiB stay.
opened_library& library() {
    static opened_library assimp("libassimp.so.5", "libdraco.so.7", bind, "without models");
    return assimp;
}

const assimp_functions* add_hold() {
    return library().hold() ? &bound : nullptr;
}

void drop_hold(const assimp_functions* held) {
    if (held != nullptr) {
        library().release();
    }
}

}  // namespace

assimp_library assimp_library::open() {
    assimp_library hold;
    hold.functions_ = add_hold();
    return hold;
}

assimp_library::~assimp_library() {
    drop_hold(functions_);
}

assimp_library::assimp_library(const assimp_library& other)
    : functions_(other.functions_ != nullptr ? add_hold() : nullptr) {}

assimp_library& assimp_library::operator=(const assimp_library& other) {
    if (this != &other) {
        // The new hold first, so that the library stays open when both name it.
        const assimp_functions* held = other.functions_ != nullptr ? add_hold() : nullptr;
        drop_hold(functions_);
        functions_ = held;
    }
    return *this;
}

assimp_library::assimp_library(assimp_library&& other) noexcept
    : functions_(std::exchange(other.functions_, nullptr)) {}

assimp_library& assimp_library::operator=(assimp_library&& other) noexcept {
    if (this != &other) {
        drop_hold(functions_);
        functions_ = std::exchange(other.functions_, nullptr);
    }
    return *this;
}

bool assimp_library::is_open() {
    return library().is_open();
}

}  // namespace quillomar
