// Every file the game may open, written as the game has always named them: relative to the working
// directory, with a leading ".\" and backslash separators. platform_path maps them to this
// platform's form at the moment a file is opened.
#pragma once

#include <string>

namespace quillomar::assets {

inline constexpr const char* level_file = "level.txt";
inline constexpr const char* cube_model = ".\\Quillomar\\objects\\cube\\cube.obj";
inline constexpr const char* cube_vertex_shader = ".\\Quillomar\\shader\\cube\\cube_vertex.glsl";
inline constexpr const char* cube_fragment_shader =
    ".\\Quillomar\\shader\\cube\\cube_fragment.glsl";
inline constexpr const char* sphere_model = ".\\Quillomar\\objects\\sphere\\sphere.obj";
inline constexpr const char* orbel_vertex_shader = ".\\Quillomar\\shader\\orbel\\orbel_vertex.glsl";
inline constexpr const char* orbel_fragment_shader =
    ".\\Quillomar\\shader\\orbel\\orbel_fragment.glsl";
inline constexpr const char* nanosuit_model = ".\\Quillomar\\objects\\nanosuit\\nanosuit.obj";
inline constexpr const char* spider_model = ".\\Quillomar\\objects\\spider_old\\spider.obj";
inline constexpr const char* leg1_left_model = ".\\Quillomar\\objects\\spider\\bein1li.obj";
inline constexpr const char* leg2_left_model = ".\\Quillomar\\objects\\spider\\bein2li.obj";
inline constexpr const char* leg3_left_model = ".\\Quillomar\\objects\\spider\\bein3li.obj";
inline constexpr const char* leg4_left_model = ".\\Quillomar\\objects\\spider\\bein4li.obj";
inline constexpr const char* leg1_right_model = ".\\Quillomar\\objects\\spider\\bein1re.obj";
inline constexpr const char* leg2_right_model = ".\\Quillomar\\objects\\spider\\bein2re.obj";
inline constexpr const char* leg3_right_model = ".\\Quillomar\\objects\\spider\\bein3re.obj";
inline constexpr const char* leg4_right_model = ".\\Quillomar\\objects\\spider\\bein4re.obj";
inline constexpr const char* enemy_vertex_shader = ".\\Quillomar\\shader\\enemy\\enemy_vertex.glsl";
inline constexpr const char* enemy_fragment_shader =
    ".\\Quillomar\\shader\\enemy\\enemy_fragment.glsl";
inline constexpr const char* item_model = ".\\Quillomar\\objects\\item\\item.obj";
inline constexpr const char* item_vertex_shader = ".\\Quillomar\\shader\\item\\item_vertex.glsl";
inline constexpr const char* item_fragment_shader =
    ".\\Quillomar\\shader\\item\\item_fragment.glsl";
inline constexpr const char* light_vertex_shader = ".\\Quillomar\\shader\\light\\light_vertex.glsl";
inline constexpr const char* light_fragment_shader =
    ".\\Quillomar\\shader\\light\\light_fragment.glsl";
inline constexpr const char* object_vertex_shader =
    ".\\Quillomar\\shader\\object\\object_vertex.glsl";
inline constexpr const char* object_fragment_shader =
    ".\\Quillomar\\shader\\object\\object_fragment.glsl";
inline constexpr const char* text_vertex_shader = ".\\Quillomar\\shader\\text\\text_vertex.glsl";
inline constexpr const char* text_fragment_shader =
    ".\\Quillomar\\shader\\text\\text_fragment.glsl";
inline constexpr const char* font_file = ".\\Quillomar\\fonts\\georgia.ttf";
inline constexpr const char* asset_dir = ".\\Quillomar\\";
// The sounds lie in "sounds"; this directory name has always read "sound" and nothing opens it.
inline constexpr const char* sound_dir = ".\\Quillomar\\sound\\";
inline constexpr const char* particle_vertex_shader =
    ".\\Quillomar\\shader\\particle\\particle_vertex.glsl";
inline constexpr const char* particle_fragment_shader =
    ".\\Quillomar\\shader\\particle\\particle_fragment.glsl";
inline constexpr const char* shadow_vertex_shader =
    ".\\Quillomar\\shader\\vsm\\shadowShader_vertex.glsl";
inline constexpr const char* shadow_fragment_shader =
    ".\\Quillomar\\shader\\vsm\\shadowShader_fragment.glsl";
inline constexpr const char* passthrough_vertex_shader =
    ".\\Quillomar\\shader\\vsm\\Passthrough_vertex.glsl";
inline constexpr const char* blur_h_fragment_shader =
    ".\\Quillomar\\shader\\vsm\\blurH_fragment.glsl";
inline constexpr const char* blur_v_fragment_shader =
    ".\\Quillomar\\shader\\vsm\\blurV_fragment.glsl";
inline constexpr const char* projector_vertex_shader =
    ".\\Quillomar\\shader\\projectedTexture\\projector_vertex.glsl";
inline constexpr const char* projector_fragment_shader =
    ".\\Quillomar\\shader\\projectedTexture\\projector_fragment.glsl";
inline constexpr const char* finish_texture = ".\\Quillomar\\texture\\finish.jpg";
inline constexpr const char* start_texture = ".\\Quillomar\\texture\\start.jpeg";
inline constexpr const char* loop_sound = ".\\Quillomar\\sounds\\loop.wav";
inline constexpr const char* winning_sound = ".\\Quillomar\\sounds\\winning.wav";

}  // namespace quillomar::assets

namespace quillomar {

// Maps a game path (".\dir\file", backslashes) to the form this platform's file functions take.
// On POSIX systems every backslash becomes "/"; on Windows the path is returned unchanged.
// A file present in the working directory always wins, so a game started in a source tree plays
// its own assets. A relative path that names nothing there is looked up in the installed data
// folder (installed_data_dir) and that path is returned when it exists; otherwise the mapped path
// is returned, so that the caller's message names the file as the game wrote it.
std::string platform_path(const std::string& game_path);

// As above with the installed data folder given; empty means there is none.
std::string platform_path(const std::string& game_path, const std::string& installed_dir);

// "<directory of this executable>/../share/quillomar", where `cmake --install` puts the assets,
// config.txt and the levels; empty when the executable cannot be located or the folder is absent.
const std::string& installed_data_dir();

}  // namespace quillomar
