// The level: the cubes the ball rolls on, the items, the spiders, the start and finish cells and
// the level flip. Plain data and rules; drawing it is the renderer's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "level/facing.h"
#include "level/level_limits.h"

namespace quillomar {

// Spiders stand 0.6 units below the top of the cube under them; a flip keeps them there.
inline constexpr float enemy_sink = 0.6f;

// Where the header's entries came from, so that a checker can point at a line (lines count from
// 1; 0 means there was none). Only the reader fills it; play never reads it.
struct level_source_lines {
    std::uint64_t start = 0;   // the start line that counted (the last one)
    std::uint64_t finish = 0;  // likewise
    std::vector<std::uint64_t> items;    // one per entry of `initial_items`
    std::vector<std::uint64_t> enemies;  // one per entry of `enemies`
    // Header lines whose first word is no keyword and no comment (a comment starts with '#' or
    // a space, or is blank): the line and the word's first bytes. At most max_unknown are kept,
    // `unknown_count` counts them all.
    static constexpr std::size_t max_unknown = 16;
    std::vector<std::pair<std::uint64_t, std::string>> unknown;
    std::uint64_t unknown_count = 0;
    // The first line that went past a limit of cubes, items or spiders.
    std::uint64_t cubes_over = 0;
    std::uint64_t items_over = 0;
    std::uint64_t enemies_over = 0;
    // The first facing line whose word is no direction; it changes nothing.
    std::uint64_t bad_facing = 0;
};

struct level {
    std::vector<glm::vec3> cubes;          // file order; only y changes, during a flip
    std::vector<glm::vec3> items;          // still to be collected
    std::vector<glm::vec3> initial_items;  // every item as placed at start-up
    std::vector<glm::vec3> enemies;
    std::vector<glm::vec3> leg_offsets;  // shared by all spiders; only y moves
    std::vector<glm::vec3> headings;     // one per enemy
    glm::vec2 start{0.0f};               // world x, z
    glm::vec2 finish{0.0f};
    facing start_facing = facing::north;  // the ball's heading on the start, and after R
    std::string title;                    // one line each for the player; empty when none
    std::string hint;
    bool flipping = false;
    bool flipped = false;
    bool flip_done = false;
    bool enemies_walk = false;
    std::vector<glm::vec3> leg_from;
    std::vector<double> leg_durations;
    std::vector<double> leg_started;
    std::vector<bool> leg_moving;
    std::vector<float> leg_amplitudes;
    glm::vec3 centre{0.0f};  // (columns of the last layout row, 30, layout rows)
    double flip_started = 0.0;
    std::vector<float> saved_heights;  // every cube's y when the running flip started
    level_source_lines source;

    // Reading stops at these (level/level_limits.h says why) with one console line, and what
    // was read so far stays.
    static constexpr std::size_t max_file_bytes = max_level_file_bytes;
    static constexpr std::size_t max_cubes = max_level_cubes;
    static constexpr std::size_t max_items = max_level_items;
    static constexpr std::size_t max_enemies = max_level_enemies;

    // True when there is something to play on: at least one cube.
    bool playable() const { return !cubes.empty(); }

    // The top of the first cube (in `cubes` order) whose cell contains the point, borders
    // included; no_ground (−22) where there is none.
    float height_at(float x, float z) const;

    // Fills cubes, start, finish, facing, title, hint, items, enemies and centre from the file
    // and appends the reader's console lines to `lines` (when given) for the caller to print:
    // the reader itself never prints, so any thread may read a level. Returns false, with the
    // line "Unable to open levelfile: " and the path, when the file cannot be opened.
    bool read_file(const std::string& path, std::vector<std::string>* lines = nullptr);

    // read_file on an open stream; any byte sequence is accepted. `name` stands for the stream
    // in the lines about limits.
    void read_stream(std::istream& in, const std::string& name = "(stream)",
                     std::vector<std::string>* lines = nullptr);

    // Sets every item's y (in `items` and `initial_items`) to the ground under it.
    void place_items();

    // Starts a flip at `time` when none runs, otherwise advances the running one to `time`. Over
    // two seconds every cube's y is mirrored about 4 (y → 8 − y); a cube at 4 never moves. Items
    // and spiders follow their cubes at every step. Sets flip_done once the heights are final.
    void flip(double time);

    // Turns a running flip round at `time`: the cubes go back the way they came, taking as long
    // as they have moved so far, and `flipped` returns to what it was before the flip.
    void reverse_flip(double time);

    // Every item returns, at the height it had when the level was loaded.
    void restore_items();
};

}  // namespace quillomar
