// The desktop opens libassimp.so.5 with dlopen while something holds it, and closes it when the
// last hold goes: Assimp and its libraries make up about 6 MiB of resident pages that the game
// needs only while it loads its models.
#include "render/assimp_library.h"

#include <dlfcn.h>

#include <iostream>
#include <mutex>
#include <utility>

namespace quillomar {
namespace {

constexpr const char* library_name = "libassimp.so.5";
// libdraco binds unique symbols, which keeps it in the process once opened, and with it every
// library it bound a symbol of. Opened on its own first, it binds none of Assimp's, and Assimp
// can go when it is closed. Assimp opens without it where it was built without Draco.
constexpr const char* draco_name = "libdraco.so.7";

struct library_state {
    std::mutex mutex;
    int holds = 0;
    void* assimp = nullptr;
    void* draco = nullptr;
    assimp_functions functions;
    bool failure_reported = false;
};

library_state& state() {
    static library_state s;
    return s;
}

template <typename F>
bool find(void* library, const char* name, F& f) {
    f = reinterpret_cast<F>(dlsym(library, name));
    return f != nullptr;
}

void close_libraries(library_state& s) {
    if (s.assimp != nullptr) {
        dlclose(s.assimp);
        s.assimp = nullptr;
    }
    if (s.draco != nullptr) {
        dlclose(s.draco);
        s.draco = nullptr;
    }
    s.functions = assimp_functions{};
}

// With the lock held: true when the library is open (opening it if nothing held it).
bool open_libraries(library_state& s) {
    if (s.holds > 0) {
        return true;
    }
    s.draco = dlopen(draco_name, RTLD_NOW | RTLD_LOCAL);
    s.assimp = dlopen(library_name, RTLD_NOW | RTLD_LOCAL);
    const char* error = s.assimp == nullptr ? dlerror() : nullptr;
    assimp_functions& f = s.functions;
    const bool complete = s.assimp != nullptr && find(s.assimp, "aiImportFile", f.import_file) &&
                          find(s.assimp, "aiReleaseImport", f.release_import) &&
                          find(s.assimp, "aiGetErrorString", f.error_string) &&
                          find(s.assimp, "aiGetMaterialColor", f.material_color) &&
                          find(s.assimp, "aiGetMaterialFloatArray", f.material_float_array) &&
                          find(s.assimp, "aiGetMaterialTextureCount", f.material_texture_count) &&
                          find(s.assimp, "aiGetMaterialTexture", f.material_texture);
    if (complete) {
        return true;
    }
    close_libraries(s);
    if (!s.failure_reported) {
        s.failure_reported = true;
        std::cout << "ERROR::ASSIMP:: " << library_name << " could not be opened ("
                  << (error != nullptr ? error : "a function is missing")
                  << "); the game goes on without models" << std::endl;
    }
    return false;
}

const assimp_functions* add_hold() {
    library_state& s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (!open_libraries(s)) {
        return nullptr;
    }
    ++s.holds;
    return &s.functions;
}

void drop_hold(const assimp_functions* functions) {
    if (functions == nullptr) {
        return;
    }
    library_state& s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (--s.holds == 0) {
        close_libraries(s);
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
    library_state& s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    return s.holds > 0;
}

}  // namespace quillomar
