#include "render/assimp_library.h"

#include <mutex>
#include <utility>

namespace quillomar {

imported_scene::~imported_scene() {
    if (scene_ != nullptr) {
        library_.functions()->release_import(scene_);
    }
}

imported_scene::imported_scene(imported_scene&& other) noexcept
    : library_(std::move(other.library_)),
      scene_(std::exchange(other.scene_, nullptr)),
      error_(std::move(other.error_)) {}

imported_scene& imported_scene::operator=(imported_scene&& other) noexcept {
    if (this != &other) {
        // The old scene goes before the old hold on the library.
        imported_scene old(std::move(*this));
        library_ = std::move(other.library_);
        scene_ = std::exchange(other.scene_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

imported_scene imported_scene::import(const std::string& path, unsigned flags) {
    imported_scene result;
    result.library_ = assimp_library::open();
    const assimp_functions* ai = result.library_.functions();
    if (ai == nullptr) {
        return result;
    }
    // Assimp keeps the last import's error in one string for the whole process.
    static std::mutex importing;
    const std::lock_guard<std::mutex> lock(importing);
    result.scene_ = ai->import_file(path.c_str(), flags);
    if (result.scene_ == nullptr) {
        const char* error = ai->error_string();
        result.error_ = error != nullptr ? error : "";
    }
    return result;
}

}  // namespace quillomar
