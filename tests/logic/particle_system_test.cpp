// The particle burst: emission, the free-slot search, motion and the far-to-near sort.
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <tuple>

#include "particles/particle_system.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// Each test draws from the game's own seeded stream.
random_stream random;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();

bool between(float v, float low, float high) {
    return v >= low && v <= high;
}

TEST(particle_system, emits_dt_times_ten_thousand_up_to_the_cap_with_values_in_range) {
    const std::pair<float, int> cases[] = {{0.00005f, 0}, {0.00015f, 1}, {0.0125f, 125},
                                           {10.0f, 160},  {-0.5f, 0},    {nan, 0}};
    for (const auto& [dt, expected] : cases) {
        particle_system system;
        system.emit(dt, {4, 5, -6}, random);
        int live = 0;
        for (const particle& p : system.pool) {
            live += p.life > 0.0f ? 1 : 0;
            const glm::vec3 s = p.speed;
            ASSERT_TRUE(between(std::min({s.x, s.y, s.z}), -1.5f, 1.4985f) &&
                        between(std::max({s.x, s.y, s.z}), -1.5f, 1.4985f) &&
                        between(p.color.r, 0, 1) && p.color.g == 0 && p.color.b == 0 &&
                        between(p.color.a, 0, 85.0f / 255.0f));
            ASSERT_TRUE(p.life < 0.0f || (p.life == 2.5f && p.position == glm::vec3(4, 5, -6) &&
                                          between(p.size, 0.1f, 0.5995f + 1e-6f)));
        }
        EXPECT_EQ(live, expected) << "dt " << dt;
    }
    // The spiders' legs draw from the same generator: each particle takes exactly six numbers.
    random_stream used(1234), fresh(1234);
    particle_system().emit(0.00015f, glm::vec3(0.0f), used);
    for (int n = 0; n < 6; ++n) {
        fresh.next();
    }
    EXPECT_EQ(used.next(), fresh.next());
}

TEST(particle_system, the_pool_is_made_by_the_first_burst_and_stepping_without_one_is_free) {
    particle_system system;
    system.simulate(0.1f, glm::vec3(0.0f));
    system.kill_all();
    system.emit(0.00005f, glm::vec3(0.0f), random);  // too short a step to emit one
    EXPECT_TRUE(system.pool.empty() && system.positions.empty() && system.count == 0);
    system.emit(0.00015f, glm::vec3(0.0f), random);
    system.simulate(0.1f, glm::vec3(0.0f, 0.0f, 10.0f));
    EXPECT_EQ(system.pool.size(), static_cast<std::size_t>(max_particles));
    EXPECT_EQ(system.count, 1);
}

TEST(particle_system, a_free_slot_is_searched_from_the_last_one_used_onwards) {
    particle_system s;
    s.make_room();
    s.pool[0].life = s.pool[1].life = s.pool[3].life = 1.0f;
    s.last_used = 1;
    EXPECT_EQ(s.find_free(), 2);
    s.pool[2].life = 0.0f;  // exactly zero is not free yet
    EXPECT_EQ(s.find_free(), 4);
    for (int i = 5; i < max_particles; ++i) {  // a full tail: the search wraps round to the front
        s.pool[i].life = 1.0f;
    }
    s.pool[2].life = -1.0f;
    s.last_used = 5;
    EXPECT_EQ(s.find_free(), 2);
    s.simulate(0.5f, glm::vec3(0.0f, 0.0f, 10.0f));  // gravity pulls the live ones down
    EXPECT_LT(s.pool[0].speed.y, 0.0f);
}

TEST(particle_system, simulate_moves_stages_and_sorts_the_live_far_to_near_until_killed) {
    particle_system system;
    const glm::vec3 camera(0, 5, 20);
    system.make_room();
    system.pool[9999].life = 0.01f;  // dies in the first step
    for (int frame = 0; frame < 10; ++frame) {
        system.emit(0.016f, glm::vec3(0.0f), random);
        system.simulate(0.1f, camera);
        ASSERT_EQ(system.count, 160 * (frame + 1));
        // The staging arrays hold the live particles' values, in the order before the sort.
        std::vector<std::tuple<float, float, float, float>> staged, pooled;
        for (int i = 0; i < system.count; ++i) {
            const particle& p = system.pool[i];
            ASSERT_TRUE(p.life > 0.0f && p.position != glm::vec3(0.0f));  // moved at once
            ASSERT_LT(glm::length(p.position), 0.3f * (frame + 1));
            ASSERT_NEAR(p.camera_distance, glm::length(p.position - camera), 1e-4f);
            const glm::vec3& q = system.positions[i];
            staged.emplace_back(system.sizes[i], system.colors[i].r, q.x, q.y);
            pooled.emplace_back(p.size, p.color.r, p.position.x, p.position.y);
        }
        std::sort(staged.begin(), staged.end());
        std::sort(pooled.begin(), pooled.end());
        ASSERT_EQ(staged, pooled);
    }
    for (int i = 0; i + 1 < max_particles; ++i) {
        ASSERT_GE(system.pool[i].camera_distance, system.pool[i + 1].camera_distance) << i;
    }
    EXPECT_EQ(system.pool[max_particles - 1].camera_distance, -1.0f);
    system.kill_all();
    system.emit(0.016f, glm::vec3(1.0f), random);
    system.simulate(0.016f, camera);
    EXPECT_EQ(system.count, max_emitted_per_frame);  // the whole pool was free again
}

}  // namespace
}  // namespace quillomar
