#include "particles/particle_system.h"

#include <algorithm>
#include <cmath>


namespace quillomar {
namespace {

float random_speed_component(random_stream& random) {
    return static_cast<float>(random.between(-1000, 999)) / 1000.0f * 1.5f;
}

// A NaN distance (from a runaway position or camera) would break the sort's strict weak order;
// it sorts like a dead particle instead.
float sort_key(float camera_distance) {
    return std::isnan(camera_distance) ? -1.0f : camera_distance;
}

bool farther(const particle& a, const particle& b) {
    return sort_key(a.camera_distance) > sort_key(b.camera_distance);
}

// Sorts far to near by insertion, which is quick for the pool as the previous frame left it
// (sorted, with particles that moved a little). Gives up and returns false once the moves exceed
// a few per particle: the order was upset (a fresh burst filling free slots, a camera switch).
bool insertion_sort_far_to_near(std::vector<particle>& pool, std::size_t count) {
    std::ptrdiff_t budget = 4 * static_cast<std::ptrdiff_t>(count);
    for (std::size_t i = 1; i < count; ++i) {
        if (!farther(pool[i], pool[i - 1])) {
            continue;
        }
        const particle moving = pool[i];
        std::size_t j = i;
        do {
            pool[j] = pool[j - 1];
            --j;
            --budget;
        } while (j > 0 && farther(moving, pool[j - 1]));
        pool[j] = moving;
        if (budget < 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

void particle_system::make_room() {
    if (!pool.empty()) {
        return;
    }
    const auto n = static_cast<std::size_t>(max_particles);
    pool.resize(n);
    colors.resize(n);
    sizes.resize(n);
    positions.resize(n);
    sort_order.resize(n);
    sort_scratch.resize(n);
}

// Equal distances may come out in either order, as with any unstable sort.
void particle_system::sort_far_to_near() {
    const auto n = static_cast<std::size_t>(max_particles);
    if (insertion_sort_far_to_near(pool, n)) {
        return;
    }
    // Sorting small (distance, index) pairs and moving each record once beats sorting the
    // records themselves.
    for (std::size_t i = 0; i < n; ++i) {
        sort_order[i] = {sort_key(pool[i].camera_distance), static_cast<int>(i)};
    }
    std::sort(sort_order.begin(), sort_order.end(),
              [](const std::pair<float, int>& a, const std::pair<float, int>& b) {
                  return a.first > b.first;
              });
    for (std::size_t i = 0; i < n; ++i) {
        sort_scratch[i] = pool[static_cast<std::size_t>(sort_order[i].second)];
    }
    pool.swap(sort_scratch);
}

int particle_system::find_free() {
    make_room();
    for (int i = last_used; i < max_particles; ++i) {
        if (pool[i].life < 0.0f) {
            last_used = i;
            return i;
        }
    }
    for (int i = 0; i < last_used; ++i) {
        if (pool[i].life < 0.0f) {
            last_used = i;
            return i;
        }
    }
    return 0;
}

void particle_system::emit(float dt, const glm::vec3& origin, random_stream& random) {
    // Written so that a negative, NaN or infinite frame time emits nothing or the cap, never an
    // out-of-range conversion.
    const double wanted = static_cast<double>(dt) * 10000.0;
    if (!(wanted >= 1.0)) {
        return;
    }
    const int n =
        wanted >= max_emitted_per_frame ? max_emitted_per_frame : static_cast<int>(wanted);
    make_room();
    for (int k = 0; k < n; ++k) {
        particle& p = pool[find_free()];
        p.life = 2.5f;
        p.position = origin;
        // Separate statements fix the order of the draws: z, y, x, red, alpha, size.
        p.speed.z = random_speed_component(random);
        p.speed.y = random_speed_component(random);
        p.speed.x = random_speed_component(random);
        p.color.r = static_cast<float>(random.below(256)) / 255.0f;
        p.color.g = 0.0f;
        p.color.b = 0.0f;
        p.color.a = static_cast<float>(random.below(256) / 3) / 255.0f;
        p.size = static_cast<float>(random.below(1000)) / 2000.0f + 0.1f;
    }
}

void particle_system::simulate(float dt, const glm::vec3& camera_position) {
    count = 0;
    if (pool.empty()) {
        return;
    }
    for (int i = 0; i < max_particles; ++i) {
        particle& p = pool[i];
        p.life -= dt;
        if (p.life > 0.0f) {
            p.speed += glm::vec3(0.0f, -9.81f, 0.0f) * dt * 0.005f;
            p.position += p.speed * dt;
            p.camera_distance = glm::length(p.position - camera_position);
            positions[count] = p.position;
            sizes[count] = p.size;
            colors[count] = p.color;
            ++count;
        } else {
            p.camera_distance = -1.0f;
        }
    }
    sort_far_to_near();
}

void particle_system::kill_all() {
    for (particle& p : pool) {
        p.life = -1.0f;
    }
}

}  // namespace quillomar
