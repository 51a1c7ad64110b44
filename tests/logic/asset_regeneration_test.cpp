// The asset tree is generated: running the generators again must give back exactly the files in
// the repository, and every model, image and sound there must come from a generator.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "framework/asset_paths.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

namespace fs = std::filesystem;

// The contents of every file below the directories the generators own (fonts and shaders come
// from elsewhere), by path relative to root.
std::map<std::string, std::string> generated_tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const char* directory : {"objects", "texture", "sounds"}) {
        std::error_code absent;
        for (fs::recursive_directory_iterator it(root / directory, absent), end; it != end; ++it) {
            if (it->is_regular_file()) {
                std::ifstream in(it->path(), std::ios::binary);
                files[fs::relative(it->path(), root).generic_string()].assign(
                    std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
        }
    }
    return files;
}

TEST(asset_regeneration_test, the_generators_write_exactly_the_committed_files_byte_for_byte) {
    const test::scratch_dir output;
    for (const char* name : {"generate_models", "generate_images", "generate_sounds"}) {
        const fs::path program = fs::path(QUILLOMAR_BINARY_DIR) / name;
        ASSERT_TRUE(fs::exists(program)) << name << " is not built (build every target first)";
        const std::string command =
            "'" + program.string() + "' '" + output.path().string() + "' > /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << name << " failed";
    }
    const std::map<std::string, std::string> generated = generated_tree(output.path());
    const std::map<std::string, std::string> committed =
        generated_tree(test::source_dir() / "Quillomar");
    for (const auto& [name, content] : committed) {
        EXPECT_EQ(generated.count(name), 1u) << name << " is committed but no generator writes it";
    }
    for (const auto& [name, content] : generated) {
        ASSERT_EQ(committed.count(name), 1u) << name << " is generated but not committed";
        EXPECT_TRUE(committed.at(name) == content)
            << name
            << " differs from the committed file; run the generators from the "
               "repository root and commit the result";
    }
    // The files the game opens by fixed names.
    for (const char* game_path :
         {assets::cube_model, assets::sphere_model, assets::item_model, assets::spider_model,
          assets::start_texture, assets::finish_texture, assets::loop_sound,
          assets::winning_sound}) {
        const std::string below_asset_dir =
            platform_path(game_path).substr(std::string("./Quillomar/").size());
        EXPECT_EQ(generated.count(below_asset_dir), 1u) << game_path;
    }
    // Fonts and shaders included, the whole tree ships beside the program.
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(test::source_dir() / "Quillomar")) {
        total += entry.is_regular_file() ? entry.file_size() : 0;
    }
    EXPECT_LT(total, 5u * 1024u * 1024u);
}

}  // namespace
}  // namespace quillomar
