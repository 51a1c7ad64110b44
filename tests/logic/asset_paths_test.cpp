// The game's asset paths and their mapping to this platform.
#include <filesystem>

#include "framework/asset_paths.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(asset_paths, game_paths_map_to_this_platform_and_name_shipped_files) {
    EXPECT_EQ(platform_path(".\\Quillomar\\objects\\cube\\cube.obj"),
              "./Quillomar/objects/cube/cube.obj");
    EXPECT_EQ(platform_path("level.txt"), "level.txt");
    EXPECT_EQ(platform_path(""), "");
}

TEST(PlatformPath, FilesMissingHereComeFromTheInstalledFolder) {
    test::scratch_dir installed;
    installed.write("Quillomar/shader/x.glsl", "");
    installed.write("level.txt", "");
    const std::string dir = installed.path().string();
    EXPECT_EQ(platform_path("level.txt", dir), "level.txt");  // present in the working directory
    EXPECT_EQ(platform_path(".\\Quillomar\\shader\\x.glsl", dir), dir + "/Quillomar/shader/x.glsl");
    EXPECT_EQ(platform_path("Quillomar/shader/x.glsl", dir), dir + "/Quillomar/shader/x.glsl");
    EXPECT_EQ(platform_path(".\\Quillomar\\no.glsl", dir), "./Quillomar/no.glsl");
    EXPECT_EQ(platform_path("/level.txt", dir), "/level.txt");
    EXPECT_EQ(platform_path(".\\Quillomar\\shader\\x.glsl", ""), "./Quillomar/shader/x.glsl");
}

TEST(PlatformPath, ShippedAssetsAreFoundThroughTheirConstants) {
    using namespace assets;
    for (const char* game_path :
         {object_vertex_shader, object_fragment_shader, text_vertex_shader, text_fragment_shader,
          cube_model, sphere_model, item_model, spider_model, start_texture, finish_texture,
          loop_sound, winning_sound, particle_vertex_shader, particle_fragment_shader,
          shadow_vertex_shader, shadow_fragment_shader, passthrough_vertex_shader,
          blur_h_fragment_shader, blur_v_fragment_shader, projector_vertex_shader,
          projector_fragment_shader, font_file, level_file}) {
        EXPECT_TRUE(std::filesystem::exists(test::source_dir() / platform_path(game_path)))
            << game_path;
    }
}

}  // namespace
}  // namespace quillomar
