#include "render/frame_renderer.h"

#include "game/hud_layout.h"

#include "camera/camera_math.h"
#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "game/hud_lines.h"
#include "game/words.h"
#include "render/shader_constants.h"
#include "render/gl_platform.h"

namespace quillomar {
namespace {

// The projection builders take their angles in radians: 45 and 20 are radians here.
const glm::mat4 light_projection = perspective(45.0f, 1.3333334f, 0.1f, 100.0f);
const glm::mat4 projector_projection = perspective(20.0f, 1.7f, 0.1f, 50.0f);
const glm::vec3 light_up(0.0f, 1.0f, 0.0f);
constexpr GLbitfield depth_and_stencil_clear = GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
const glm::mat4 bias(glm::vec4(0.5f, 0.0f, 0.0f, 0.0f), glm::vec4(0.0f, 0.5f, 0.0f, 0.0f),
                     glm::vec4(0.0f, 0.0f, 0.5f, 0.0f), glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));

void bind_texture(int unit, GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, texture);
}

// Generous bounds of what the shadow casters draw: the ball (radius 1), an item model (about
// one unit across at its scale, standing on its origin) and a spider with its legs stretched.
std::vector<glm::vec4> shadow_caster_spheres(const game_state& s) {
    constexpr float ball_radius = 1.1f;
    constexpr float item_radius = 1.6f;
    constexpr float spider_radius = 2.5f;
    std::vector<glm::vec4> spheres;
    spheres.reserve(1 + s.level.items.size() + s.level.enemies.size());
    spheres.emplace_back(s.ball.position, ball_radius);
    for (const glm::vec3& item : s.level.items) {
        spheres.emplace_back(item, item_radius);
    }
    for (const glm::vec3& enemy : s.level.enemies) {
        spheres.emplace_back(enemy, spider_radius);
    }
    return spheres;
}

}  // namespace

void frame_renderer::create_object_program() {
    object_shader = shader_program(assets::object_vertex_shader, assets::object_fragment_shader);
    // Program `skip` leaves out the look-ups whose bits it has (level_renderer::skip_*).
    for (int skip = 1; skip <= level_renderer::skip_all; ++skip) {
        std::string defines;
        if ((skip & level_renderer::skip_start) != 0) {
            defines += "#define SKIP_START_PROJECTOR\n";
        }
        if ((skip & level_renderer::skip_finish) != 0) {
            defines += "#define SKIP_FINISH_PROJECTOR\n";
        }
        if ((skip & level_renderer::skip_shadow) != 0) {
            defines += "#define SKIP_SHADOW\n";
        }
        reduced_object_shaders[skip - 1] =
            shader_program(assets::object_vertex_shader, assets::object_fragment_shader, defines);
    }
}

void frame_renderer::load_cube() {
    // The checks carry the places the cube's start-up has always reported errors at.
    QLM_CHECK_GL();
    QLM_CHECK_GL();
    scene.cube_model.load_model(assets::cube_model, &preloaded);
    QLM_CHECK_GL();
    scene.program = object_shader.program;
    for (int i = 0; i < level_renderer::skip_all; ++i) {
        scene.reduced_programs[i] = reduced_object_shaders[i].program;
    }
}

void frame_renderer::load_item() {
    scene.item_model.load_model(assets::item_model, &preloaded);
}

void frame_renderer::load_enemy() {
    scene.enemy_renderer.init(assets::spider_model, &preloaded);
    scene.enemy_renderer.program = object_shader.program;
}

void frame_renderer::load_ball() {
    scene.ball_model.load_model(assets::sphere_model, &preloaded);
}

void frame_renderer::set_initial_gl_state() {
    glClearColor(0.0f, 0.0f, 0.4f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
}

void frame_renderer::create_particles() {
    particles = std::make_unique<particle_renderer>();
    burst_target = std::make_unique<offscreen_burst>();
}

void frame_renderer::create_shadow_map() {
    shadow_map.create_programs();
    shadow_map.create_quad();
    shadow_map.create_framebuffers();
}

void frame_renderer::create_projectors() {
    projector.setup(&preloaded);
}

std::vector<std::string> frame_renderer::preloaded_models() {
    return {assets::cube_model, assets::item_model, assets::spider_model, assets::sphere_model};
}

std::vector<std::string> frame_renderer::preloaded_images() {
    return {assets::start_texture, assets::finish_texture};
}

void frame_renderer::create_text() {
    hud_text.setup();
}

void frame_renderer::create_remaining_programs() {
    shadow_map.create_programs();
    projector.create_program();
    hud_text.create_program();
    glReleaseShaderCompiler();
}

void frame_renderer::destroy_framebuffers() {
    shadow_map.destroy_framebuffers();
    projector.destroy_framebuffers();
    if (burst_target) {
        burst_target->release_targets();
    }
}

void frame_renderer::part_done(const char* part) const {
    if (frame_part_done) {
        frame_part_done(part);
    }
}

void frame_renderer::draw_projectors(const game_state& s) {
    projector_frame = projector.render(
        s.level.start, s.level.finish,
        [&s](float x, float z) { return s.level.height_at(x, z); }, projector_projection, bias,
        [this, &s](const glm::mat4& vp, GLint location) {
            scene.draw_depth(s.level, s.ball, vp, location);
        },
        [this, &s](const glm::mat4& vp) { return scene.depth_signature(s.level, s.ball, vp); });
}

void frame_renderer::draw_shadow_map(const game_state& s, const std::optional<glm::mat4>& ghost) {
    light = compute_light_matrices(s.light.position, s.level.centre, light_up, light_projection,
                                   bias);
    // The main pass reads the map only under what the camera sees: casters whose blurred
    // shadow falls elsewhere are neither drawn nor blurred (most of the spiders on a large
    // level).
    const texel_rect seen =
        shadows_where_seen
            ? seen_texels(light.light_mvp,
                          scene.receiver_spheres(s.level, s.ball, ghost ? &*ghost : nullptr,
                                                 s.projection * s.view))
            : whole_shadow_map;
    const texel_rect reach = caster_reach(seen);
    const glm::mat4 cull = crop_matrix(reach) * light.light_mvp;
    // Without shadows the pass draws no caster: the map clears to "lit" and the objects take the
    // programs without the shadow look-up.
    shadow_map.render(
        light.light_mvp,
        [&](const glm::mat4& vp, GLint location) {
            if (shadows && !reach.empty()) {
                scene.draw_casters(s.level, s.ball, vp, location, &cull);
            }
        },
        shadows ? shadow_caster_spheres(s) : std::vector<glm::vec4>{}, seen);
}

void frame_renderer::draw_scene(const game_state& s, const std::optional<glm::mat4>& ghost) {
    bind_texture(texture_unit::shadow_map, shadow_map.blurred_texture());
    bind_texture(texture_unit::start_projector_image, projector.projector_color_texture);
    bind_texture(texture_unit::start_projector_depth, projector.projector_depth_texture);
    bind_texture(texture_unit::finish_projector_image, projector.projector_color_texture2);
    bind_texture(texture_unit::finish_projector_depth, projector.projector_depth_texture2);
    glUseProgram(object_shader.program);
    if (s.display.transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    // Ball, cubes, items and spiders are closed and opaque: their back faces are always hidden
    // behind their front faces, so skipping them leaves the picture as it is and halves the
    // fragments the main pass shades. The shadow pass turned culling off; the particles and the
    // HUD are drawn without it.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    object_lighting lighting;
    lighting.projection = s.projection;
    lighting.view = s.view;
    lighting.shadow_matrix = light.shadow_matrix;
    lighting.projected_matrix = projector_frame.projected_matrix;
    lighting.projected_matrix2 = projector_frame.projected_matrix2;
    lighting.light_pos = s.light.position;
    lighting.cam_pos = s.cam_pos;
    lighting.mipmap_mode = static_cast<unsigned>(s.display.mipmap_mode);
    lighting.nearest_sampling = s.display.nearest_sampling;
    lighting.light_mvp = light.light_mvp;
    lighting.shadowed_regions = &shadow_map.caster_regions;
    const glm::mat4 unbias = glm::inverse(bias);
    lighting.start_view = clip_planes(unbias * projector_frame.projected_matrix);
    lighting.finish_view = clip_planes(unbias * projector_frame.projected_matrix2);
    scene.draw_ball(s.ball, lighting);
    scene.draw(s.level, lighting, s.display.culling, s.frustum);
    if (ghost) {
        // Last of the solid objects, blended over them and writing no depth, so the ball and
        // the level show through it.
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        scene.draw_ghost(*ghost, lighting);
        glDepthMask(GL_TRUE);
        if (!s.display.transparency) {
            glDisable(GL_BLEND);
        }
    }
    glDisable(GL_CULL_FACE);
    for (int unit : {texture_unit::shadow_map, texture_unit::start_projector_image,
                     texture_unit::start_projector_depth, texture_unit::finish_projector_image,
                     texture_unit::finish_projector_depth, texture_unit::blur_map,
                     texture_unit::blur_band}) {
        bind_texture(unit, 0);
    }
    glUseProgram(0);
    part_done("main");
}

void frame_renderer::draw_burst(const game_state& s) {
    if (s.particles_active && particles) {
        if (burst_target && !full_resolution_burst) {
            burst_target->draw(*particles, s.particles, s.view, s.projection * s.view,
                               s.display.transparency);
        } else {
            particles->draw(s.particles, s.view, s.projection * s.view);
        }
    }
    part_done("particles");
}

void frame_renderer::draw_hud(const game_state& s, int width, int height,
                              const std::vector<hud_line>& extra) {
    const auto sx = static_cast<float>(2.0 / width);
    const auto sy = static_cast<float>(2.0 / height);
    std::vector<hud_line> lines =
        darkened || !show_game_hud
            ? std::vector<hud_line>{}
            : hud_lines(s, fit_text ? hud_words::player : hud_words::game);
    if (s.display.wireframe && !wireframe_available() && !darkened && show_game_hud) {
        // The key was taken, but this GL draws no edges: say so rather than show nothing.
        hud_line missing;
        missing.text = fit_text ? tr("Wire frame: not available here.")
                                : "Wire frame: not available here.";
        missing.from_left_edge = true;
        missing.x_pixels = 10;
        missing.y_pixels = height - 40;
        missing.tone = hud_tone::behind;
        lines.push_back(missing);
    }
    const auto own = static_cast<std::ptrdiff_t>(lines.size());
    lines.insert(lines.end(), extra.begin(), extra.end());
    if (fit_text) {
        const hud_frame frame{width, height, text_scale, hud_text.metrics};
        // The game's own lines and what play puts beside the clock go along the top, clear of
        // the ball; the rest stands where its screen put it.
        lines = kept_on_screen(clear_of_the_middle(std::move(lines), own, frame), frame);
    }
    if (darkened) {
        backdrop.draw();
    } else {
        const std::vector<hud_line> legend =
            fall_map.draw_legend(width, height, text_scale, hud_text.metrics);
        lines.insert(lines.end(), legend.begin(), legend.end());
        // The bar's triangles test depth; the text over everything does not.
        glDisable(GL_DEPTH_TEST);
        glDepthFunc(GL_ALWAYS);
    }
    drawn_lines = lines;
    for (const hud_line& line : lines) {
        const float x =
            (line.from_left_edge ? -1.0f : 0.0f) + static_cast<float>(line.x_pixels) * sx;
        hud_text.render_text(line.text.c_str(), x, 1.0f - static_cast<float>(line.y_pixels) * sy,
                             sx, sy, line.tone, line.scale * text_scale);
    }
}

void frame_renderer::draw(const game_state& s, int width, int height,
                          const std::vector<hud_line>& extra,
                          const std::optional<glm::mat4>& ghost) {
    draw_projectors(s);
    part_done("projectors");
    draw_shadow_map(s, ghost);
    part_done("shadow");

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    // No pass tests the stencil, but the window's depth and stencil share one 32-bit word a
    // sample: clearing depth alone rewrites each word around its stencil bits (read, mask,
    // write), clearing both fills the words outright, about three times as fast in llvmpipe.
    glClear(depth_and_stencil_clear | GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, width, height);
    set_wireframe(s.display.wireframe);
    draw_scene(s, ghost);
    // The fall map lies just above the cube tops and writes no depth: drawn before the burst it
    // looks as it did drawn after it.
    fall_map.draw(s.projection * s.view, s.level);
    marks_drawn.draw(marks, s.projection * s.view);
    marks.clear();
    draw_burst(s);

    set_wireframe(false);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    draw_hud(s, width, height, extra);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    part_done("hud");
}

void frame_renderer::draw_text_only(const game_state& s, int width, int height,
                                    const std::vector<hud_line>& lines) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(depth_and_stencil_clear | GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    const bool was_darkened = darkened;
    darkened = true;
    draw_hud(s, width, height, lines);
    darkened = was_darkened;
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
}

}  // namespace quillomar
