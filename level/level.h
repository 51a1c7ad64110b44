// The level: the cubes the ball rolls on, the items, the spiders, the start and finish cells, the
// level flip and the renderers that draw it all. Everything but the renderers' drawing and model
// loading is plain C++ and works without an OpenGL context.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <glm/glm.hpp>
#include <iosfwd>
#include <string>
#include <vector>

#include "framework/asset_paths.h"
#include "level/cube.h"
#include "level/enemy.h"
#include "level/ground_index.h"
#include "level/item.h"
#include "level/level_limits.h"
#include "render/view_frustum.h"

namespace quillomar {

struct level {
    std::vector<glm::vec3> cubes;          // file order; only y changes, during a flip
    std::vector<glm::vec3> items;          // still to be collected
    std::vector<glm::vec3> initial_items;  // every item as placed at start-up
    std::vector<glm::vec3> enemies;
    std::vector<glm::vec3> leg_offsets;  // shared by all spiders; only y moves
    std::vector<glm::vec3> headings;     // one per enemy
    glm::vec2 start{0.0f};               // world x, z
    glm::vec2 finish{0.0f};
    bool flipping = false;
    bool flipped = false;
    bool flip_done = false;
    bool culling = false;
    bool enemies_walk = false;
    std::vector<glm::vec3> leg_from;
    std::vector<double> leg_durations;
    std::vector<double> leg_started;
    std::vector<bool> leg_moving;
    std::vector<float> leg_amplitudes;
    // Drawing stores the sampling options into the renderers' meshes; that is render state, not
    // level state, so the const drawing passes may change it.
    mutable item item_renderer;
    mutable enemy enemy_renderer;
    GLuint program = 0;
    glm::vec3 centre{0.0f};  // (columns of the last layout row, 30, layout rows)
    mutable cube cube_renderer;
    double flip_started = 0.0;
    std::vector<float> saved_heights;

    // Reading stops at these (level/level_limits.h says why) with one console line, and what
    // was read so far stays.
    static constexpr std::size_t max_file_bytes = max_level_file_bytes;
    static constexpr std::size_t max_cubes = max_level_cubes;
    static constexpr std::size_t max_items = max_level_items;
    static constexpr std::size_t max_enemies = max_level_enemies;

    // The top of the first cube (in `cubes` order) whose cell contains the point, borders
    // included; no_ground (−22) where there is none.
    float height_at(float x, float z) const;

    // Reads the level file, then loads the renderers and places items and spiders. The level
    // must be freshly constructed and `program` set. Needs an OpenGL context.
    void parse(const std::string& path = assets::level_file);

    // The file part of parse: fills cubes, start, finish, items, enemies and centre and prints
    // the parser's lines. Makes no OpenGL call. Returns false, after printing
    // "Unable to open levelfile: ", when the file cannot be opened.
    bool read_file(const std::string& path = assets::level_file);

    // read_file on an open stream; any byte sequence is accepted.
    void read_stream(std::istream& in);

    // The OpenGL part of parse: loads the three models, copies `program` into the renderers and
    // places items and spiders (place_items, place_enemies), printing the start-up lines.
    void load_renderers();

    // Sets every item's y (in `items` and `initial_items`) to the ground under it.
    void place_items();

    // Puts every spider 0.6 below the ground under it, heading −x, and creates the eight legs'
    // animation state.
    void place_enemies();

    // Starts a flip when none runs, otherwise advances the running one. Over two seconds every
    // cube's y is mirrored about 4 (y → 8 − y); a cube at 4 never moves. Items and spiders follow
    // their cubes at every step. Time comes from quillomar::now().
    void flip();

    // Moves the legs and, while enemies_walk is set, walks the spiders by dt seconds.
    void update_actors(double dt);

    // Removes the items inside the ball's pick-up box and returns their positions in list order,
    // printing "removed item" for each. The caller adds one change per returned position and
    // starts the particle burst at it.
    std::vector<glm::vec3> pick_up_items(const glm::vec3& ball);

    // Every item returns, at the height it had when the level was loaded.
    void restore_items();

    // True when any spider touches the ball.
    bool enemy_touches(const glm::vec3& ball) const;

    // The main lit pass. The object program must be in use and the shadow and projector
    // textures bound. Spiders are never culled.
    void draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& shadow_matrix,
              const glm::mat4& projected_matrix, const glm::mat4& projected_matrix2,
              const glm::vec3& light_pos, const glm::vec3& cam_pos, const view_frustum& frustum,
              unsigned mipmap_mode, bool nearest_sampling) const;

    // Cubes, items and spiders, geometry only, with `location` set to vp · model for each; for
    // the projector depth passes.
    void draw_depth(const glm::mat4& vp, GLint location) const;

    // The same for items and spiders only: cubes cast no shadow.
    void draw_casters(const glm::mat4& vp, GLint location) const;
};

}  // namespace quillomar
