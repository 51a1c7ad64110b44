#include "level/ground_index.h"

#include "level/level_cell.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillomar {
namespace {

// Below this magnitude p + 2 is exact in single precision, so a cube reaches at most one bucket
// beyond its own. Cubes and points further out (or not finite) are handled by a plain walk.
constexpr float bucket_limit = 16777216.0f;

// Walking costs about one comparison per cube and lookup; below this product it beats sorting.
constexpr double walk_budget = 1 << 20;

bool bucketable(float x, float z) {
    return std::isfinite(x) && std::isfinite(z) && std::fabs(x) < bucket_limit &&
           std::fabs(z) < bucket_limit;
}

std::int64_t bucket_of(float v) {
    return cell_index(v);
}

bool covers(const glm::vec3& c, float x, float z) {
    return c.x <= x && x <= c.x + 2.0f && c.z <= z && z <= c.z + 2.0f;
}

}  // namespace

float cube_top_at(const std::vector<glm::vec3>& cubes, float x, float z) {
    for (const glm::vec3& c : cubes) {
        if (covers(c, x, z)) {
            return c.y + 2.0f;
        }
    }
    return no_ground;
}

ground_index::ground_index(const std::vector<glm::vec3>& cubes, std::size_t expected_lookups)
    : cubes_(cubes) {
    const double walking =
        static_cast<double>(cubes.size()) * static_cast<double>(expected_lookups);
    if (walking <= walk_budget || cubes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return;
    }
    indexed_ = true;
    entries_.reserve(cubes.size());
    for (std::size_t i = 0; i < cubes.size(); ++i) {
        const glm::vec3& c = cubes[i];
        const auto index = static_cast<std::uint32_t>(i);
        if (bucketable(c.x, c.z)) {
            entries_.push_back({bucket_of(c.x), bucket_of(c.z), index});
        } else {
            loose_.push_back(index);
        }
    }
    std::sort(entries_.begin(), entries_.end(), [](const entry& a, const entry& b) {
        if (a.cell_x != b.cell_x) {
            return a.cell_x < b.cell_x;
        }
        if (a.cell_z != b.cell_z) {
            return a.cell_z < b.cell_z;
        }
        return a.cube < b.cube;
    });
}

float ground_index::height_at(float x, float z) const {
    if (!indexed_ || !bucketable(x, z)) {
        return cube_top_at(cubes_, x, z);
    }
    std::uint32_t best = std::numeric_limits<std::uint32_t>::max();
    for (const std::uint32_t i : loose_) {
        if (covers(cubes_[i], x, z)) {
            best = i;
            break;
        }
    }
    const std::int64_t home_x = bucket_of(x);
    const std::int64_t home_z = bucket_of(z);
    const auto before = [](const entry& a, const entry& b) {
        return a.cell_x != b.cell_x ? a.cell_x < b.cell_x : a.cell_z < b.cell_z;
    };
    // A cube containing the point starts at most 2 units (one bucket, plus one for rounding of
    // the floor) before it.
    for (std::int64_t cx = home_x - 2; cx <= home_x; ++cx) {
        for (std::int64_t cz = home_z - 2; cz <= home_z; ++cz) {
            const entry key{cx, cz, 0};
            auto [first, last] = std::equal_range(entries_.begin(), entries_.end(), key, before);
            for (auto it = first; it != last && it->cube < best; ++it) {
                if (covers(cubes_[it->cube], x, z)) {
                    best = it->cube;
                    break;
                }
            }
        }
    }
    return best == std::numeric_limits<std::uint32_t>::max() ? no_ground : cubes_[best].y + 2.0f;
}

}  // namespace quillomar
