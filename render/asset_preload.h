// What start-up can read and decode before there is a GL context: the models' imported scenes and
// the pixels of every image they and the projectors show, mip levels made. A worker thread fills
// it while the window opens; the loaders then only upload.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "render/assimp_library.h"
#include "render/image_decoder.h"

namespace quillomar {

// An image as the texture loaders upload it: 32-bit rows (render/image_decoder.h says in which
// order), bottom row first. `levels` holds the mip chain for power-of-two sizes and only the
// image itself otherwise (the driver then makes the rest).
struct decoded_image {
    int width = 0;
    int height = 0;
    std::vector<std::vector<std::uint8_t>> levels;
};

// Reads and decodes an image file (any format FreeImage detects) by its game path, through the
// bounded reader; nullopt when it is missing, not a regular file, too large or undecodable.
std::optional<decoded_image> decode_image(const std::string& game_path);

struct preloaded_assets {
    preloaded_assets();
    ~preloaded_assets();
    preloaded_assets(preloaded_assets&&) noexcept;
    preloaded_assets& operator=(preloaded_assets&&) noexcept;

    // By the model's game path: the scene, only for models that imported. Each keeps Assimp open.
    std::map<std::string, imported_scene> scenes;
    // By the image's game path, as texture_from_file and load_texture name it.
    std::map<std::string, std::optional<decoded_image>> images;

    // Takes the scene of `model_path` out, or an empty one when it was not preloaded.
    imported_scene take_scene(const std::string& model_path);
    // Takes the image out; false when it was not preloaded (the caller decodes it itself).
    bool take_image(const std::string& game_path, std::optional<decoded_image>& image);
};

// Imports the models, decodes every texture their materials name and the other images. Safe on a
// thread of its own: it touches no GL and prints nothing (but the one line of a missing Assimp).
// Both loaders' libraries held open. Made on the thread that opens the window, before it does:
// opening them takes the dynamic loader's lock, which the GL driver's own loading waits on, so
// opened on the preloading worker they held the window up by about 20 ms. The worker keeps them
// until it is done; what it preloaded holds them on until taken.
struct loader_libraries {
    assimp_library models = assimp_library::open();
    image_decoder_hold images;
};

preloaded_assets preload_assets(const std::vector<std::string>& model_paths,
                                const std::vector<std::string>& image_paths);

// The game path of a texture a model's material names, as the model loader builds it.
std::string model_texture_path(const std::string& model_path, const std::string& file_name);

// Assimp's options for every model the game imports.
unsigned model_import_flags();

}  // namespace quillomar
