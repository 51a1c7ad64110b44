#include "particles/particle_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace quillomar {
namespace {

int live_particles(const particle_system& system) {
    return static_cast<int>(std::count_if(system.pool.begin(), system.pool.end(),
                                          [](const particle& p) { return p.life > 0.0f; }));
}

void make_all_alive(particle_system& system) {
    for (particle& p : system.pool) {
        p.life = 1.0f;
    }
}

TEST(particle_system_emit, a_new_system_has_the_whole_pool_dead) {
    const particle_system system;
    ASSERT_EQ(system.pool.size(), static_cast<std::size_t>(max_particles));
    EXPECT_EQ(live_particles(system), 0);
    EXPECT_EQ(system.count, 0);
    EXPECT_EQ(system.last_used, 0);
    for (const particle& p : system.pool) {
        EXPECT_EQ(p.camera_distance, -1.0f);
    }
}

TEST(particle_system_emit, the_count_follows_the_frame_time_up_to_the_cap) {
    const struct {
        float dt;
        int expected;
    } cases[] = {{0.00005f, 0}, {0.00015f, 1},       {0.0125f, 125},
                 {0.016f, 160}, {1.0f / 60.0f, 160}, {10.0f, 160}};
    for (const auto& c : cases) {
        particle_system system;
        system.emit(c.dt, glm::vec3(0.0f));
        EXPECT_EQ(live_particles(system), c.expected) << "dt " << c.dt;
    }
}

TEST(particle_system_emit, a_broken_frame_time_emits_nothing_or_the_cap) {
    particle_system system;
    system.emit(-0.5f, glm::vec3(0.0f));
    system.emit(std::numeric_limits<float>::quiet_NaN(), glm::vec3(0.0f));
    EXPECT_EQ(live_particles(system), 0);
    system.emit(std::numeric_limits<float>::infinity(), glm::vec3(0.0f));
    EXPECT_EQ(live_particles(system), max_emitted_per_frame);
}

TEST(particle_system_emit, a_particle_starts_at_the_origin_with_values_in_their_ranges) {
    particle_system system;
    const glm::vec3 origin(4.0f, 5.0f, -6.0f);
    system.emit(0.016f, origin);
    for (const particle& p : system.pool) {
        if (p.life < 0.0f) {
            continue;
        }
        EXPECT_EQ(p.life, 2.5f);
        EXPECT_EQ(p.position, origin);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GE(p.speed[axis], -1.5f);
            EXPECT_LE(p.speed[axis], 1.4985f);
        }
        EXPECT_GE(p.color.r, 0.0f);
        EXPECT_LE(p.color.r, 1.0f);
        EXPECT_EQ(p.color.g, 0.0f);
        EXPECT_EQ(p.color.b, 0.0f);
        EXPECT_LE(p.color.a, 85.0f / 255.0f + 1e-6f);
        EXPECT_GE(p.size, 0.1f);
        EXPECT_LE(p.size, 0.5995f + 1e-6f);
    }
}

// The enemies draw from the same unseeded generator, so the order and number of calls per
// particle are part of the game's behaviour.
TEST(particle_system_emit, six_rand_calls_per_particle_in_a_fixed_order) {
    std::srand(1234);
    int r[7];
    for (int& value : r) {
        value = std::rand();
    }
    std::srand(1234);
    particle_system system;
    system.emit(0.00015f, glm::vec3(0.0f));
    EXPECT_EQ(std::rand(), r[6]) << "exactly six calls";
    const particle& p = system.pool[0];
    auto speed = [](int value) { return static_cast<float>(value % 2000 - 1000) / 1000.0f * 1.5f; };
    EXPECT_EQ(p.speed.z, speed(r[0]));
    EXPECT_EQ(p.speed.y, speed(r[1]));
    EXPECT_EQ(p.speed.x, speed(r[2]));
    EXPECT_EQ(p.color.r, static_cast<float>(r[3] % 256) / 255.0f);
    EXPECT_EQ(p.color.a, static_cast<float>((r[4] % 256) / 3) / 255.0f);
    EXPECT_EQ(p.size, static_cast<float>(r[5] % 1000) / 2000.0f + 0.1f);
}

TEST(particle_system_find_free, searches_from_last_used_and_wraps_around) {
    particle_system system;
    make_all_alive(system);
    system.pool[3].life = -1.0f;
    system.pool[9000].life = -0.1f;
    system.last_used = 5000;
    EXPECT_EQ(system.find_free(), 9000);
    EXPECT_EQ(system.last_used, 9000);
    system.pool[9000].life = 2.5f;
    EXPECT_EQ(system.find_free(), 3);
    EXPECT_EQ(system.last_used, 3);
}

TEST(particle_system_find_free, a_life_of_exactly_zero_is_not_free) {
    particle_system system;
    make_all_alive(system);
    system.pool[10].life = 0.0f;
    system.pool[20].life = -1.0f;
    EXPECT_EQ(system.find_free(), 20);
}

TEST(particle_system_find_free, a_full_pool_overwrites_particle_zero_and_keeps_last_used) {
    particle_system system;
    make_all_alive(system);
    system.last_used = 777;
    EXPECT_EQ(system.find_free(), 0);
    EXPECT_EQ(system.last_used, 777);

    const particle untouched = system.pool[1];
    system.emit(0.0003f, glm::vec3(9.0f));
    EXPECT_EQ(system.pool[0].life, 2.5f);
    EXPECT_EQ(system.pool[0].position, glm::vec3(9.0f));
    EXPECT_EQ(system.pool[1].position, untouched.position);
    EXPECT_EQ(system.pool[1].life, untouched.life);
    EXPECT_EQ(system.last_used, 777);
}

TEST(particle_system_simulate, count_is_the_number_of_particles_still_alive) {
    particle_system system;
    system.emit(0.016f, glm::vec3(0.0f));  // life 2.5
    system.pool[9999].life = 0.01f;        // dies in this step
    system.pool[9998].life = 0.5f;         // survives
    system.simulate(0.016f, glm::vec3(0.0f, 0.0f, 50.0f));
    EXPECT_EQ(system.count, 161);
    EXPECT_EQ(system.count, live_particles(system));
}

TEST(particle_system_simulate, a_new_particle_moves_in_its_first_frame) {
    particle_system system;
    const glm::vec3 origin(1.0f, 2.0f, 3.0f);
    system.emit(0.016f, origin);
    system.simulate(0.016f, glm::vec3(0.0f, 10.0f, 40.0f));
    for (int i = 0; i < system.count; ++i) {
        EXPECT_NE(system.positions[i], origin);
    }
}

TEST(particle_system_simulate, staged_values_belong_to_live_particles) {
    particle_system system;
    system.emit(0.016f, glm::vec3(0.0f));
    system.simulate(0.016f, glm::vec3(0.0f, 0.0f, 30.0f));
    for (int i = 0; i < system.count; ++i) {
        EXPECT_GE(system.sizes[i], 0.1f);
        EXPECT_EQ(system.colors[i].g, 0.0f);
        EXPECT_LT(glm::length(system.positions[i]), 0.1f);
    }
}

TEST(particle_system_simulate, the_pool_is_sorted_far_to_near_with_the_dead_last) {
    particle_system system;
    const glm::vec3 camera(0.0f, 5.0f, 20.0f);
    for (int frame = 0; frame < 10; ++frame) {
        system.emit(0.016f, glm::vec3(0.0f));
        system.simulate(0.1f, camera);
    }
    ASSERT_EQ(system.count, 1600);
    for (int i = 0; i + 1 < max_particles; ++i) {
        ASSERT_GE(system.pool[i].camera_distance, system.pool[i + 1].camera_distance) << i;
    }
    for (int i = 0; i < max_particles; ++i) {
        const particle& p = system.pool[i];
        if (i < system.count) {
            EXPECT_GT(p.life, 0.0f);
            EXPECT_NEAR(p.camera_distance, glm::length(p.position - camera), 1e-4f);
        } else {
            EXPECT_EQ(p.camera_distance, -1.0f);
        }
    }
}

TEST(particle_system_simulate, a_runaway_frame_time_does_not_break_the_sort) {
    particle_system system;
    system.emit(0.016f, glm::vec3(0.0f));
    system.simulate(std::numeric_limits<float>::quiet_NaN(), glm::vec3(0.0f));
    system.emit(0.016f, glm::vec3(0.0f));
    system.simulate(3.0e38f, glm::vec3(std::numeric_limits<float>::infinity()));
    EXPECT_GE(system.count, 0);
    EXPECT_LE(system.count, max_particles);
}

TEST(particle_system_reset, after_the_effect_ends_a_new_burst_finds_every_particle_free) {
    particle_system system;
    for (int frame = 0; frame < 70; ++frame) {
        system.emit(0.016f, glm::vec3(0.0f));
        system.simulate(0.016f, glm::vec3(0.0f, 5.0f, 20.0f));
    }
    ASSERT_EQ(live_particles(system), max_particles);

    system.kill_all();
    EXPECT_EQ(live_particles(system), 0);
    system.emit(0.016f, glm::vec3(1.0f));
    EXPECT_EQ(live_particles(system), max_emitted_per_frame);
    system.simulate(0.016f, glm::vec3(0.0f, 5.0f, 20.0f));
    EXPECT_EQ(system.count, max_emitted_per_frame);
}

}  // namespace
}  // namespace quillomar
