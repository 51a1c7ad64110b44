// Draws one frame of a game state: the two projector passes, the shadow pass with its blur, the
// lit scene, the item burst and the HUD. Owns every GL object of the game's picture; reads the
// state and never changes it.
#pragma once

#include <GL/glew.h>

#include <functional>
#include <glm/glm.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "game/hud_lines.h"
#include "render/asset_preload.h"
#include "render/fall_map_overlay.h"
#include "render/level_renderer.h"
#include "render/menu_backdrop.h"
#include "render/offscreen_burst.h"
#include "render/particle_renderer.h"
#include "render/projectors.h"
#include "render/shader_program.h"
#include "render/text_renderer.h"
#include "render/variance_shadow_map.h"

namespace quillomar {

class frame_renderer {
public:
    // What start-up loads from files without GL, for preload_assets to read and decode on a
    // worker thread before the context exists; the loaders below take it from `preloaded`.
    static std::vector<std::string> preloaded_models();
    static std::vector<std::string> preloaded_images();
    preloaded_assets preloaded;

    // Start-up, piece by piece, so the shell can log each step in its place.
    void create_object_program();
    void load_cube();
    void load_item();
    void load_enemy();
    void load_ball();
    void set_initial_gl_state();
    void create_particles();
    void create_shadow_map();
    void create_projectors();
    void create_text();
    // Builds the shadow, projector and text programs ahead of their steps, then lets the
    // compiler go: Mesa keeps its built-in function library (about 6 MiB) until told, and made
    // before the shadow map's and projectors' 25 MiB of targets it is gone by the time they are,
    // which keeps the start's peak down. A program built later makes it again.
    void create_remaining_programs();
    // The HUD font's advances and line height at scale 1, once create_text has run.
    const text_metrics& hud_metrics() const { return hud_text.metrics; }

    // Every pass of a frame into a window of width x height pixels; `extra` HUD lines (from the
    // shell, such as "Paused") are drawn after the game's own, and a `ghost` ball, translucent,
    // where its model matrix puts it.
    void draw(const game_state& state, int width, int height,
              const std::vector<hud_line>& extra = {},
              const std::optional<glm::mat4>& ghost = std::nullopt);

    // A frame of nothing but `lines`, darkened, over black: a screen with no world under it.
    // `s` only lends the HUD its settings.
    void draw_text_only(const game_state& s, int width, int height,
                        const std::vector<hud_line>& lines);

    // Deletes the shadow and projector framebuffers (the rest goes with the renderer).
    void destroy_framebuffers();

    // Called after each part of a frame ("projectors", "shadow", "main", "particles", "hud")
    // when set; the benchmark times the passes with it.
    std::function<void(const char* part)> frame_part_done;
    // Off while the level editor's view is drawn: its HUD is the editor's lines alone.
    bool show_game_hud = true;

    shader_program object_shader;
    // Without some of the look-ups (see level_renderer::reduced_programs).
    shader_program reduced_object_shaders[level_renderer::skip_all];
    level_renderer scene;
    projectors projector;
    variance_shadow_map shadow_map;
    std::unique_ptr<particle_renderer> particles;
    // The burst at a quarter of the frame's pixels; with `full_resolution_burst` the particles
    // are blended straight into the frame instead (the benchmark compares the two).
    std::unique_ptr<offscreen_burst> burst_target;
    bool full_resolution_burst = false;
    text_renderer hud_text;
    // Shadows are cast (the settings may turn them off).
    bool shadows = true;
    // The shadow pass draws and blurs only what the camera's view can look up; off, it covers
    // every caster's footprint (the same picture; the benchmark and the tests compare the two).
    bool shadows_where_seen = true;
    // Every HUD line is drawn this much larger (the text size setting of a game started in the
    // title menu); 1 is the HUD's own size.
    float text_scale = 1.0f;
    // Lines are laid out to fit the window (a game started in the title menu): the game's own
    // lines move apart as the text grows, and every line stays inside the window.
    bool fit_text = false;
    // A menu is open: the frame is darkened and the HUD shows only the `extra` lines.
    bool darkened = false;
    menu_backdrop backdrop;
    // Drawn over the lit scene while shown; the shell sets its cells.
    fall_map_overlay fall_map;
    // Translucent marks over the lit scene for the next frame only (the heading arrow); the
    // shell sets them before each draw that shows them.
    std::vector<tinted_vertex> marks;
    // The HUD lines of the last frame as drawn, kept for tests and tools.
    std::vector<hud_line> drawn_lines;
    // This frame's light and projector matrices, kept for tests and tools.
    light_matrices light;
    projector_matrices projector_frame;

private:
    tinted_triangles marks_drawn;
    void draw_projectors(const game_state& s);
    void draw_shadow_map(const game_state& s, const std::optional<glm::mat4>& ghost);
    void draw_scene(const game_state& s, const std::optional<glm::mat4>& ghost);
    void draw_burst(const game_state& s);
    void draw_hud(const game_state& s, int width, int height,
                  const std::vector<hud_line>& extra);
    void part_done(const char* part) const;
};

}  // namespace quillomar
