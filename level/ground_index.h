// The ground under a point: the top of the first cube, in list order, whose cell contains it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

namespace quillomar {

// What the lookup answers where no cube is found.
inline constexpr float no_ground = -22.0f;

// A cube at p covers x in [p.x, p.x + 2] and z in [p.z, p.z + 2], both ends included, and has its
// top at p.y + 2. A point on a cell border lies in several cells; the earliest cube wins.
float cube_top_at(const std::vector<glm::vec3>& cubes, float x, float z);

// The same answers as cube_top_at for many points at once. Placing thousands of items or enemies
// on a layout of a million cubes would otherwise take a full walk per point; the index buckets
// the cubes by cell and looks at the few buckets around the point. When walking is cheaper than
// building (cubes × expected lookups is small) no index is built and every lookup walks.
// The index keeps a reference to `cubes`: it reads the current heights, but must not outlive the
// list or see cubes added, removed or moved in x or z.
class ground_index {
public:
    ground_index(const std::vector<glm::vec3>& cubes, std::size_t expected_lookups);

    float height_at(float x, float z) const;

    bool indexed() const { return indexed_; }

private:
    struct entry {
        std::int64_t cell_x;
        std::int64_t cell_z;
        std::uint32_t cube;
    };

    const std::vector<glm::vec3>& cubes_;
    bool indexed_ = false;
    std::vector<entry> entries_;        // sorted by cell, then by cube index
    std::vector<std::uint32_t> loose_;  // cubes the buckets cannot hold; always walked
};

}  // namespace quillomar
