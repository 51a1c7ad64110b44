#include "render/asset_preload.h"

#include <algorithm>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <utility>

#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "render/image_decoder.h"
#include "render/mip_chain.h"

namespace quillomar {
namespace {

// Far above any texture the game ships; the limit keeps a wrong file from filling the memory.
constexpr std::size_t max_image_bytes = std::size_t{64} << 20;

}  // namespace

std::optional<decoded_image> decode_image(const std::string& game_path) {
    std::string bytes;
    const bounded_read read = read_bounded(platform_path(game_path), max_image_bytes, bytes);
    if (!read.ok() || read.truncated || bytes.empty()) {
        return std::nullopt;
    }
    decoded_image result;
    std::vector<std::uint8_t> texels;
    if (!decode_image_pixels(bytes, result.width, result.height, texels)) {
        return std::nullopt;
    }
    if (!is_power_of_two(result.width) || !is_power_of_two(result.height)) {
        result.levels.push_back(std::move(texels));
        return result;
    }
    for (int w = result.width, h = result.height;;) {
        std::vector<std::uint8_t> next =
            w == 1 && h == 1 ? std::vector<std::uint8_t>() : next_mip_level(texels, w, h);
        result.levels.push_back(std::move(texels));
        if (w == 1 && h == 1) {
            break;
        }
        texels = std::move(next);
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
    }
    return result;
}

preloaded_assets::preloaded_assets() = default;
preloaded_assets::~preloaded_assets() = default;
preloaded_assets::preloaded_assets(preloaded_assets&&) noexcept = default;
preloaded_assets& preloaded_assets::operator=(preloaded_assets&&) noexcept = default;

imported_scene preloaded_assets::take_scene(const std::string& model_path) {
    const auto found = scenes.find(model_path);
    if (found == scenes.end()) {
        return imported_scene();
    }
    imported_scene scene = std::move(found->second);
    scenes.erase(found);
    return scene;
}

bool preloaded_assets::take_image(const std::string& game_path,
                                  std::optional<decoded_image>& image) {
    const auto found = images.find(game_path);
    if (found == images.end()) {
        return false;
    }
    image = std::move(found->second);
    images.erase(found);
    return true;
}

std::string model_texture_path(const std::string& model_path, const std::string& file_name) {
    const std::size_t last = model_path.find_last_of('\\');
    const std::string directory =
        last == std::string::npos ? model_path : model_path.substr(0, last);
    return directory + "\\" + file_name;
}

unsigned model_import_flags() {
    return aiProcess_Triangulate | aiProcess_FlipUVs;
}

preloaded_assets preload_assets(const std::vector<std::string>& model_paths,
                                const std::vector<std::string>& image_paths) {
    preloaded_assets assets;
    std::vector<std::string> images = image_paths;
    for (const std::string& path : model_paths) {
        imported_scene imported = imported_scene::import(platform_path(path), model_import_flags());
        const aiScene* scene = imported.scene();
        if (scene == nullptr || scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE ||
            scene->mRootNode == nullptr) {
            continue;  // the model loader imports it again and says what is wrong
        }
        const assimp_functions& ai = imported.functions();
        for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
            for (const aiTextureType type :
                 {aiTextureType_DIFFUSE, aiTextureType_SPECULAR, aiTextureType_HEIGHT}) {
                for (unsigned i = 0; i < ai.material_texture_count(scene->mMaterials[m], type);
                     ++i) {
                    aiString name;
                    if (ai.material_texture(scene->mMaterials[m], type, i, &name, nullptr,
                                            nullptr, nullptr, nullptr, nullptr,
                                            nullptr) == AI_SUCCESS) {
                        images.push_back(
                            model_texture_path(path, std::string(name.C_Str(), name.length)));
                    }
                }
            }
        }
        assets.scenes[path] = std::move(imported);
    }
    const image_decoder_hold decoder;
    for (const std::string& path : images) {
        if (assets.images.count(path) == 0) {
            assets.images[path] = decode_image(path);
        }
    }
    return assets;
}

}  // namespace quillomar
