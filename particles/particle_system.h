// The burst of small red particles shown where an item was collected: a fixed pool, ballistic
// motion and a far-to-near sort; the live particles are staged in drawing order for the renderer.
// The pool and its arrays (1.4 MiB) are made by the first burst: until an item is collected every
// particle would be dead, and an empty pool behaves as one that is all dead.
#pragma once

#include <glm/glm.hpp>
#include <utility>
#include <vector>

#include "common/random_stream.h"

#include "particles/particle.h"

namespace quillomar {

inline constexpr int max_particles = 10000;
// The most particles one frame may emit; without the cap 60 fps would emit 166 a frame.
inline constexpr int max_emitted_per_frame = 160;

struct particle_system {
    std::vector<particle> pool;  // max_particles records once made, all dead then
    int last_used = 0;           // where the search for a free particle starts
    // Staging arrays of the live particles, in upload order.
    std::vector<glm::vec4> colors;
    std::vector<float> sizes;
    std::vector<glm::vec3> positions;
    int count = 0;  // live particles written to the staging arrays by the last simulate
    // Scratch space of the far-to-near sort, sized once with the pool.
    std::vector<std::pair<float, int>> sort_order;
    std::vector<particle> sort_scratch;

    // Sizes the pool and the staging arrays, every particle dead; nothing once they are sized.
    void make_room();

    // Index of a dead particle, searching from last_used and wrapping around; when every particle
    // lives, 0 (which the last sort made the farthest) without moving last_used.
    int find_free();

    // Spawns dt * 10000 particles (at most 160, none below 0.0001 s) at origin with random
    // velocity, shade of red, transparency and size, drawn from `random`; makes room first.
    void emit(float dt, const glm::vec3& origin, random_stream& random);

    // Ages and moves every particle, copies the live ones into the staging arrays and sorts the
    // pool far to near from camera_position, dead particles last.
    void simulate(float dt, const glm::vec3& camera_position);

    // Ends the effect: every particle dead, so the next burst finds the whole pool free.
    void kill_all();

private:
    void sort_far_to_near();
};

}  // namespace quillomar
