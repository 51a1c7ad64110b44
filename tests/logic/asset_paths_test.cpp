#include <gtest/gtest.h>

#include <filesystem>

#include "framework/asset_paths.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(PlatformPath, MapsGamePathsToThePlatformForm) {
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
    // Every constant that the game opens must name a file of the shipped tree.
    for (const char* game_path : {assets::object_vertex_shader,
                                  assets::object_fragment_shader,
                                  assets::text_vertex_shader,
                                  assets::text_fragment_shader,
                                  assets::cube_model,
                                  assets::sphere_model,
                                  assets::item_model,
                                  assets::spider_model,
                                  assets::start_texture,
                                  assets::finish_texture,
                                  assets::loop_sound,
                                  assets::winning_sound,
                                  assets::particle_vertex_shader,
                                  assets::particle_fragment_shader,
                                  assets::shadow_vertex_shader,
                                  assets::shadow_fragment_shader,
                                  assets::passthrough_vertex_shader,
                                  assets::blur_h_fragment_shader,
                                  assets::blur_v_fragment_shader,
                                  assets::projector_vertex_shader,
                                  assets::projector_fragment_shader,
                                  assets::font_file,
                                  assets::level_file}) {
        EXPECT_TRUE(std::filesystem::exists(test::source_dir() / platform_path(game_path)))
            << game_path;
    }
}

}  // namespace
}  // namespace quillomar
